#pragma once

#include "app/features/MainWindowFeature.h"
#include "platform/card_formatter.h"

#include <QObject>

#include <functional>
#include <memory>

class CBBSettingDlg;
class CStorageDlg;

// The recorder's settings panel and the card's storage panel: showing them, running the settings
// write and the format they ask for, and stopping the card's playback before it is erased.
class CardPanelsController : public QObject, public MainWindowFeature
{
    Q_OBJECT
public:
    struct Services {
        // Formats the cards. Null: the system's (udisks2).
        std::unique_ptr<platform::CardFormatter> cardFormatter;
        // The index among the offered cards of the listed card, or the first one.
        std::function<int()> listedCardIndex;
        // Runs before a card is erased (nothing may read it then).
        std::function<void()> beforeFormat;
    };

    CardPanelsController(MainWindowContext &window, Services services);

    CBBSettingDlg *SettingsPanel() const { return m_settingsPanel; }
    CStorageDlg *StoragePanel() const { return m_storagePanel; }

    // A card was listed, or the user cancelled the settings: the panel shows the card's settings.
    void OnCardListed();

    void OnStart() override;
    void OnLayoutChanging() override;
    bool OnMessage(quint32 message, quintptr wParam, qintptr lParam) override;

private:
    int ListedCardIndex() const;
    void ToggleStoragePanel();
    void ShowSettingsPanel();
    // Runs the settings panel's write (and the format it may ask for) for a card index, -1 for the
    // selected card; then the storage panel reads that card again.
    void WriteCardSettings(int driveIndex);
    void StopPlaybackBeforeFormat();
    // The storage panel's format request, for the card that panel shows.
    void FormatStorageCard();

    Services m_services;
    // Child windows over the video: they move with the main window and never outlive it.
    CBBSettingDlg *m_settingsPanel = nullptr;
    CStorageDlg *m_storagePanel = nullptr;
};
