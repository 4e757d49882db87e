#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "app/features/CardPanelsController.h"
#include "app/features/ExportController.h"
#include "app/features/ImpactsController.h"
#include "app/features/MapController.h"
#include "app/features/RecordingListController.h"
#include "app/features/ToolPanelsController.h"
#include "device/CTAVINSDConfig.h"
#include "device/CardBackup.h"
#include "panels/CBBSettingDlg.h"
#include "panels/CStorageDlg.h"
#include "panels/MainWindowMessages.h"
#include "skin/CBitmapSlider.h"
#include "skin/CImgButton.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"
#include "support/DefaultSkin.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/QtPrinters.h"
#include "support/SampleCards.h"
#include "support/Wait.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <thread>

using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

// The system's side of cards: the test's folders are removable cards with a block device.
class TestCards : public platform::VolumeSource
{
public:
    explicit TestCards(QStringList roots)
        : m_roots(std::move(roots))
    {
    }
    std::vector<platform::MountedVolume> RemovableVolumes() const override
    {
        std::vector<platform::MountedVolume> volumes;
        for (const QString &root : m_roots)
            volumes.push_back(
                { root, QStringLiteral("/dev/sdb1"), QStringLiteral("vfat"), QStringLiteral("8:17") });
        return volumes;
    }

private:
    QStringList m_roots;
};

// The system's formatter: a completed format leaves the card empty.
class FakeFormatter : public platform::CardFormatter
{
public:
    platform::FormatStatus status = platform::FormatStatus::Formatted;
    int calls = 0;
    std::optional<platform::VolumeGeometry> QueryGeometry(const QString &) override
    {
        return platform::VolumeGeometry { QStringLiteral("FAT32"), 32768, 512 };
    }
    platform::FormatResult Format(
        const platform::MountedVolume &card, const QString &, const QString &, quint32) override
    {
        ++calls;
        if (status == platform::FormatStatus::Formatted) {
            QDir(card.root).removeRecursively();
            QDir().mkpath(card.root);
        }
        return { status, card.root,
            status == platform::FormatStatus::Failed ? QStringLiteral("I/O error") : QString() };
    }
};

// Stands in for the main window: keeps what the panels post to it.
class Receiver : public QWidget
{
public:
    std::vector<std::pair<quint32, quintptr>> messages;
    bool got(quint32 message) const
    {
        return std::any_of(
            messages.begin(), messages.end(), [&](const auto &m) { return m.first == message; });
    }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == skin::WindowMessageEvent::EventType()) {
            const auto &m = static_cast<skin::WindowMessageEvent &>(*event);
            messages.emplace_back(m.Message(), m.WParam());
            return true;
        }
        return QWidget::event(event);
    }
};

QString ItemValue(const QString &setupPath, const char *id)
{
    const QString text = QString::fromUtf8(ReadFile(setupPath));
    const QString marker = QStringLiteral("id=\"%1\" value=\"").arg(QLatin1String(id));
    const qsizetype at = text.indexOf(marker);
    return at < 0 ? QString() : text.mid(at + marker.size()).section(QLatin1Char('"'), 0, 0);
}

QStringList FilesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(root.size() + 1);
    files.sort();
    return files;
}

class CardPanelsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        ASSERT_TRUE(testsupport::UseDefaultSkin(
            m_runtime, m_shown, [this](const testsupport::ShownBox &box) { return m_answer(box.text); }));
        m_runtime.SetUrlOpener([this](const QUrl &url) { m_opened.push_back(url); });
    }

    // A copy of the sample card in the test's own folder.
    QString CopyCard(const QString &name)
    {
        const QString root = m_tmp.filePath(name);
        testsupport::CopySampleCard(testsupport::SharedSampleCard(), root);
        return root;
    }

    // A configuration object whose one card is root, selected, with the fake formatter.
    std::unique_ptr<device::CTAVINSDConfig> Config(const QString &root)
    {
        auto config = std::make_unique<device::CTAVINSDConfig>();
        config->SetVolumeSource(std::make_unique<TestCards>(QStringList { root }));
        auto formatter = std::make_unique<FakeFormatter>();
        m_formatter = formatter.get();
        config->SetCardFormatter(std::move(formatter));
        EXPECT_EQ(config->ScanDrives(false), 1);
        EXPECT_TRUE(config->SelectDrive(0));
        return config;
    }

    static void Click(QWidget *dialog, skin::CSkinDialog &owner, const QString &name)
    {
        const int id = owner.GetControlId(skin::kSkinImgButton, name);
        ASSERT_NE(id, 0) << name.toStdString();
        skin::SendWindowMessage(dialog, skin::kMsgCommand, skin::CommandWParam(id, 0));
    }
    static void Click(skin::CSkinDialog &dialog, const char *name)
    {
        Click(&dialog, dialog, QString::fromLatin1(name));
    }
    static void MoveSlider(CBBSettingDlg &panel, int position)
    {
        const QString name = QStringLiteral("BB_memory_rate_slider");
        panel.Control<skin::CBitmapSlider>(skin::kSkinSlider, name)->SetPos(position);
        skin::SendWindowMessage(
            &panel, skin::kMsgSliderMoved, quintptr(panel.GetControlId(skin::kSkinSlider, name)), position);
    }
    static int SliderPos(CBBSettingDlg &panel)
    {
        return panel.Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("BB_memory_rate_slider"))
            ->GetPos();
    }
    static bool Enabled(skin::CSkinDialog &dialog, const QString &name)
    {
        return dialog.GetControl(skin::kSkinImgButton, name)->isEnabled();
    }
    bool Asked(const QString &part) const
    {
        return std::any_of(m_shown.begin(), m_shown.end(),
            [&](const testsupport::ShownBox &s) { return s.text.contains(part); });
    }

    QTemporaryDir m_tmp;
    skin::SkinRuntime m_runtime;
    std::vector<testsupport::ShownBox> m_shown;
    std::vector<QUrl> m_opened;
    std::function<int(const QString &)> m_answer = [](const QString &) { return int(skin::kIdOk); };
    FakeFormatter *m_formatter = nullptr;
    Receiver m_parent;
};

