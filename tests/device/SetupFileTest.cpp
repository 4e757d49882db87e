#include "DeviceTestSupport.h"

#include "device/CTAVINSDConfig.h"

#include "support/Process.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace device;
using namespace devicetest;

namespace {

const QString kSetup = QStringLiteral("setup.xml");

QByteArray Crlf(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

// What the library's printer makes of the default text, with CR LF line ends.
const QByteArray kDefaultFile = Crlf(R"(<?xml version="1.0" encoding="UTF-8" ?>
<setup>
    <!-- Product Information -->
    <item id="Name" value="TAVIN Q7" />
    <item id="FWVersion" value="" />
    <item id="MICOM" value="" />
    <item id="GSensorSensi" value="1" />
    <item id="AudioRecEnable" value="TRUE" />
    <item id="SpeakerVol" value="2" />
    <item id="SoundEffect" value="1" />
    <item id="PartitionMode" value="5" />
    <item id="PmImpactSensi" value="1" />
    <item id="PmMotionSensi" value="1" />
    <item id="CarBatSafeVoltage" value="120" />
    <item id="TempSafeValue" value="80" />
    <item id="TempStableValue" value="45" />
    <item id="LcdOffTime" value="2" />
    <item id="FormatDays" value="0" />
    <!-- Do not revise it -->
    <item id="LastPowerOnDays" value="0" />
    <!-- Do not revise it -->
    <item id="RealUsedDays" value="0" />
    <!-- Do not revise it -->
    <item id="FormatAlarmPeriod" value="0" />
    <item id="Brightness" value="1" />
    <item id="LDWS" value="FALSE" />
    <item id="LDWSSpeedOver" value="40" />
    <item id="LDWSSensi" value="1" />
    <item id="SafeDriving" value="FALSE" />
    <item id="AutoReboot" value="TRUE" />
    <item id="AutoRebootHour" value="3" />
    <item id="AutoRebootMin" value="0" />
    <item id="FactoryReset" value="FALSE" />
</setup>
)");

// A card file in its own order, with a comment, an unknown item, an item without value, a
// duplicate, an element of another name and a missing item (Brightness).
const QByteArray kOddCard = R"(<?xml version="1.0" encoding="UTF-8"?>
<setup>
<!-- written by the recorder -->
<item id="PartitionMode" value="3"/>
<item id="Name" value="TAVIN Q7"/>
<item id="Mystery" value="keep me" extra="1"/>
<item id="SpeakerVol"/>
<item id="GSensorSensi" value="0"/>
<other id="LDWS" value="TRUE"/>
<item id="GSensorSensi" value="9"/>
</setup>
)";

// A card file with CarBatVoltCalib placed after `padding` bytes of comment.
QByteArray CardWithCalibration(int padding, const QByteArray &calibration)
{
    QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<setup>\r\n<!--";
    QByteArray text = head + QByteArray(std::max(0, padding - int(head.size()) - 5), 'x') + "-->\r\n";
    text += "<item id=\"CarBatVoltCalib\" value=\"" + calibration + "\" />\r\n";
    text += "<item id=\"PartitionMode\" value=\"4\" />\r\n</setup>\r\n";
    return text;
}

class SetupFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path() + QStringLiteral("/card");
        ASSERT_TRUE(QDir().mkpath(m_root));
        auto volumes = std::make_unique<TestVolumeSource>();
        volumes->Insert(m_root);
        m_config.SetVolumeSource(std::move(volumes));
        m_config.SetValueStrings(&m_values);
        m_config.SetFileAttributes(&m_attributes);
        ASSERT_EQ(m_config.ScanDrives(false), 1);
        ASSERT_TRUE(m_config.SelectDrive(0));
    }

    QString path() const { return m_root + QLatin1Char('/') + kSetup; }
    void putCard(const QByteArray &bytes) { ASSERT_TRUE(WriteFile(path(), bytes)); }
    QByteArray card() const { return ReadFile(path()); }

    // The settings panel's read: every value string emptied, then the card's file.
    bool loadCard()
    {
        m_values = EmptyValues();
        return m_config.Load(kSetup);
    }
    // The settings panel's write.
    bool writeSettings()
    {
        m_config.ReadBatteryCalibration();
        return m_config.Load(QString()) && m_config.Save(kSetup);
    }
    QStringList filesOnCard() const { return QDir(m_root).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir m_dir;
    QString m_root;
    ValueStrings m_values;
    FakeFileAttributes m_attributes;
    CTAVINSDConfig m_config;
};

