#include "panels/CBBSettingDlg.h"

#include "device/CTAVINSDConfig.h"
#include "device/CardDescription.h"
#include "device/FormatCard.h"
#include "device/ui/ChooseCardDialog.h"
#include "panels/BackgroundJob.h"
#include "panels/MainWindowMessages.h"
#include "skin/CBitmapSlider.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QEventLoop>
#include <QPainter>

using namespace device;
using skin::kSkinImgButton;

// The project's support page; a skin may name another in its text item `support_url`.
const QUrl CBBSettingDlg::kSupportPage(QStringLiteral("https://tavin-viewer.example.org/support"));

namespace {

struct OptionGroup {
    int item;
    int page;
    // Buttons in choice order with the value each stores.
    std::vector<std::pair<const char *, const char *>> buttons;
};

const std::vector<OptionGroup> &OptionGroups()
{
    static const std::vector<OptionGroup> groups = {
        { kItemGSensorSensi, 1,
            { { "BB_sensor_drive_shock_low", "0" }, { "BB_sensor_drive_shock_normal", "1" },
                { "BB_sensor_drive_shock_high", "2" } } },
        { kItemPmImpactSensi, 1,
            { { "BB_sensor_parking_shock_low", "0" }, { "BB_sensor_parking_shock_normal", "1" },
                { "BB_sensor_parking_shock_high", "2" } } },
        { kItemPmMotionSensi, 1,
            { { "BB_sensor_parking_motion_low", "0" }, { "BB_sensor_parking_motion_normal", "1" },
                { "BB_sensor_parking_motion_high", "2" } } },
        { kItemLcdOffTime, 2,
            { { "BB_display_off_15", "0" }, { "BB_display_off_30", "1" }, { "BB_display_off_60", "2" },
                { "BB_display_off_5m", "3" } } },
        { kItemBrightness, 2,
            { { "BB_display_brightness_dark", "0" }, { "BB_display_brightness_normal", "1" },
                { "BB_display_brightness_light", "2" } } },
        { kItemAudioRecEnable, 3,
            { { "BB_display_sound_record_on", "TRUE" }, { "BB_display_sound_record_off", "FALSE" } } },
        { kItemSpeakerVol, 3,
            { { "BB_voice_notice_off", "0" }, { "BB_voice_notice_small", "1" },
                { "BB_voice_notice_normal", "2" }, { "BB_voice_notice_large", "3" } } },
        { kItemSoundEffect, 3,
            { { "BB_alarm_off", "0" }, { "BB_alarm_small", "1" }, { "BB_alarm_normal", "2" },
                { "BB_alarm_large", "3" } } },
        { kItemCarBatSafeVoltage, 4,
            { { "BB_block_volt_118", "118" }, { "BB_block_volt_120", "120" }, { "BB_block_volt_122", "122" },
                { "BB_block_volt_125", "125" } } },
        { kItemTempSafeValue, 4,
            { { "BB_block_battery_temp_70", "70" }, { "BB_block_battery_temp_75", "75" },
                { "BB_block_battery_temp_80", "80" } } },
        { kItemTempStableValue, 4,
            { { "BB_block_run_temp_45", "45" }, { "BB_block_run_temp_50", "50" },
                { "BB_block_run_temp_55", "55" } } },
        { kItemFormatAlarmPeriod, 5,
            { { "BB_memory_noti_off", "0" }, { "BB_memory_noti_15", "15" }, { "BB_memory_noti_30", "30" } } },
    };
    return groups;
}

const OptionGroup *GroupOf(int item)
{
    for (const OptionGroup &group : OptionGroups())
        if (group.item == item)
            return &group;
    return nullptr;
}

const char *const kMenuButtons[CBBSettingDlg::kPageCount] = { "BB_menu_sensor", "BB_menu_display",
    "BB_menu_audio", "BB_menu_block", "BB_menu_memory", "BB_menu_date", "BB_menu_info" };
const char *const kDateNames[CBBSettingDlg::kDateFieldCount]
    = { "BB_date_year", "BB_date_month", "BB_date_day", "BB_date_hour", "BB_date_min", "BB_date_sec" };
// The fixed texts below are translated where they are shown (CBBSettingDlg::tr).
// Each clock field's text: %1 is its number, except for the month and the hour, whose texts are
// date and time formats (QDate/QTime::toString, English names) so that a language may name the
// month ("Sep") or count the hours on a 12-hour clock ("2 PM") where Korean writes the number.
const char *const kDateFormats[CBBSettingDlg::kDateFieldCount] = { QT_TRANSLATE_NOOP("CBBSettingDlg", "%1년"),
    //: The month field: a QDate format ("M" the number, "MMM" or "MMMM" the English name).
    QT_TRANSLATE_NOOP("CBBSettingDlg", "M'월'"), QT_TRANSLATE_NOOP("CBBSettingDlg", "%1일"),
    //: The hour field: a QTime format ("H" 0-23, "h AP" 1-12 with AM or PM).
    QT_TRANSLATE_NOOP("CBBSettingDlg", "H'시'"), QT_TRANSLATE_NOOP("CBBSettingDlg", "%1분"),
    QT_TRANSLATE_NOOP("CBBSettingDlg", "%1초") };
const char *const kSlider = "BB_memory_rate_slider";
// A format shorter than this shows no progress window.
constexpr int kFormatProgressDelayMs = 300;
const char *const kInfoRows[3] = { "BB_info_name", "BB_info_fw", "BB_info_micom" };
const char *const kInfoLabels[3] = { QT_TRANSLATE_NOOP("CBBSettingDlg", "모델명: "),
    QT_TRANSLATE_NOOP("CBBSettingDlg", "펌웨어 버젼: "), QT_TRANSLATE_NOOP("CBBSettingDlg", "MICOM: ") };
const char *const kTimeQuestion = QT_TRANSLATE_NOOP("CBBSettingDlg", "설정된 시간을 저장하시겠습니까?");
const char *const kTimeCaption = QT_TRANSLATE_NOOP("CBBSettingDlg", "시간 설정");
const char *const kFormatWarningFallback = QT_TRANSLATE_NOOP(
    "CBBSettingDlg", "SD 카드를 포맷하면 카드에 저장된 모든 영상이 지워집니다.\n포맷하시겠습니까?");

// The image buttons of a page besides its option buttons.
QStringList PageButtons(int page)
{
    QStringList names;
    for (const OptionGroup &group : OptionGroups())
        if (group.page == page)
            for (const auto &button : group.buttons)
                names << QString::fromLatin1(button.first);
    if (page == 6) {
        for (const char *field : kDateNames)
            names << QString::fromLatin1(field) + QStringLiteral("_up")
                  << QString::fromLatin1(field) + QStringLiteral("_down");
    }
    if (page == 7)
        names << QStringLiteral("BB_info_update_check");
    return names;
}

int DaysInMonth(int year, int month)
{
    return QDate(year, month, 1).daysInMonth();
}

} // namespace