// The settings file's items by id.
std::map<QString, QString> Items(const QString &setupPath)
{
    static const QRegularExpression item(QStringLiteral("<item id=\"([^\"]*)\" value=\"([^\"]*)\""));
    std::map<QString, QString> items;
    QRegularExpressionMatchIterator it = item.globalMatch(QString::fromUtf8(ReadFile(setupPath)));
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        items[match.captured(1)] = match.captured(2);
    }
    return items;
}

// The panel's image buttons that choose a value, by name: all but the page buttons, the clock's
// steps, the update check and the three that act on all settings at once.
QStringList ChoiceButtons(const CBBSettingDlg &panel)
{
    const QStringList commands = { QStringLiteral("BB_ok"), QStringLiteral("BB_cancel"),
        QStringLiteral("BB_reset"), QStringLiteral("BB_info_update_check") };
    QStringList names;
    for (const skin::CImgButton *button : panel.findChildren<skin::CImgButton *>()) {
        const QString name = button->objectName();
        if (!name.startsWith(QLatin1String("BB_menu_")) && !name.startsWith(QLatin1String("BB_date_"))
            && !commands.contains(name))
            names << name;
    }
    names.sort();
    return names;
}

// What a choice button writes: the item's id and its value.
using Written = std::pair<QString, QString>;