TEST_F(SetupFileTest, ResetThenSaveWritesTheDefaultFileWithCrLfAndNoMark)
{
    ASSERT_TRUE(m_config.Reset(false));
    ASSERT_TRUE(m_config.Save(kSetup));
    const QByteArray written = card();
    EXPECT_EQ(written, kDefaultFile);
    EXPECT_FALSE(written.startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(written.contains("CarBatVoltCalib"));
    EXPECT_EQ(written.count("\n"), written.count("\r\n")) << "every line ends in CR LF";
}

TEST_F(SetupFileTest, BindsAllTwentyEightItemsWhateverTheirOrder)
{
    QByteArray text = "<?xml version=\"1.0\"?><setup>";
    for (int i = kItemCount - 1; i >= 0; --i)
        text += "<item id=\"" + QByteArray(ConfigItems()[i].id) + "\" value=\"v" + QByteArray::number(i)
            + "\"/>";
    putCard(text + "</setup>");
    ASSERT_TRUE(loadCard());
    for (int i = 0; i < kItemCount; ++i)
        EXPECT_EQ(m_values[i], QStringLiteral("v%1").arg(i)) << ConfigItems()[i].id;
    EXPECT_EQ(m_config.Document().BindingCount(), kItemCount);
}

TEST_F(SetupFileTest, CardFileKeepsItsOrderUnknownItemsAndMissingValues)
{
    putCard(kOddCard);
    ASSERT_TRUE(loadCard());
    EXPECT_EQ(m_values[kItemPartitionMode], QStringLiteral("3"));
    EXPECT_EQ(m_values[kItemGSensorSensi], QStringLiteral("0")) << "the first of two duplicates counts";
    EXPECT_EQ(m_values[kItemLDWS], QStringLiteral("TRUE")) << "any element after the first item is examined";
    EXPECT_TRUE(m_values[kItemSpeakerVol].isEmpty());
    EXPECT_TRUE(m_values[kItemBrightness].isEmpty());

    m_values[kItemGSensorSensi] = QStringLiteral("2");
    m_values[kItemSpeakerVol] = QStringLiteral("3");
    m_values[kItemBrightness] = QStringLiteral("2");
    m_values[kItemLDWS] = QStringLiteral("FALSE");
    ASSERT_TRUE(writeSettings());
    EXPECT_EQ(card(), Crlf(R"(<?xml version="1.0" encoding="UTF-8" ?>
<setup>
    <!-- written by the recorder -->
    <item id="PartitionMode" value="3" />
    <item id="Name" value="TAVIN Q7" />
    <item id="Mystery" value="keep me" extra="1" />
    <item id="SpeakerVol" />
    <item id="GSensorSensi" value="2" />
    <other id="LDWS" value="FALSE" />
    <item id="GSensorSensi" value="9" />
</setup>
)"));
    EXPECT_EQ(filesOnCard(), QStringList { kSetup }) << "no temporary file is left behind";
}

TEST_F(SetupFileTest, ElementsBeforeTheFirstItemAreNotSeen)
{
    putCard("<?xml version=\"1.0\"?><setup><config id=\"Name\" value=\"early\"/>"
            "<item id=\"SoundEffect\" value=\"3\"/></setup>");
    ASSERT_TRUE(loadCard());
    EXPECT_TRUE(m_values[kItemName].isEmpty());
    EXPECT_EQ(m_values[kItemSoundEffect], QStringLiteral("3"));
}

TEST_F(SetupFileTest, ByteOrderMarkIsWrittenBackOnlyWhenTheCardHadOne)
{
    putCard(QByteArray("\xEF\xBB\xBF") + kOddCard);
    ASSERT_TRUE(loadCard());
    EXPECT_TRUE(m_config.Document().HasByteOrderMark());
    ASSERT_TRUE(writeSettings());
    EXPECT_TRUE(card().startsWith("\xEF\xBB\xBF<?xml"));
    EXPECT_EQ(card().count("\xEF\xBB\xBF"), 1);

    putCard(kOddCard);
    ASSERT_TRUE(loadCard());
    EXPECT_FALSE(m_config.Document().HasByteOrderMark());
    ASSERT_TRUE(writeSettings());
    EXPECT_TRUE(card().startsWith("<?xml"));
}

TEST_F(SetupFileTest, UnreadableCardFileFailsAndResetGivesTheDefaults)
{
    EXPECT_FALSE(loadCard()) << "missing file";
    putCard("<setup><item id=\"Name\" value=\"x\"></setup>");
    EXPECT_FALSE(loadCard()) << "not well-formed";
    putCard("");
    EXPECT_FALSE(loadCard()) << "empty";
    putCard("\xEF\xBB\xBF");
    EXPECT_FALSE(loadCard()) << "only a byte-order mark";
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QDir().mkdir(path()));
    EXPECT_FALSE(loadCard()) << "a folder of that name";
    ASSERT_TRUE(QDir().rmdir(path()));
    EXPECT_FALSE(m_config.Save(kSetup)) << "no document, nothing written";
    EXPECT_EQ(card(), QByteArray());

    ASSERT_TRUE(m_config.Reset(false));
    for (int i = 0; i < kItemCount; ++i)
        EXPECT_EQ(m_values[i], QString::fromLatin1(ConfigItems()[i].defaultValue)) << i;
}

TEST_F(SetupFileTest, FileWithoutTheRecordersItemsDoesNotLoad)
{
    QByteArray utf16;
    for (const char c : QByteArray("<?xml version=\"1.0\"?><setup><item id=\"Name\" value=\"X\"/></setup>"))
        utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    const QByteArray files[] = {
        "<?xml version=\"1.0\"?><config><item id=\"Name\" value=\"X\"/></config>",
        "<?xml version=\"1.0\"?><setup/>",
        "<?xml version=\"1.0\"?><setup><!-- nothing --></setup>",
        "<?xml version=\"1.0\"?><setup><item id=\"Mystery\" value=\"1\"/></setup>",
        "<?xml version=\"1.0\"?><setup><item id=\"name\" value=\"1\"/></setup>", // ids are case-sensitive
        utf16, // UTF-16 without a byte-order mark
        "\xFF\xFE" + utf16,
    };
    for (const QByteArray &file : files) {
        SCOPED_TRACE(file.toStdString());
        putCard(file);
        EXPECT_FALSE(loadCard());
        EXPECT_FALSE(m_config.Document().IsLoaded());
        EXPECT_FALSE(m_config.Save(kSetup)) << "nothing to write back";
        EXPECT_EQ(card(), file);
    }
}

// The settings panel's way with an unreadable card file: defaults shown, then OK writes them.
TEST_F(SetupFileTest, UnreadableFileGivesOneCompleteDefaultFileAndIsKeptBesideIt)
{
    const QByteArray truncated
        = "<?xml version=\"1.0\"?>\r\n<setup>\r\n<item id=\"PartitionMode\" value=\"3\"/>"
          "\r\n<item id=\"Name\" val";
    QStringList reported;
    for (const bool keep : { false, true }) {
        SCOPED_TRACE(keep);
        putCard(truncated);
        EXPECT_FALSE(loadCard());
        ASSERT_TRUE(m_config.Reset(keep));
        ASSERT_TRUE(writeSettings());
        EXPECT_EQ(card(), kDefaultFile);
        reported << QFileInfo(m_config.KeptCopyPath()).fileName();
    }
    // Each replaced file was kept under a name of its own, with its bytes unchanged, where the
    // caller was told.
    const QStringList kept
        = QDir(m_root).entryList({ kSetup + QStringLiteral(".unreadable-*") }, QDir::Files | QDir::Hidden);
    ASSERT_EQ(kept.size(), 2) << kept.join(u' ').toStdString();
    reported.sort();
    EXPECT_EQ(reported, kept);
    const QRegularExpression name(QStringLiteral("^setup\\.xml\\.unreadable-\\d{8}-\\d{6}(-\\d+)?$"));
    for (const QString &copy : kept) {
        EXPECT_TRUE(name.match(copy).hasMatch()) << copy.toStdString();
        EXPECT_EQ(ReadFile(m_root + QLatin1Char('/') + copy), truncated);
    }

    // A readable file is replaced without a copy.
    ASSERT_TRUE(loadCard());
    ASSERT_TRUE(writeSettings());
    EXPECT_EQ(filesOnCard().size(), 3);
    EXPECT_TRUE(m_config.KeptCopyPath().isEmpty());
}

TEST_F(SetupFileTest, FailuresSayWhy)
{
    EXPECT_FALSE(loadCard());
    EXPECT_TRUE(m_config.ErrorString().contains(QStringLiteral("No such file")))
        << m_config.ErrorString().toStdString();

    // The parser's own message and the row where it stopped.
    putCard("<?xml version=\"1.0\"?>\r\n<setup>\r\n<item id=\"Name\" value=\"x\">\r\n</setup>\r\n");
    EXPECT_FALSE(loadCard());
    EXPECT_TRUE(m_config.ErrorString().contains(QStringLiteral("end tag")))
        << m_config.ErrorString().toStdString();
    EXPECT_TRUE(m_config.ErrorString().contains(QStringLiteral("row 4")))
        << m_config.ErrorString().toStdString();
    EXPECT_TRUE(m_config.ErrorString().contains(path())) << m_config.ErrorString().toStdString();

    putCard(kOddCard);
    ASSERT_TRUE(loadCard());
    EXPECT_TRUE(m_config.ErrorString().isEmpty());
    m_attributes.Set(path(), platform::kFatReadOnly);
    EXPECT_FALSE(writeSettings());
    EXPECT_TRUE(m_config.ErrorString().contains(QStringLiteral("read-only")))
        << m_config.ErrorString().toStdString();
    EXPECT_FALSE(m_config.WriteTimeFile(2024, 2, 30, 0, 0, 0));
    EXPECT_TRUE(m_config.ErrorString().contains(QStringLiteral("not a valid date")))
        << m_config.ErrorString().toStdString();
}

// Inputs that once made the loader read outside its buffer, found by fuzzing (the sanitizer run
// of the suite catches a return of the fault): they fail to load and say why.
TEST_F(SetupFileTest, FuzzFindingsFailToLoadCleanly)
{
    const QDir regressions(QStringLiteral(TAVIN_SOURCE_DIR "/tests/device/regressions"));
    const QStringList files = regressions.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &file : files) {
        putCard(ReadFile(regressions.filePath(file)));
        EXPECT_FALSE(loadCard()) << file.toStdString();
        EXPECT_FALSE(m_config.ErrorString().isEmpty()) << file.toStdString();
    }
}