// The settings panel's side of a format: the question names the card, a refusal puts the memory
// partition back.
class CBBSettingDlg::FormatQuestion : public device::FormatPrompt
{
public:
    explicit FormatQuestion(CBBSettingDlg &dialog)
        : m_dialog(dialog)
    {
    }
    bool ConfirmFormat(const QString &root) override
    {
        const QString text = m_dialog.Skin().Text(
                                 QStringLiteral("format_warning"), CBBSettingDlg::tr(kFormatWarningFallback))
            + QStringLiteral("\n\n") + DescribeCard(root);
        const bool yes = m_dialog.Runtime().ShowMessageBox(&m_dialog, text,
                             m_dialog.Skin().Text(QStringLiteral("warning_title"), CBBSettingDlg::tr("경고")),
                             skin::kMbOkCancel | skin::kMbIconWarning)
            == skin::kIdOk;
        if (yes && m_dialog.m_beforeFormat)
            m_dialog.m_beforeFormat();
        return yes;
    }
    void DeviceInUse() override
    {
        m_dialog.Runtime().ShowMessageBox(&m_dialog, CBBSettingDlg::tr(kCardInUseMessage),
            m_dialog.Skin().Text(QStringLiteral("error_title")), skin::kMbIconError);
    }
    void FormatFailed(const QString &reason) override
    {
        m_dialog.Runtime().ShowMessageBox(&m_dialog,
            CBBSettingDlg::tr("SD 카드를 포맷하지 못했습니다.\n") + reason,
            m_dialog.Skin().Text(QStringLiteral("error_title")), skin::kMbIconError);
    }
    void FormatNotDone() override { m_dialog.RestoreCommittedPartition(); }
    void SetBusy(bool busy) override
    {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
    // The system may take minutes to format a card: the work runs on a worker while the window
    // goes on painting and answering, behind a progress window that cannot cancel it.
    platform::FormatResult RunFormat(const std::function<platform::FormatResult()> &work) override
    {
        BackgroundJob::Options options;
        options.text = CBBSettingDlg::tr("SD 카드를 포맷하는 중입니다...");
        options.title = m_dialog.Skin().Text(QStringLiteral("app_title"));
        options.cancellable = false;
        options.delayMs = kFormatProgressDelayMs;
        options.windowName = QStringLiteral("format_progress");
        BackgroundJob job(m_dialog.window(), options);
        struct Format {
            std::function<platform::FormatResult()> work;
            platform::FormatResult result;
        };
        platform::FormatResult result { platform::FormatStatus::Failed, QString(), QString() };
        QEventLoop loop;
        job.Start(
            Format { work, result },
            [](Format &format, BackgroundJob::Progress &) { format.result = format.work(); },
            [&](Format &format, bool) {
                result = format.result;
                loop.quit();
            });
        loop.exec();
        return result;
    }

private:
    CBBSettingDlg &m_dialog;
};

CBBSettingDlg::CBBSettingDlg(
    skin::SkinRuntime &runtime, QString skinFile, device::CTAVINSDConfig *config, QWidget *parent)
    : CSkinDialog(runtime, parent)
    , m_skinFile(std::move(skinFile))
    , m_config(config)
{
    m_choices.fill(-1);
}

CBBSettingDlg::~CBBSettingDlg() = default;

bool CBBSettingDlg::Init()
{
    if (!InitSkin(m_skinFile))
        return false;
    RegisterControls();
    if (auto *slider = Control<skin::CBitmapSlider>(skin::kSkinSlider, QString::fromLatin1(kSlider)))
        slider->SetRange(1, 9);
    LoadFromCard();
    // Every page's controls start hidden; the first page is shown.
    for (int page = 1; page <= kPageCount; ++page)
        for (const QString &name : PageButtons(page))
            ShowControl(kSkinImgButton, name, false);
    ShowControl(skin::kSkinSlider, QString::fromLatin1(kSlider), false);
    ShowPage(1);
    return true;
}

void CBBSettingDlg::RegisterControls()
{
    const auto click = [this](const QString &name, std::function<void()> fn) {
        RegisterEvent(name, kSkinImgButton, skin::kEventClick, skin::ClickDelegate(std::move(fn)));
    };
    for (int page = 1; page <= kPageCount; ++page) {
        click(QString::fromLatin1(kMenuButtons[page - 1]), [this, page] {
            if (page == 6)
                InitDateFields();
            ShowPage(page);
        });
    }
    click(QStringLiteral("BB_ok"), [this] { OnOk(); });
    click(QStringLiteral("BB_cancel"), [this] { OnCancel(); });
    click(QStringLiteral("BB_reset"), [this] { OnReset(); });
    click(QStringLiteral("BB_info_update_check"), [this] {
        Runtime().OpenUrl(QUrl(Skin().Text(QStringLiteral("support_url"), kSupportPage.toString())));
    });
    for (const OptionGroup &group : OptionGroups()) {
        for (size_t i = 0; i < group.buttons.size(); ++i) {
            const int item = group.item;
            const int choice = int(i) + 1;
            click(QString::fromLatin1(group.buttons[i].first),
                [this, item, choice] { OnOption(item, choice); });
        }
    }
    for (int field = 0; field < kDateFieldCount; ++field) {
        const QString name = QString::fromLatin1(kDateNames[field]);
        click(name + QStringLiteral("_up"), [this, field] { StepDate(DateField(field), 1); });
        click(name + QStringLiteral("_down"), [this, field] { StepDate(DateField(field), -1); });
    }
    RegisterEvent(QString::fromLatin1(kSlider), skin::kSkinSlider, skin::kEventClick,
        skin::ValueDelegate([this](qintptr position) { OnSlider(position); }));
}

void CBBSettingDlg::LoadFromCard()
{
    if (m_config) {
        for (QString &value : m_values)
            value.clear();
        m_config->SetValueStrings(&m_values);
        if (!m_config->Load(QString::fromLatin1(kSetupFileName)))
            m_config->Reset(false);
    }
    for (int item = 0; item < kItemCount; ++item)
        ApplyItem(item);
    // Only what the card's file says is the committed partition: a choice shown later (after a
    // slider move and Reset) must still be formatted before it is written.
    m_committedPartition = m_partition;
    m_committedPartitionText = m_values[kItemPartitionMode];
    InitDateFields();
    update();
}

void CBBSettingDlg::ApplyItem(int item)
{
    if (item < 0 || item >= kItemCount)
        return;
    const QString &value = m_values[item];
    switch (item) {
    case kItemName:
    case kItemFWVersion:
    case kItemMICOM:
        m_info[item] = value;
        break;
    case kItemGSensorSensi:
    case kItemSpeakerVol:
    case kItemSoundEffect:
    case kItemPmImpactSensi:
    case kItemPmMotionSensi:
    case kItemLcdOffTime:
    case kItemBrightness:
    case kItemLDWSSensi:
    case kItemAutoRebootHour:
    case kItemAutoRebootMin:
        m_choices[item] = value.toInt() + 1;
        break;
    case kItemAudioRecEnable:
    case kItemLDWS:
    case kItemSafeDriving:
    case kItemAutoReboot:
    case kItemFactoryReset:
        m_flags[item] = value == QLatin1String("TRUE");
        break;
    case kItemPartitionMode:
        // Only shown: the card's text goes back as it was (even one that is no number) until the
        // user moves the slider.
        ShowPartition(value.toInt());
        break;
    case kItemCarBatSafeVoltage:
    case kItemTempSafeValue:
    case kItemTempStableValue:
    case kItemFormatAlarmPeriod:
    case kItemLDWSSpeedOver: {
        // The recorder's own lookup: the first column that holds the value anywhere wins, which is
        // why a stray 75 volts reads as the second button.
        static const int table[5][4] = { { 118, 120, 122, 125 }, { 70, 75, 80, -1 }, { 45, 50, 55, -1 },
            { 0, 15, 30, -1 }, { 40, 60, 80, 100 } };
        const int number = value.toInt();
        bool found = false;
        for (int column = 0; column < 4 && !found; ++column)
            for (int row = 0; row < 5 && !found; ++row)
                if (table[row][column] == number) {
                    m_choices[item] = column + 1;
                    found = true;
                }
        break;
    }
    default:
        return;
    }

    const OptionGroup *group = GroupOf(item);
    if (!group)
        return;
    for (size_t i = 0; i < group->buttons.size(); ++i) {
        QWidget *button = GetControl(kSkinImgButton, QString::fromLatin1(group->buttons[i].first));
        if (!button)
            continue;
        const bool selected
            = item == kItemAudioRecEnable ? (i == 0) == m_flags[item] : int(i) + 1 == m_choices[item];
        button->setEnabled(!selected);
    }
}

void CBBSettingDlg::OnOption(int item, int choice)
{
    const OptionGroup *group = GroupOf(item);
    if (!group || choice < 1 || choice > int(group->buttons.size()))
        return;
    m_values[item] = QString::fromLatin1(group->buttons[size_t(choice - 1)].second);
    if (item == kItemAudioRecEnable)
        m_flags[item] = choice == 1;
    else
        m_choices[item] = choice;
    for (size_t i = 0; i < group->buttons.size(); ++i)
        if (QWidget *button = GetControl(kSkinImgButton, QString::fromLatin1(group->buttons[i].first)))
            button->setEnabled(int(i) + 1 != choice);
}

void CBBSettingDlg::ShowPartition(int partition)
{
    m_partition = partition;
    if (auto *slider = Control<skin::CBitmapSlider>(skin::kSkinSlider, QString::fromLatin1(kSlider))) {
        slider->SetRange(1, 9);
        slider->SetPos(10 - qBound(1, partition, 9));
    }
    update();
}

void CBBSettingDlg::RestoreCommittedPartition()
{
    m_values[kItemPartitionMode] = m_committedPartitionText;
    ShowPartition(m_committedPartition);
}

void CBBSettingDlg::OnSlider(qintptr position)
{
    const int p = qBound(1, int(position), 9);
    m_partition = 10 - p;
    // Back at the card's partition, the card's own text is written, as if the slider never moved.
    m_values[kItemPartitionMode]
        = m_partition == m_committedPartition ? m_committedPartitionText : QString::number(m_partition);
    update();
}

void CBBSettingDlg::OnReset()
{
    if (!m_config || !m_config->Reset(true)) {
        MessageBox(QStringLiteral("default_error"), QStringLiteral("error_title"), skin::kMbIconError);
        return;
    }
    for (int item = 0; item < kItemCount; ++item)
        ApplyItem(item);
    update();
}

void CBBSettingDlg::OnOk()
{
    skin::PostWindowMessage(parentWidget(), mainwindow::kMsgWriteSettings);
    m_visible = false;
    hide();
}

void CBBSettingDlg::OnCancel()
{
    skin::PostWindowMessage(parentWidget(), mainwindow::kMsgReloadSettings);
    m_visible = false;
    hide();
}

void CBBSettingDlg::ShowPage(int page)
{
    if (page < 1 || page > kPageCount)
        return;
    setUpdatesEnabled(false);
    if (m_page >= 1) {
        for (const QString &name : PageButtons(m_page))
            ShowControl(kSkinImgButton, name, false);
        if (QWidget *menu = GetControl(kSkinImgButton, QString::fromLatin1(kMenuButtons[m_page - 1])))
            menu->setEnabled(true);
    }
    m_page = page;
    for (int group = 4; group <= 10; ++group)
        Skin().SetGroupActive(group, group == page + 3);
    if (QWidget *menu = GetControl(kSkinImgButton, QString::fromLatin1(kMenuButtons[page - 1])))
        menu->setEnabled(false);
    for (const QString &name : PageButtons(page))
        ShowControl(kSkinImgButton, name, true);
    ShowControl(skin::kSkinSlider, QString::fromLatin1(kSlider), page == 5);
    ShowControl(kSkinImgButton, QStringLiteral("BB_reset"), page <= 6);
    setUpdatesEnabled(true);
    update();
}

void CBBSettingDlg::InitDateFields()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_date = { now.date().year(), now.date().month(), now.date().day(), now.time().hour(),
        now.time().minute(), now.time().second() };
    m_savedDate = m_date;
    update();
}