TEST_F(CardPanelsTest, EveryOptionIsShownFromTheCardAndWrittenBack)
{
    const QString root = CopyCard(QStringLiteral("card"));
    const QString setup = root + QStringLiteral("/setup.xml");
    const QString calibration = ItemValue(setup, "CarBatVoltCalib");
    QByteArray text = ReadFile(setup);
    text.replace("\"CarBatSafeVoltage\" value=\"120\"", "\"CarBatSafeVoltage\" value=\"75\"");
    text.replace("\"GSensorSensi\" value=\"1\"", "\"GSensorSensi\" value=\"7\"");
    ASSERT_TRUE(WriteFile(setup, text));
    auto config = Config(root);
    CBBSettingDlg panel(m_runtime, QStringLiteral("bbsetting"), config.get(), &m_parent);
    ASSERT_TRUE(panel.Init());
    const QStringList buttons = ChoiceButtons(panel);
    ASSERT_FALSE(buttons.isEmpty());
    // A choice shown as the card's is the disabled button of its setting.
    std::map<QString, bool> chosenFromCard;
    for (const QString &button : buttons)
        chosenFromCard[button] = !Enabled(panel, button);

    // A value that is no choice goes back to the card as it was.
    ASSERT_TRUE(panel.WriteSettings(-1, false));
    EXPECT_EQ(ItemValue(setup, "GSensorSensi"), QStringLiteral("7"));
    EXPECT_EQ(ItemValue(setup, "CarBatSafeVoltage"), QStringLiteral("75"));
    EXPECT_EQ(ItemValue(setup, "CarBatVoltCalib"), calibration);
    EXPECT_TRUE(m_shown.empty());

    // What each button writes, learnt from the card: every button that is not the shown choice
    // (which would change nothing) is clicked and the settings written; exactly one item may change.
    // A second pass takes the buttons that were shown as chosen, as the first one chose others since.
    std::map<QString, Written> writes;
    for (int pass = 0; pass < 2; ++pass) {
        for (const QString &button : buttons) {
            if (writes.count(button) || !Enabled(panel, button))
                continue;
            const std::map<QString, QString> before = Items(setup);
            Click(&panel, panel, button);
            ASSERT_TRUE(panel.WriteSettings(-1, false));
            const std::map<QString, QString> after = Items(setup);
            EXPECT_EQ(after.size(), before.size()) << button.toStdString();
            QStringList changed;
            for (const auto &[id, value] : after)
                if (!before.count(id) || before.at(id) != value)
                    changed << id;
            ASSERT_EQ(changed.size(), 1)
                << button.toStdString() << ": " << changed.join(QLatin1Char(' ')).toStdString();
            writes[button] = { changed[0], after.at(changed[0]) };
        }
    }
    for (const QString &button : buttons)
        EXPECT_TRUE(writes.count(button)) << button.toStdString() << " wrote nothing";

    // The buttons of each setting, and every one of them writes a value of its own.
    std::map<QString, QStringList> settings;
    for (const auto &[button, written] : writes)
        settings[written.first] << button;
    for (const auto &[item, group] : settings) {
        std::set<QString> values;
        for (const QString &button : group)
            values.insert(writes[button].second);
        EXPECT_GE(group.size(), 2) << item.toStdString();
        EXPECT_EQ(values.size(), size_t(group.size())) << item.toStdString();
    }

    // 75 stands in the second column of the recorder's lookup: the 12.0 V choice shows as the card's.
    // The G-sensor's 7 is no choice at all.
    ASSERT_FALSE(settings[QStringLiteral("CarBatSafeVoltage")].isEmpty());
    for (const QString &button : settings[QStringLiteral("CarBatSafeVoltage")])
        EXPECT_EQ(chosenFromCard[button], writes[button].second == QLatin1String("120"))
            << button.toStdString();
    EXPECT_TRUE(chosenFromCard[QStringLiteral("BB_block_volt_120")]);
    ASSERT_FALSE(settings[QStringLiteral("GSensorSensi")].isEmpty());
    for (const QString &button : settings[QStringLiteral("GSensorSensi")])
        EXPECT_FALSE(chosenFromCard[button]) << button.toStdString();

    // Some choices in the recorder's own terms.
    EXPECT_EQ(writes[QStringLiteral("BB_block_volt_125")], Written("CarBatSafeVoltage", "125"));
    EXPECT_EQ(writes[QStringLiteral("BB_block_run_temp_55")], Written("TempStableValue", "55"));
    EXPECT_EQ(writes[QStringLiteral("BB_memory_noti_30")], Written("FormatAlarmPeriod", "30"));
    EXPECT_EQ(writes[QStringLiteral("BB_voice_notice_normal")], Written("SpeakerVol", "2"));
    EXPECT_EQ(writes[QStringLiteral("BB_display_off_5m")], Written("LcdOffTime", "3"));
    EXPECT_EQ(writes[QStringLiteral("BB_display_sound_record_off")], Written("AudioRecEnable", "FALSE"));

    // Read again from the card, the last choice of each setting is the one shown as chosen, and the
    // choices of the other settings stay: one choice at a time, then one of every setting at once.
    std::map<QString, QString> chosen; // item: button
    const auto expectShown = [&](const QString &after) {
        for (const auto &[item, button] : chosen) {
            EXPECT_EQ(Items(setup)[item], writes[button].second) << item.toStdString();
            for (const QString &other : settings[item])
                EXPECT_EQ(Enabled(panel, other), other != button)
                    << other.toStdString() << " after " << after.toStdString();
        }
    };
    for (const auto &[item, group] : settings) {
        for (const QString &button : group) {
            Click(&panel, panel, button);
            ASSERT_TRUE(panel.WriteSettings(-1, false));
            panel.LoadFromCard();
            chosen[item] = button;
            expectShown(button);
        }
    }
    for (const auto &[item, group] : settings) {
        Click(&panel, panel, group.front());
        chosen[item] = group.front();
    }
    ASSERT_TRUE(panel.WriteSettings(-1, false));
    panel.LoadFromCard();
    expectShown(QStringLiteral("the first choice of every setting"));
    EXPECT_EQ(m_formatter->calls, 0);

    // Pages: the menu button of the shown page is the disabled one, its artwork group the active one.
    Click(panel, "BB_menu_info");
    EXPECT_EQ(panel.CurrentPage(), 7);
    EXPECT_FALSE(Enabled(panel, QStringLiteral("BB_menu_info")));
    EXPECT_TRUE(Enabled(panel, QStringLiteral("BB_menu_sensor")));
    for (int group = 4; group <= 10; ++group)
        EXPECT_EQ(panel.Skin().GetGroup(group)->active, group == 10);
    EXPECT_FALSE(panel.GetControl(skin::kSkinImgButton, QStringLiteral("BB_reset"))->isVisibleTo(&panel));
    EXPECT_EQ(panel.ShownText(QStringLiteral("BB_info_fw")), QStringLiteral("펌웨어 버젼: 1.04.22"));
    Click(panel, "BB_info_update_check");
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].scheme(), QStringLiteral("https"));
}