TEST_F(SetupFileTest, NothingHappensWithoutValueStringsOrCard)
{
    putCard(kOddCard);
    m_config.SetValueStrings(nullptr);
    EXPECT_FALSE(m_config.Load(kSetup));
    EXPECT_FALSE(m_config.Reset(false));
    m_config.SetValueStrings(&m_values);

    // A rescan clears the selection: the load still reads the card last selected, the save has no
    // card and writes nowhere (not even into the current folder).
    ASSERT_EQ(m_config.ScanDrives(true), 1);
    EXPECT_TRUE(m_config.GetSelectedDrive().isEmpty());
    EXPECT_TRUE(loadCard());
    EXPECT_EQ(m_values[kItemPartitionMode], QStringLiteral("3"));
    const QByteArray before = card();
    EXPECT_FALSE(m_config.Save(kSetup));
    EXPECT_EQ(card(), before);
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(kSetup)));
}

TEST_F(SetupFileTest, ResetKeepsThePartitionAndTheCalibrationOnlyWhenAsked)
{
    // Keeping: the card's partition in its place, its calibration in the table's place after
    // PmMotionSensi (the default text has none).
    QByteArray kept = kDefaultFile;
    kept.replace("\"PartitionMode\" value=\"5\"", "\"PartitionMode\" value=\"4\"");
    const QByteArray motion = "    <item id=\"PmMotionSensi\" value=\"1\" />\r\n";
    ASSERT_TRUE(kept.contains(motion));
    kept.replace(motion, motion + "    <item id=\"CarBatVoltCalib\" value=\"77\" />\r\n");

    for (const bool keep : { true, false }) {
        SCOPED_TRACE(keep);
        const QByteArray expected = keep ? kept : kDefaultFile;
        putCard(CardWithCalibration(400, "77"));
        ASSERT_TRUE(loadCard());
        ASSERT_EQ(m_values[kItemPartitionMode], QStringLiteral("4"));
        m_values[kItemSpeakerVol] = QStringLiteral("0");

        ASSERT_TRUE(m_config.Reset(keep));
        EXPECT_EQ(m_values[kItemPartitionMode], keep ? QStringLiteral("4") : QStringLiteral("5"));
        EXPECT_EQ(m_values[kItemCarBatVoltCalib], QStringLiteral("77"));
        EXPECT_EQ(m_values[kItemSpeakerVol], QStringLiteral("2"));

        // Straight after the reset, and after the rebinding load of a write, the same file goes out.
        ASSERT_TRUE(m_config.Save(kSetup));
        EXPECT_EQ(card(), expected);
        ASSERT_TRUE(m_config.Load(QString()));
        ASSERT_TRUE(m_config.Save(kSetup));
        EXPECT_EQ(card(), expected);

        // A second reset (Reset pressed again) keeps what the first one kept, and the settings
        // panel's write finds the calibration in the file it wrote.
        ASSERT_TRUE(m_config.Reset(keep));
        ASSERT_TRUE(writeSettings());
        EXPECT_EQ(card(), expected);
    }

    // Nothing to keep: a card without calibration gets none, one without a partition the default.
    putCard("<?xml version=\"1.0\"?><setup><item id=\"SpeakerVol\" value=\"0\"/></setup>");
    ASSERT_TRUE(loadCard());
    ASSERT_TRUE(m_config.Reset(true));
    ASSERT_TRUE(writeSettings());
    EXPECT_EQ(card(), kDefaultFile);

    // An empty calibration and an empty partition are kept empty.
    putCard(CardWithCalibration(400, "").replace("value=\"4\"", "value=\"\""));
    ASSERT_TRUE(loadCard());
    ASSERT_TRUE(m_config.Reset(true));
    ASSERT_TRUE(writeSettings());
    QByteArray empty = kept;
    empty.replace("value=\"77\"", "value=\"\"");
    empty.replace("\"PartitionMode\" value=\"4\"", "\"PartitionMode\" value=\"\"");
    EXPECT_EQ(card(), empty);
}

