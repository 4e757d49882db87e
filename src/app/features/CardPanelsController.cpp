#include "app/features/CardPanelsController.h"

#include "app/AppLog.h"
#include "app/DualPlayback.h"
#include "app/MainWindowSettings.h"
#include "app/features/MainWindowTexts.h"
#include "device/CTAVINSDConfig.h"
#include "library/RecordingLibrary.h"
#include "panels/CBBSettingDlg.h"
#include "panels/CStorageDlg.h"
#include "panels/MainWindowMessages.h"
#include "skin/CSkinListCtrl.h"

#include <QApplication>

using namespace mainwindow;

namespace {
// Shown through the window's translation context.
const char *const kNoCardText
    = QT_TRANSLATE_NOOP("CTAVINDlg", "SD카드가 연결되어 있지 않습니다. SD카드를 확인하여 주세요.");
const char *const kFormatStopsPlayback
    = QT_TRANSLATE_NOOP("CTAVINDlg", "현재 포맷 대상 드라이브의 영상이 사용 중입니다. 재생을 중지합니다.");
// The settings panel's place in the window, below the title bar.
constexpr QPoint kSettingsOrigin(5, 48);
} // namespace

CardPanelsController::CardPanelsController(MainWindowContext &window, Services services)
    : MainWindowFeature(window)
    , m_services(std::move(services))
{
}

void CardPanelsController::OnStart()
{
    device::CTAVINSDConfig &config = m_window.Config();
    config.SetCardFormatter(m_services.cardFormatter ? std::move(m_services.cardFormatter)
                                                     : platform::CreateSystemCardFormatter());
    skin::CSkinDialog *window = &m_window.Window();
    const MainWindowSettings &settings = m_window.Settings();
    // Child windows over the video: they move with the main window and never outlive it.
    const auto init = [](auto *panel, const QString &entry) -> decltype(panel) {
        panel->setWindowFlags(Qt::Widget);
        if (entry.isEmpty() || !panel->Init()) {
            qCWarning(lcApp) << "panel skin" << entry << "could not be loaded";
            delete panel;
            return nullptr;
        }
        panel->hide();
        return panel;
    };
    m_settingsPanel = init(
        new CBBSettingDlg(window->Runtime(), settings.xmlBBSetting, &config, window), settings.xmlBBSetting);
    if (m_settingsPanel)
        m_settingsPanel->SetBeforeFormat([this] { StopPlaybackBeforeFormat(); });
    m_storagePanel = init(new CStorageDlg(
                              window->Runtime(), settings.xmlStorage, &config,
                              [this] { return m_settingsPanel ? m_settingsPanel->CommittedPartition() : 5; },
                              ListedCardIndex(), window),
        settings.xmlStorage);
}

void CardPanelsController::OnLayoutChanging()
{
    for (skin::CSkinDialog *panel : { static_cast<skin::CSkinDialog *>(m_settingsPanel),
             static_cast<skin::CSkinDialog *>(m_storagePanel) }) {
        if (panel && panel->isVisible()) {
            panel->hide();
            m_window.RequestRepaint();
        }
    }
    if (m_settingsPanel)
        m_settingsPanel->SetShownFlag(false);
    if (m_storagePanel)
        m_storagePanel->SetShownFlag(false);
}

int CardPanelsController::ListedCardIndex() const
{
    return m_services.listedCardIndex ? m_services.listedCardIndex() : -1;
}

bool CardPanelsController::OnMessage(quint32 message, quintptr, qintptr)
{
    switch (message) {
    case kMsgToggleStorage:
    case kMsgTitleStorage:
        ToggleStoragePanel();
        return true;
    case kMsgShowSettings:
    case kMsgTitleSettings:
        ShowSettingsPanel();
        return true;
    case kMsgWriteSettings:
        WriteCardSettings(-1);
        return true;
    case kMsgReloadSettings:
        OnCardListed();
        return true;
    case kMsgFormatCard:
        FormatStorageCard();
        return true;
    default:
        return false;
    }
}