TEST_F(CardPanelsTest, ANewPartitionIsWrittenOnlyAfterACompletedFormat)
{
    const QString root = CopyCard(QStringLiteral("card"));
    const QString setup = root + QStringLiteral("/setup.xml");
    auto config = Config(root);
    CBBSettingDlg panel(m_runtime, QStringLiteral("bbsetting"), config.get(), &m_parent);
    ASSERT_TRUE(panel.Init());
    Click(panel, "BB_menu_memory");
    EXPECT_EQ(panel.ShownText(QStringLiteral("BB_memory_rate_N")), QStringLiteral("50"));

    MoveSlider(panel, 9);
    EXPECT_EQ(panel.Values()[device::kItemPartitionMode], QStringLiteral("1"));
    EXPECT_EQ(panel.ShownText(QStringLiteral("BB_memory_rate_N")), QStringLiteral("90"));
    EXPECT_EQ(panel.ShownText(QStringLiteral("BB_memory_rate_S")), QStringLiteral("10"));

    // The format breaks off: the card keeps its file, the slider goes back to the card's value.
    m_formatter->status = platform::FormatStatus::Failed;
    EXPECT_FALSE(panel.WriteSettings(-1, true));
    EXPECT_EQ(m_formatter->calls, 1);
    EXPECT_TRUE(Asked(root)); // the question names the card's mount point
    EXPECT_TRUE(Asked(QStringLiteral("I/O error")));
    EXPECT_EQ(ItemValue(setup, "PartitionMode"), QStringLiteral("5"));
    EXPECT_EQ(SliderPos(panel), 5);
    EXPECT_EQ(panel.Values()[device::kItemPartitionMode], QStringLiteral("5"));

    // A slider move, then Reset, then a declined question: still nothing is written.
    MoveSlider(panel, 9);
    Click(panel, "BB_reset");
    EXPECT_EQ(panel.Values()[device::kItemPartitionMode], QStringLiteral("1"));
    m_answer = [](const QString &text) {
        return text.contains(QStringLiteral("포맷")) ? int(skin::kIdCancel) : int(skin::kIdOk);
    };
    m_shown.clear();
    EXPECT_FALSE(panel.WriteSettings(-1, true));
    EXPECT_TRUE(Asked(root));
    EXPECT_EQ(m_formatter->calls, 1);
    EXPECT_EQ(ItemValue(setup, "PartitionMode"), QStringLiteral("5"));
    EXPECT_EQ(SliderPos(panel), 5);

    // A completed format: the empty card gets the new partition, and the main window hears of it.
    m_answer = [](const QString &) { return int(skin::kIdOk); };
    m_formatter->status = platform::FormatStatus::Formatted;
    MoveSlider(panel, 9);
    EXPECT_TRUE(panel.WriteSettings(-1, true));
    EXPECT_EQ(m_formatter->calls, 2);
    EXPECT_EQ(FilesUnder(root), QStringList { QStringLiteral("setup.xml") });
    EXPECT_EQ(ItemValue(setup, "PartitionMode"), QStringLiteral("1"));
    EXPECT_EQ(panel.CommittedPartition(), 1);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_parent.got(mainwindow::kMsgEmptyList); }));
}

// What the panel does not change goes back as the card had it: a partition that is no number, and
// the recorder's battery calibration, also through Reset then OK.
TEST_F(CardPanelsTest, ThePartitionTextAndTheCalibrationStayUnlessTheUserChangesThem)
{
    for (const QString &partition : { QString(), QStringLiteral("abc"), QStringLiteral(" 5") }) {
        SCOPED_TRACE(partition.toStdString());
        const QString root = CopyCard(QStringLiteral("card") + QString::number(partition.size()));
        const QString setup = root + QStringLiteral("/setup.xml");
        const QString calibration = ItemValue(setup, "CarBatVoltCalib");
        ASSERT_FALSE(calibration.isEmpty());
        QByteArray text = ReadFile(setup);
        ASSERT_TRUE(text.contains("\"PartitionMode\" value=\"5\""));
        text.replace(
            "\"PartitionMode\" value=\"5\"", "\"PartitionMode\" value=\"" + partition.toLatin1() + '"');
        ASSERT_TRUE(WriteFile(setup, text));
        auto config = Config(root);
        CBBSettingDlg panel(m_runtime, QStringLiteral("bbsetting"), config.get(), &m_parent);
        ASSERT_TRUE(panel.Init());

        // Another item changed, then OK.
        Click(panel, "BB_sensor_drive_shock_high");
        ASSERT_TRUE(panel.WriteSettings(-1, false));
        EXPECT_EQ(ItemValue(setup, "GSensorSensi"), QStringLiteral("2"));
        EXPECT_EQ(ItemValue(setup, "PartitionMode"), partition);
        EXPECT_EQ(ItemValue(setup, "CarBatVoltCalib"), calibration);

        // Reset then OK: the defaults, but the card's partition and calibration.
        Click(panel, "BB_reset");
        ASSERT_TRUE(panel.WriteSettings(-1, false));
        EXPECT_EQ(ItemValue(setup, "GSensorSensi"), QStringLiteral("1"));
        EXPECT_EQ(ItemValue(setup, "PartitionMode"), partition);
        EXPECT_EQ(ItemValue(setup, "CarBatVoltCalib"), calibration);

        EXPECT_EQ(m_formatter->calls, 0);
        EXPECT_TRUE(m_shown.empty());

        // The slider moved away and back to the card's partition (" 5" reads as 5): not a change.
        if (partition == QLatin1String(" 5")) {
            panel.LoadFromCard();
            Click(panel, "BB_menu_memory");
            ASSERT_EQ(SliderPos(panel), 5);
            MoveSlider(panel, 3);
            EXPECT_EQ(panel.Values()[device::kItemPartitionMode], QStringLiteral("7"));
            MoveSlider(panel, 5);
            ASSERT_TRUE(panel.WriteSettings(-1, false));
            EXPECT_EQ(ItemValue(setup, "PartitionMode"), partition);
            EXPECT_EQ(m_formatter->calls, 0);
        }
    }
}