TEST_F(SetupFileTest, BatteryCalibrationComesFromTheRawFileWindowOrStaysAsLoaded)
{
    struct Case {
        int padding;
        QByteArray stored;
        QByteArray written;
    };
    const Case cases[] = {
        { 300, "1234", "1234" }, // marker starts at byte 300: inside
        { 400, "", "" }, // an empty value stays empty
        { 1262, "12", "12" }, // marker, value and quote end inside the window
        { 1266, "12", "12" }, // the value is cut: taken whole from the document
        { 1262, "123456", "123456" }, // the window ends inside the value: not written truncated
        // Outside the window the card's calibration is kept as the document holds it, never
        // replaced by "0".
        { 299, "1234", "1234" }, // starts one byte early
        { 1267, "12", "12" }, // the marker's last byte is byte 1300
        { 1500, "-3", "-3" }, // pushed far beyond by a long earlier value
        { 10, "1234", "1234" }, // at the top of a short file
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.padding);
        const QByteArray text = CardWithCalibration(c.padding, c.stored);
        ASSERT_EQ(text.indexOf("<item id=\"CarBatVoltCalib\""), std::max<qsizetype>(c.padding, 58));
        putCard(text);
        ASSERT_TRUE(loadCard());
        ASSERT_TRUE(writeSettings());
        EXPECT_TRUE(card().contains("<item id=\"CarBatVoltCalib\" value=\"" + c.written + "\" />"))
            << card().toStdString();
    }
}

