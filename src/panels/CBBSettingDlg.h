#pragma once

#include "device/ConfigItems.h"
#include "skin/CSkinDialog.h"

#include <QUrl>

#include <array>
#include <functional>

namespace device {
class CTAVINSDConfig;
}

// The recorder's settings panel: seven pages (sensor, display, audio, block, memory, date,
// information) of image buttons of which the current choice is the disabled one. It edits the
// 28 value strings of the card's setup.xml, sets the recorder's clock through the time file and
// formats the card before a new memory partition is written.
class CBBSettingDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    enum DateField { kYear, kMonth, kDay, kHour, kMinute, kSecond, kDateFieldCount };
    static constexpr int kPageCount = 7;
    // Where the update button sends the user.
    static const QUrl kSupportPage;

    // The configuration object keeps pointing at this panel's value strings; it must not be used for
    // the settings once the panel is gone (the main window's object dies before its child panels,
    // so the panel never touches it on the way out).
    CBBSettingDlg(
        skin::SkinRuntime &runtime, QString skinFile, device::CTAVINSDConfig *config, QWidget *parent);
    ~CBBSettingDlg() override;

    // Loads the skin, registers the controls and reads the card. False when the skin is missing
    // (the user was told and the panel closes).
    bool Init();

    // Drops unsaved choices: reads the selected card's settings (the defaults when it has none).
    void LoadFromCard();
    // Shows item's value in the controls.
    void ApplyItem(int item);
    void ShowPage(int page);
    // The date fields and their saved copy := the computer's clock now.
    void InitDateFields();
    // Writes the settings to the card: driveIndex -1 for the selected card (one is chosen when
    // none is), or an index of the offered cards, which is then formatted first. notify: post the
    // main window kMsgEmptyList after a format followed by a write. True when setup.xml was written.
    bool WriteSettings(int driveIndex, bool notify);

    // Runs after the user agreed to a format and before the card is erased (the main window stops
    // playing the card's recordings there).
    void SetBeforeFormat(std::function<void()> hook) { m_beforeFormat = std::move(hook); }

    bool IsShownFlag() const { return m_visible; }
    void SetShownFlag(bool shown) { m_visible = shown; }
    int CurrentPage() const { return m_page; }
    int CurrentPartition() const { return m_partition; }
    // The partition that the card's file describes (read from or last written to the card).
    int CommittedPartition() const { return m_committedPartition; }
    const device::ValueStrings &Values() const { return m_values; }
    int DateValue(DateField field) const { return m_date[field]; }
    // The text a painted text item shows (date fields, percentages, information rows).
    QString ShownText(const QString &name) const;
    // How a field of the clock shows its value in the program's language.
    static QString DateFieldText(DateField field, int value);
    // The label of a row of the information page (0 model, 1 firmware, 2 controller firmware).
    static QString InfoLabel(int row);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    class FormatQuestion;

    void RegisterControls();
    void OnOption(int item, int choice);
    void OnSlider(qintptr position);
    void OnReset();
    void OnOk();
    void OnCancel();
    void StepDate(DateField field, int step);
    // The slider at partition, the value string untouched.
    void ShowPartition(int partition);
    // The partition and its value string back as the card's file has them.
    void RestoreCommittedPartition();
    void ShowWriteError();
    void PaintText(QPainter &painter, const QString &name, const QString &text, const QColor &colour);

    QString m_skinFile;
    bool m_visible = false;
    device::CTAVINSDConfig *m_config;
    device::ValueStrings m_values;
    int m_page = 0;
    int m_committedPartition = 5;
    QString m_committedPartitionText = QStringLiteral("5"); // its text, as the file holds it
    std::array<int, device::kItemCount> m_choices;
    std::array<QString, 3> m_info;
    int m_partition = 5;
    std::array<bool, device::kItemCount> m_flags {};
    std::array<int, kDateFieldCount> m_date {};
    std::array<int, kDateFieldCount> m_savedDate {};
    std::function<void()> m_beforeFormat;
};