TEST_F(CardPanelsTest, ADateChangeKeepsTheSettingsAndGivesAValidDay)
{
    const QString root = CopyCard(QStringLiteral("card"));
    const QString setup = root + QStringLiteral("/setup.xml");
    auto config = Config(root);
    CBBSettingDlg panel(m_runtime, QStringLiteral("bbsetting"), config.get(), &m_parent);
    ASSERT_TRUE(panel.Init());
    ASSERT_TRUE(panel.WriteSettings(-1, false));
    const QByteArray before = ReadFile(setup);
    EXPECT_TRUE(m_shown.empty());

    Click(panel, "BB_menu_date");
    for (int i = 0; i < 12; ++i)
        Click(panel, "BB_date_month_down");
    for (int i = 0; i < 31; ++i)
        Click(panel, "BB_date_day_up");
    EXPECT_EQ(panel.ShownText(QStringLiteral("BB_date_day")), QStringLiteral("31일"));
    EXPECT_EQ(panel.ShownText(QStringLiteral("BB_date_month")), QStringLiteral("1월"));
    Click(panel, "BB_date_month_up");
    const int year = panel.DateValue(CBBSettingDlg::kYear);
    EXPECT_EQ(panel.DateValue(CBBSettingDlg::kMonth), 2);
    EXPECT_TRUE(QDate::isValid(year, 2, panel.DateValue(CBBSettingDlg::kDay)));
    EXPECT_GE(panel.DateValue(CBBSettingDlg::kDay), 28);
    EXPECT_EQ(panel.ShownText(QStringLiteral("BB_date_year")), QString::number(year) + QStringLiteral("년"));

    ASSERT_TRUE(panel.WriteSettings(-1, false));
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].caption, QStringLiteral("시간 설정"));
    EXPECT_EQ(ReadFile(setup), before);
    const QByteArray time = ReadFile(root + QStringLiteral("/time.cfg"));
    EXPECT_EQ(time.size(), 19);
    EXPECT_EQ(time.left(8), QStringLiteral("%1.02.").arg(year).toLatin1());
    EXPECT_EQ(m_formatter->calls, 0);
}

TEST_F(CardPanelsTest, StorageFiguresFollowTheAreasAndTheFormatRequestClearsThem)
{
    const QString root = m_tmp.filePath(QStringLiteral("figures"));
    ASSERT_TRUE(WriteFile(root + QStringLiteral("/NORMAL/20240101_000000_N.AVI"), QByteArray(1048575, 'n')));
    ASSERT_TRUE(WriteFile(root + QStringLiteral("/EVENT/20240101_000100_S.avi"), QByteArray(3 << 20, 's')));
    ASSERT_TRUE(WriteFile(root + QStringLiteral("/Save/20240101_000200_N.AVI"), QByteArray(2 << 20, 'a')));
    ASSERT_TRUE(WriteFile(root + QStringLiteral("/Save/notes.txt"), QByteArray(5 << 20, 't')));
    auto config = Config(root);
    int partition = 5;
    CStorageDlg panel(
        m_runtime, QStringLiteral("storage"), config.get(), [&] { return partition; }, 0, &m_parent);
    panel.SetSpaceQuery([](const QString &) {
        return std::optional<CStorageDlg::Space>({ qint64(32768) << 20, qint64(16384) << 20 });
    });
    ASSERT_TRUE(panel.Init());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !panel.IsWorking(); }));
    EXPECT_EQ(panel.ShownText(QStringLiteral("storage_total_N")), QStringLiteral("Total (16.0 GB, 50%)"));
    EXPECT_EQ(panel.ShownText(QStringLiteral("storage_total_S")), QStringLiteral("Total (16.0 GB, 50%)"));
    // 1 % of 32 GB is 327.68 MB: under a gigabyte a size is given in whole megabytes.
    EXPECT_EQ(panel.ShownText(QStringLiteral("storage_total_A")), QStringLiteral("Total (328 MB, 1%)"));
    // 1 048 575 bytes are 0 MB; the N recording in Save counts in N and in A.
    EXPECT_EQ(panel.ShownText(QStringLiteral("storage_use_N")), QStringLiteral("In Use (2 MB, 0%)"));
    EXPECT_EQ(panel.ShownText(QStringLiteral("storage_use_S")), QStringLiteral("In Use (3 MB, 0%)"));
    EXPECT_EQ(panel.ShownText(QStringLiteral("storage_use_A")), QStringLiteral("In Use (2 MB, 0%)"));
    // The card's free space, the second figure of the space query.
    EXPECT_TRUE(
        panel.ShownText(QStringLiteral("storage_capacity")).endsWith(QStringLiteral(" (16.0 GB free)")))
        << panel.ShownText(QStringLiteral("storage_capacity")).toStdString();

    // PartitionMode 1 leaves nine tenths to the N area, as the settings panel shows it.
    partition = 1;
    panel.RefreshDrives(0);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !panel.IsWorking(); }));
    EXPECT_EQ(panel.ShownText(QStringLiteral("storage_total_N")), QStringLiteral("Total (28.8 GB, 90%)"));
    EXPECT_EQ(panel.ShownText(QStringLiteral("storage_total_S")), QStringLiteral("Total (3.2 GB, 10%)"));

    Click(panel, "storage_format");
    EXPECT_EQ(panel.ShownText(QStringLiteral("storage_use_S")), QStringLiteral("In Use (0 MB, 100%)"));
    EXPECT_EQ(panel.ShownText(QStringLiteral("storage_total_A")), QStringLiteral("Total (0 MB, 100%)"));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_parent.got(mainwindow::kMsgFormatCard); }));
    EXPECT_EQ(m_formatter->calls, 0); // the panel only asks; the main window formats
}