void CBBSettingDlg::StepDate(DateField field, int step)
{
    int &v = m_date[field];
    switch (field) {
    case kYear:
        v = qBound(1, v + step, 9999);
        break;
    case kMonth:
        v = qBound(1, v + step, 12);
        break;
    case kDay:
        v = qBound(1, v + step, DaysInMonth(m_date[kYear], m_date[kMonth]));
        break;
    case kHour:
        v = step > 0 ? (v + 1) % 24 : qMax(0, v - 1);
        break;
    case kMinute:
    case kSecond:
        v = step > 0 ? (v + 1) % 60 : qMax(0, v - 1);
        break;
    case kDateFieldCount:
        return;
    }
    // A day that the new month or year does not have would be written as a date the recorder
    // cannot set (31 February): it becomes the month's last day.
    m_date[kDay] = qMin(m_date[kDay], DaysInMonth(m_date[kYear], m_date[kMonth]));
    update();
}

void CBBSettingDlg::ShowWriteError()
{
    QString text = Skin().Text(QStringLiteral("error_write"));
    if (m_config && !m_config->ErrorString().isEmpty())
        text += QStringLiteral("\n\n") + m_config->ErrorString();
    Runtime().ShowMessageBox(this, text, Skin().Text(QStringLiteral("error_title")), skin::kMbIconError);
}