TEST_F(SetupFileTest, BatteryCalibrationIsReadJustBeforeTheWrite)
{
    putCard(CardWithCalibration(400, "55"));
    ASSERT_TRUE(loadCard());
    ASSERT_EQ(m_values[kItemCarBatVoltCalib], QStringLiteral("55"));
    // The recorder changed the card in the meantime.
    putCard(CardWithCalibration(400, "61"));
    ASSERT_TRUE(writeSettings());
    EXPECT_EQ(m_values[kItemCarBatVoltCalib], QStringLiteral("61"));
    EXPECT_TRUE(card().contains("value=\"61\""));
}

TEST_F(SetupFileTest, RewrittenFileKeepsItsAttributesAndOnlyAHiddenOneItsTime)
{
    const QDateTime old = QDateTime::fromString(QStringLiteral("2021-06-01T10:00:00Z"), Qt::ISODate);
    for (const quint32 attributes :
        { quint32(platform::kFatHidden | platform::kFatArchive), quint32(platform::kFatSystem) }) {
        SCOPED_TRACE(attributes);
        putCard(kOddCard);
        {
            QFile file(path());
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        m_attributes.Set(path(), attributes);
        ASSERT_TRUE(loadCard());
        m_values[kItemGSensorSensi] = QStringLiteral("1");
        ASSERT_TRUE(writeSettings());
        EXPECT_TRUE(card().contains("<item id=\"GSensorSensi\" value=\"1\" />"));
        EXPECT_EQ(m_attributes.Read(path()), std::optional<quint32>(attributes));
        EXPECT_EQ(QFileInfo(path()).lastModified().toUTC() == old, bool(attributes & platform::kFatHidden));
    }
}

TEST_F(SetupFileTest, ReadOnlyFileIsNotReplaced)
{
    putCard(kOddCard);
    ASSERT_TRUE(loadCard());
    m_values[kItemGSensorSensi] = QStringLiteral("2");

    // Read-only by its permissions (also for a user whom the system lets write anything).
    ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    EXPECT_FALSE(writeSettings());
    EXPECT_EQ(card(), kOddCard);
    ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    // Read-only by its DOS attribute.
    m_attributes.Set(path(), platform::kFatReadOnly | platform::kFatHidden);
    EXPECT_FALSE(writeSettings());
    EXPECT_EQ(card(), kOddCard);
    EXPECT_EQ(filesOnCard(), QStringList { kSetup });
}

TEST_F(SetupFileTest, InterruptedWriteLeavesTheOldFileIntact)
{
    putCard(kOddCard);
    ASSERT_TRUE(loadCard());
    m_values[kItemGSensorSensi] = QStringLiteral("2");
    m_config.SetFileWriter(std::make_unique<InterruptedWriter>());
    EXPECT_FALSE(writeSettings());
    EXPECT_EQ(card(), kOddCard);
    EXPECT_EQ(filesOnCard(), QStringList { kSetup });

    // The next write with a working writer goes through.
    m_config.SetFileWriter(nullptr);
    EXPECT_TRUE(writeSettings());
    EXPECT_TRUE(card().contains("<item id=\"GSensorSensi\" value=\"2\" />"));
}

TEST_F(SetupFileTest, WriteIntoAMissingFolderCreatesIt)
{
    ASSERT_TRUE(m_config.Reset(false));
    ASSERT_TRUE(m_config.Save(QStringLiteral("SETUP/sub/setup.xml")));
    EXPECT_EQ(ReadFile(m_root + QStringLiteral("/SETUP/sub/setup.xml")), kDefaultFile);
}

TEST(ConfigCommand, ResetKeepingOnATruncatedFileWritesOneDocumentAndSaysWhereTheOldOneIs)
{
    QTemporaryDir dir;
    const QByteArray truncated
        = "<?xml version=\"1.0\"?>\r\n<setup>\r\n<item id=\"PartitionMode\" value=\"3\"/>\r\n"
          "<item id=\"Name\" val";
    ASSERT_TRUE(WriteFile(dir.filePath(kSetup), truncated));
    const testsupport::ProcessResult result = testsupport::RunCli(
        { QStringLiteral("config"), QStringLiteral("reset"), dir.path(), QStringLiteral("--keep") });
    ASSERT_TRUE(result.Ok()) << result.err.toStdString();
    EXPECT_EQ(ReadFile(dir.filePath(kSetup)), kDefaultFile);
    const QStringList kept = QDir(dir.path()).entryList({ QStringLiteral("setup.xml.unreadable-*") });
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(ReadFile(dir.filePath(kept[0])), truncated);
    EXPECT_TRUE(result.err.contains(kept[0].toUtf8())) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("row 4")) << "the parser's reason: " << result.err.toStdString();
}