// A slow card under the storage panel's walk: reading the slow card's folders holds the walk,
// whatever its cancel flag says, until the test lets it go; other cards are read at once.
class SlowCard
{
public:
    explicit SlowCard(QString root)
        : m_root(std::move(root))
    {
    }
    CStorageDlg::UsageWalk Walk()
    {
        return [this](const QString &root, const std::atomic_bool *cancel) {
            ++running;
            if (root == m_root)
                m_released.wait(false);
            const device::RecordingSums sums = device::SumRecordings(root, cancel);
            --running;
            return sums;
        };
    }
    void Release()
    {
        m_released = true;
        m_released.notify_all();
    }
    std::atomic_int running { 0 };

private:
    QString m_root;
    std::atomic_bool m_released { false };
};

// Two cards, the first of them slow, with different recordings; the panel reads the slow one first.
class StorageWalkTest : public CardPanelsTest
{
protected:
    void SetUp() override
    {
        CardPanelsTest::SetUp();
        ASSERT_TRUE(
            WriteFile(m_slow + QStringLiteral("/NORMAL/20240101_000000_N.AVI"), QByteArray(3 << 20, 'n')));
        ASSERT_TRUE(
            WriteFile(m_fast + QStringLiteral("/EVENT/20240101_000100_S.avi"), QByteArray(2 << 20, 's')));
        m_config = std::make_unique<device::CTAVINSDConfig>();
        m_config->SetVolumeSource(std::make_unique<TestCards>(QStringList { m_slow, m_fast }));
        ASSERT_EQ(m_config->ScanDrives(false), 2);
        ASSERT_TRUE(m_config->SelectDrive(0));
    }
    void TearDown() override
    {
        // Whatever a failed check left running ends before the cards' folders go.
        m_card.Release();
        EXPECT_TRUE(testsupport::WaitUntil([&] { return m_card.running == 0; }));
    }

    std::unique_ptr<CStorageDlg> Panel()
    {
        auto panel = std::make_unique<CStorageDlg>(
            m_runtime, QStringLiteral("storage"), m_config.get(), [] { return 5; }, 0, &m_parent);
        panel->SetSpaceQuery([](const QString &) {
            return std::optional<CStorageDlg::Space>({ qint64(32768) << 20, qint64(16384) << 20 });
        });
        panel->SetUsageWalk(m_card.Walk());
        return panel;
    }
    // The user picks the other card in the panel's list.
    static void PickCard(CStorageDlg &panel, int index)
    {
        auto *list = panel.Control<QComboBox>(skin::kSkinComboBox, QStringLiteral("storage_combobox"));
        ASSERT_NE(list, nullptr);
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    const QString m_slow = m_tmp.filePath(QStringLiteral("slow"));
    const QString m_fast = m_tmp.filePath(QStringLiteral("fast"));
    SlowCard m_card { m_slow };
    std::unique_ptr<device::CTAVINSDConfig> m_config;
};

TEST_F(StorageWalkTest, AWalkGivenUpForAnotherCardNeverShowsItsFigures)
{
    const auto panel = Panel();
    ASSERT_TRUE(panel->Init());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_card.running == 1; }));
    PickCard(*panel, 1);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !panel->IsWorking(); }));
    EXPECT_EQ(panel->ShownText(QStringLiteral("storage_use_S")), QStringLiteral("In Use (2 MB, 0%)"));
    EXPECT_EQ(panel->ShownText(QStringLiteral("storage_use_N")), QStringLiteral("In Use (0 MB, 0%)"));

    // The slow card's walk ends later; the figures stay those of the card now chosen.
    m_card.Release();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_card.running == 0; }));
    for (int round = 0; round < 5; ++round)
        QCoreApplication::processEvents();
    EXPECT_EQ(panel->ShownText(QStringLiteral("storage_use_N")), QStringLiteral("In Use (0 MB, 0%)"));
    EXPECT_TRUE(panel->ShownText(QStringLiteral("storage_capacity")).contains(m_fast));
}