bool CBBSettingDlg::WriteSettings(int driveIndex, bool notify)
{
    if (!m_config)
        return false;
    m_values[kItemAudioRecEnable]
        = m_flags[kItemAudioRecEnable] ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    for (int item : { kItemLDWS, kItemSafeDriving, kItemAutoReboot, kItemFactoryReset })
        m_values[item] = m_flags[item] ? QStringLiteral("TRUE") : QStringLiteral("FALSE");

    const auto reportNoCard
        = [this] { MessageBox(QStringLiteral("no_card"), QStringLiteral("err_title"), skin::kMbIconError); };
    if (driveIndex >= 0) {
        if (!m_config->SelectDrive(driveIndex)) {
            reportNoCard();
            return false;
        }
    } else if (m_config->GetSelectedDrive().isEmpty()
        && ChooseCardWithDialog(*m_config, this, reportNoCard) != CardChoice::Selected) {
        return false;
    }

    const bool timeChanged = m_date != m_savedDate;
    const bool writeTime = timeChanged
        && Runtime().ShowMessageBox(
               this, tr(kTimeQuestion), tr(kTimeCaption), skin::kMbOkCancel | skin::kMbIconQuestion)
            == skin::kIdOk;
    m_config->ReadBatteryCalibration();

    bool written = false;
    const bool format = m_partition != m_committedPartition || driveIndex >= 0;
    if (format) {
        FormatQuestion question(*this);
        // Only a completed format lets the new partition reach the card: anything else leaves the
        // card and its settings file as they were (and the slider back at the card's value).
        if (m_config->FormatCard(m_config->GetSelectedDrive(), question) == 0) {
            if (!m_config->Load(QString()) || !m_config->Save(QString::fromLatin1(kSetupFileName))) {
                ShowWriteError();
                return false;
            }
            written = true;
            if (notify)
                skin::PostWindowMessage(parentWidget(), mainwindow::kMsgEmptyList);
        }
        m_committedPartition = m_partition;
        m_committedPartitionText = m_values[kItemPartitionMode];
    } else {
        if (!m_config->Load(QString()) || !m_config->Save(QString::fromLatin1(kSetupFileName))) {
            ShowWriteError();
            return false;
        }
        written = true;
    }
    // The card's own file could not be read and was replaced: the user learns where its bytes are.
    if (written && !m_config->KeptCopyPath().isEmpty())
        Runtime().ShowMessageBox(this,
            tr("읽을 수 없던 설정 파일을 %1 (으)로 보관했습니다.").arg(m_config->KeptCopyPath()),
            Skin().Text(QStringLiteral("app_title")), skin::kMbIconInformation);

    if (writeTime) {
        if (m_config->WriteTimeFile(
                m_date[kYear], m_date[kMonth], m_date[kDay], m_date[kHour], m_date[kMinute], m_date[kSecond]))
            m_savedDate = m_date;
        else
            ShowWriteError();
    }
    return written;
}