// A partition that is no number is the card's business: only a change of the partition itself
// replaces it; any other write, and a reset that keeps the card's values, write it back as it was.
TEST(ConfigCommand, PartitionTextAndCalibrationSurviveEveryWriteButTheirOwnChange)
{
    const auto run = [](const QStringList &args) {
        const testsupport::ProcessResult result
            = testsupport::RunCli(QStringList { QStringLiteral("config") } + args);
        EXPECT_TRUE(result.Ok()) << args.join(u' ').toStdString() << ": " << result.err.toStdString();
    };
    for (const QByteArray &partition : { QByteArray(""), QByteArray("abc"), QByteArray(" 5") }) {
        SCOPED_TRACE(partition.toStdString());
        QTemporaryDir dir;
        const QString file = dir.filePath(kSetup);
        const QByteArray partitionItem = "<item id=\"PartitionMode\" value=\"" + partition + "\" />";
        // The recorder's own file, its calibration at the end.
        QByteArray text = kDefaultFile;
        text.replace("<item id=\"PartitionMode\" value=\"5\" />", partitionItem);
        text.replace("</setup>", "    <item id=\"CarBatVoltCalib\" value=\"-2\" />\r\n</setup>");
        ASSERT_TRUE(WriteFile(file, text));

        run({ QStringLiteral("set"), dir.path(), QStringLiteral("GSensorSensi=2") });
        EXPECT_TRUE(ReadFile(file).contains(partitionItem)) << ReadFile(file).toStdString();

        run({ QStringLiteral("reset"), dir.path(), QStringLiteral("--keep") });
        const QByteArray reset = ReadFile(file);
        EXPECT_TRUE(reset.contains(partitionItem)) << reset.toStdString();
        EXPECT_TRUE(reset.contains("<item id=\"CarBatVoltCalib\" value=\"-2\" />")) << reset.toStdString();
        EXPECT_TRUE(reset.contains("<item id=\"GSensorSensi\" value=\"1\" />")) << "the rest is reset";

        run({ QStringLiteral("set"), dir.path(), QStringLiteral("PartitionMode=3") });
        EXPECT_TRUE(ReadFile(file).contains("<item id=\"PartitionMode\" value=\"3\" />"));

        // Without keeping, the defaults: partition 5 and no calibration.
        run({ QStringLiteral("reset"), dir.path() });
        EXPECT_EQ(ReadFile(file), kDefaultFile);
    }
}

} // namespace