TEST_F(StorageWalkTest, ClosingThePanelWaitsForAWalkGivenUpForAnotherCard)
{
    auto panel = Panel();
    ASSERT_TRUE(panel->Init());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_card.running == 1; }));
    PickCard(*panel, 1);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !panel->IsWorking(); }));
    ASSERT_EQ(m_card.running, 1); // the slow card's walk, given up, still runs

    // The program closes while the slow card is still being read; the read ends a little later.
    std::thread slowRead([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        m_card.Release();
    });
    panel.reset();
    EXPECT_EQ(m_card.running, 0);
    slowRead.join();
}

TEST_F(CardPanelsTest, BackupIsVerifiedCancelledCleanlyAndCheckedLater)
{
    const QString root = CopyCard(QStringLiteral("card"));
    const QStringList cardFiles = FilesUnder(root);

    // Cancelled after two files: the folder holds exactly what it held before.
    const QString existing = m_tmp.filePath(QStringLiteral("existing"));
    ASSERT_TRUE(WriteFile(existing + QStringLiteral("/keep.txt"), "mine"));
    std::atomic_bool cancel { false };
    const device::BackupReport cancelled
        = device::RunCardBackup(root, existing + QStringLiteral("/copy/of/card"), &cancel,
            [&](const device::BackupProgress &p) { cancel = cancel || p.filesDone >= 2; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(FilesUnder(existing), QStringList { QStringLiteral("keep.txt") });
    EXPECT_EQ(QDir(existing).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList { QStringLiteral("keep.txt") });
    // A folder that holds something is never written into.
    EXPECT_FALSE(device::RunCardBackup(root, existing).error.isEmpty());
    EXPECT_EQ(FilesUnder(existing), QStringList { QStringLiteral("keep.txt") });
    // Nor is the card itself, reached through a link to one of its folders.
    const QString link = m_tmp.filePath(QStringLiteral("to-card"));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/NORMAL"), link));
    EXPECT_TRUE(device::RunCardBackup(root, link + QStringLiteral("/backup")).error.contains("on the card"));
    EXPECT_EQ(FilesUnder(root), cardFiles);

    // The panel's backup: a folder of its own in the chosen one, read back, with its manifest.
    auto config = Config(root);
    CStorageDlg panel(
        m_runtime, QStringLiteral("storage"), config.get(), [] { return 5; }, 0, &m_parent);
    panel.SetChooseFolder([&] { return existing; });
    ASSERT_TRUE(panel.Init());
    Click(panel, "storage_backup");
    ASSERT_TRUE(panel.IsBackingUp());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !panel.IsBackingUp(); }, std::chrono::seconds(60)));
    const device::BackupReport &report = panel.LastBackup();
    ASSERT_TRUE(report.Ok()) << report.error.toStdString();
    EXPECT_EQ(report.files, cardFiles.size());
    EXPECT_TRUE(Asked(QStringLiteral("%1개 파일").arg(cardFiles.size())));
    EXPECT_TRUE(Asked(QStringLiteral("검증 완료")));
    QStringList copied = FilesUnder(report.destination);
    EXPECT_TRUE(copied.removeOne(QStringLiteral("SHA256SUMS")));
    EXPECT_EQ(copied, cardFiles);
    EXPECT_EQ(FilesUnder(existing).filter(QStringLiteral("keep.txt")).size(), 1);
    const auto sums = testsupport::RunProgram(QStringLiteral("sh"),
        { QStringLiteral("-c"), QStringLiteral("cd \"$0\" && sha256sum -c --quiet SHA256SUMS"),
            report.destination });
    EXPECT_TRUE(sums.Ok()) << sums.out.toStdString() << sums.err.toStdString();

    // A copy changed afterwards is named by the check, with a failing exit status.
    ASSERT_TRUE(
        testsupport::RunCli({ QStringLiteral("backup"), QStringLiteral("--verify"), report.destination })
            .Ok());
    const QString changed = cardFiles.filter(QStringLiteral(".AVI")).first();
    QFile file(report.destination + QLatin1Char('/') + changed);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(100);
    file.write("X");
    file.close();
    const auto verify
        = testsupport::RunCli({ QStringLiteral("backup"), QStringLiteral("--verify"), report.destination });
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_TRUE(verify.out.contains(("DIFFERS: " + changed).toUtf8())) << verify.out.toStdString();
    EXPECT_EQ(device::VerifyBackup(report.destination).differing, QStringList { changed });

    // The same backup from the command line.
    const QString cliCopy = m_tmp.filePath(QStringLiteral("cli-copy"));
    const auto cli = testsupport::RunCli({ QStringLiteral("backup"), root, cliCopy });
    EXPECT_TRUE(cli.Ok()) << cli.err.toStdString();
    EXPECT_TRUE(cli.out.contains(QStringLiteral("%1 files").arg(cardFiles.size()).toUtf8()));
    EXPECT_EQ(ReadFile(cliCopy + QStringLiteral("/SHA256SUMS")).count('\n'), cardFiles.size());
}