QString CBBSettingDlg::DateFieldText(DateField field, int value)
{
    const QString format = tr(kDateFormats[field]);
    QString text;
    if (field == kMonth)
        text = QDate(2000, value, 1).toString(format);
    else if (field == kHour)
        text = QTime(value, 0).toString(format);
    else
        return format.arg(value);
    // The fields stay in range; a number still shows should one not.
    return text.isEmpty() ? QString::number(value) : text;
}

QString CBBSettingDlg::InfoLabel(int row)
{
    return row >= 0 && row < 3 ? tr(kInfoLabels[row]) : QString();
}

QString CBBSettingDlg::ShownText(const QString &name) const
{
    for (int field = 0; field < kDateFieldCount; ++field)
        if (name == QLatin1String(kDateNames[field]))
            return DateFieldText(DateField(field), m_date[field]);
    if (name == QLatin1String("BB_memory_rate_N"))
        return QString::number((10 - m_partition) * 10);
    if (name == QLatin1String("BB_memory_rate_S"))
        return QString::number(m_partition * 10);
    for (int row = 0; row < 3; ++row)
        if (name == QLatin1String(kInfoRows[row]))
            return InfoLabel(row) + m_info[row];
    return QString();
}

void CBBSettingDlg::PaintText(
    QPainter &painter, const QString &name, const QString &text, const QColor &colour)
{
    const skin::CSkinText *item = Skin().GetText(name);
    if (!item)
        return;
    QFont font(item->fontFace.isEmpty() ? this->font().family() : item->fontFace);
    font.setPixelSize(item->fontSize > 0 ? item->fontSize : 13);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(item->rect.ToQRect(), Qt::AlignCenter | Qt::TextSingleLine, text);
}