void CardPanelsController::ToggleStoragePanel()
{
    m_window.RequestRepaint();
    if (!m_storagePanel) {
        m_window.ShowNotAvailable();
        return;
    }
    if (m_storagePanel->IsShownFlag()) {
        m_storagePanel->SetShownFlag(false);
        m_storagePanel->hide();
        return;
    }
    // Over the middle of the main video.
    const QRect video = m_window.MainVideoRect();
    const QRect area = video.isValid() ? video : m_window.Window().rect();
    m_storagePanel->move(area.center() - QPoint(m_storagePanel->width() / 2, m_storagePanel->height() / 2));
    m_storagePanel->SetShownFlag(true);
    m_storagePanel->show();
    m_storagePanel->raise();
    m_storagePanel->RefreshDrives(ListedCardIndex());
}

void CardPanelsController::ShowSettingsPanel()
{
    const QString selected = m_window.Config().GetSelectedDrive();
    if (selected.isEmpty() || !m_window.Library().IsCard()
        || platform::NormalizedRoot(selected) != platform::NormalizedRoot(m_window.Library().Location())) {
        m_window.ShowPlain(Translated(kNoCardText),
            m_window.Window().Skin().Text(QStringLiteral("err_title")), skin::kMbIconWarning);
        return;
    }
    if (!m_settingsPanel) {
        m_window.ShowNotAvailable();
        return;
    }
    if (m_window.Playback().IsRunning())
        m_window.PausePlayback();
    m_window.RequestRepaint();
    if (!m_settingsPanel->IsShownFlag()) {
        QSize size(m_settingsPanel->WindowInfo().rect.Width(), m_settingsPanel->WindowInfo().rect.Height());
        if (m_window.ViewMode() == ViewLayout::kLarge)
            size = QSize(m_window.Window().width() - 390, m_window.Window().height() - kSettingsOrigin.y());
        else if (m_window.ViewMode() == ViewLayout::kFull)
            size = QSize(m_window.Window().width() - kSettingsOrigin.x(),
                m_window.Window().height() - kSettingsOrigin.y());
        m_settingsPanel->setGeometry(QRect(kSettingsOrigin, size));
    }
    m_settingsPanel->SetShownFlag(true);
    m_settingsPanel->InitDateFields();
    m_settingsPanel->show();
    m_settingsPanel->raise();
}

void CardPanelsController::StopPlaybackBeforeFormat()
{
    // The card's files must be closed before it is erased (a card in use cannot be formatted).
    if (m_services.beforeFormat)
        m_services.beforeFormat();
    DualPlayback &playback = m_window.Playback();
    if ((playback.IsRunning() || playback.IsPaused()) && m_window.Library().IsCard()) {
        m_window.ShowPlain(Translated(kFormatStopsPlayback),
            m_window.Window().Skin().Text(QStringLiteral("err_title")), skin::kMbIconInformation);
        m_window.StopPlayback();
    }
}

void CardPanelsController::WriteCardSettings(int driveIndex)
{
    if (!m_settingsPanel) {
        m_window.ShowNotAvailable();
        return;
    }
    const auto *list
        = m_window.Window().Control<skin::CSkinListCtrl>(skin::kSkinListCtrl, QStringLiteral("file_list"));
    const bool listed = list && list->GetItemCount() > 0;
    m_settingsPanel->WriteSettings(driveIndex, listed);
    if (m_storagePanel)
        m_storagePanel->RefreshDrives(driveIndex);
    m_window.RequestRepaint();
}

void CardPanelsController::FormatStorageCard()
{
    // The storage panel's own card index names the card to format; without one nothing is erased.
    if (!m_storagePanel)
        m_window.ShowNotAvailable();
    else if (m_storagePanel->DriveIndex() >= 0)
        WriteCardSettings(m_storagePanel->DriveIndex());
}

void CardPanelsController::OnCardListed()
{
    if (m_settingsPanel)
        m_settingsPanel->LoadFromCard();
}