TEST_F(CardPanelsTest, MainWindowShowsBothPanelsAndStopsPlaybackBeforeAFormat)
{
    const QString root = CopyCard(QStringLiteral("card"));
    MainWindowSettings settings;
    settings.xmlSmall = QStringLiteral("main_small");
    settings.xmlLarge = QStringLiteral("main_large");
    settings.xmlFull = QStringLiteral("main_full");
    settings.xmlBBSetting = QStringLiteral("bbsetting");
    settings.xmlStorage = QStringLiteral("storage");
    CTAVINDlg::Services services;
    services.audioOutputs = {};
    services.volumes = std::make_unique<TestCards>(QStringList { root });
    services.chooseCard = [](const QStringList &) { return std::optional<int>(0); };
    services.watchMounts = false;
    const QString folder = CopyCard(QStringLiteral("folder"));
    services.chooseFolder = [&] { return folder; };
    auto formatter = std::make_unique<FakeFormatter>();
    FakeFormatter *fake = formatter.get();
    services.cardFormatter = std::move(formatter);
    CTAVINDlg window(m_runtime, settings, std::move(services));
    ASSERT_TRUE(window.Init());
    window.show();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return window.FileList()->GetItemCount() > 0; }));
    CBBSettingDlg *settingsPanel = window.CardPanelsFeature().SettingsPanel();
    CStorageDlg *storage = window.CardPanelsFeature().StoragePanel();
    ASSERT_TRUE(settingsPanel && storage);

    // Pictures of the panels over the main window, kept beside the test program for a look.
    const QString shots = QCoreApplication::applicationDirPath() + QStringLiteral("/card-panels-shots");
    QDir().mkpath(shots);
    skin::PostWindowMessage(&window, mainwindow::kMsgShowSettings);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return settingsPanel->isVisible(); }));
    EXPECT_EQ(settingsPanel->geometry().topLeft(), QPoint(5, 48));
    const char *const menus[] = { "BB_menu_sensor", "BB_menu_display", "BB_menu_audio", "BB_menu_block",
        "BB_menu_memory", "BB_menu_date", "BB_menu_info" };
    for (int page = 1; page <= CBBSettingDlg::kPageCount; ++page) {
        Click(*settingsPanel, menus[page - 1]);
        EXPECT_EQ(settingsPanel->CurrentPage(), page);
        window.grab().save(shots + QStringLiteral("/settings-page-%1.png").arg(page));
    }
    // Cancel hides the panel and the card's settings come back.
    Click(*settingsPanel, "BB_menu_memory");
    MoveSlider(*settingsPanel, 9);
    Click(*settingsPanel, "BB_cancel");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return settingsPanel->CurrentPartition() == 5; }));
    EXPECT_FALSE(settingsPanel->isVisible());

    skin::PostWindowMessage(&window, mainwindow::kMsgToggleStorage);
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        return storage->isVisible() && !storage->IsWorking()
            && storage->ShownText(QStringLiteral("storage_total_A")).startsWith(QLatin1String("Total"));
    }));
    EXPECT_EQ(storage->DriveIndex(), 0);
    window.grab().save(shots + QStringLiteral("/storage.png"));

    // A format while a recording of the card plays: the user is told, playback stops, the card is
    // formatted and written, and the list is emptied.
    skin::CSkinListCtrl *list = window.FileList();
    skin::SkinNotifyInfo row;
    row.idFrom = window.GetControlId(skin::kSkinListCtrl, QStringLiteral("file_list"));
    row.code = skin::kCodeListClick;
    row.item = 0;
    skin::SendNotify(&window, row);
    // The recording opens on workers.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !window.Playback().IsOpening(); }));
    ASSERT_TRUE(window.Playback().IsRunning());
    Click(*storage, "storage_format");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return fake->calls == 1 && list->GetItemCount() == 0; }));
    EXPECT_TRUE(Asked(QStringLiteral("재생을 중지합니다")));
    EXPECT_TRUE(Asked(root));
    EXPECT_FALSE(window.Playback().IsRunning());
    EXPECT_EQ(FilesUnder(root), QStringList { QStringLiteral("setup.xml") });
    EXPECT_EQ(ItemValue(root + QStringLiteral("/setup.xml"), "PartitionMode"), QStringLiteral("5"));

    skin::PostWindowMessage(&window, mainwindow::kMsgToggleStorage);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !storage->isVisible(); }));

    // With a folder listed instead of the card, the settings stay closed and the user is told why.
    skin::PostWindowMessage(&window, mainwindow::kMsgOpenFolder);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return list->GetItemCount() > 0; }));
    m_shown.clear();
    skin::SendWindowMessage(&window, mainwindow::kMsgTitleSettings);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_TRUE(m_shown[0].text.startsWith(QStringLiteral("SD카드가 연결되어 있지 않습니다")));
    EXPECT_FALSE(settingsPanel->isVisible());
}

} // namespace