void CBBSettingDlg::paintEvent(QPaintEvent *event)
{
    CSkinDialog::paintEvent(event);
    QPainter painter(this);
    const QColor light(0xE6, 0xE6, 0xE6);
    if (m_page == 5) {
        PaintText(painter, QStringLiteral("BB_memory_rate_N"), ShownText(QStringLiteral("BB_memory_rate_N")),
            light);
        PaintText(painter, QStringLiteral("BB_memory_rate_S"), ShownText(QStringLiteral("BB_memory_rate_S")),
            light);
    } else if (m_page == 6) {
        for (const char *field : kDateNames)
            PaintText(painter, QString::fromLatin1(field), ShownText(QString::fromLatin1(field)), light);
    } else if (m_page == 7) {
        for (int row = 0; row < 3; ++row) {
            const skin::CSkinText *item = Skin().GetText(QString::fromLatin1(kInfoRows[row]));
            if (!item)
                continue;
            const QRect r = item->rect.ToQRect();
            painter.fillRect(r, QColor(23, 23, 23));
            QFont font(item->fontFace.isEmpty() ? this->font().family() : item->fontFace);
            font.setPixelSize(item->fontSize > 0 ? item->fontSize : 13);
            painter.setFont(font);
            const QRect inner = r.adjusted(12, 0, -12, 0);
            painter.setPen(QColor(63, 166, 254));
            painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, InfoLabel(row));
            painter.setPen(QColor(203, 203, 203));
            painter.drawText(inner, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_info[row]);
        }
    }
}
