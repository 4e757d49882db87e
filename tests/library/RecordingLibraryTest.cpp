#include "library/RecordingLibrary.h"
#include "library/ListingLength.h"
#include "media/AviHeaderReader.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/SampleCards.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using namespace library;
using media::recorder::SampleRecordingPlan;

namespace {

const SampleRecordingPlan &PowerLossPlan()
{
    for (const SampleRecordingPlan &plan : testsupport::SharedSampleCard().plans) {
        if (plan.cutByPowerLoss)
            return plan;
    }
    static const SampleRecordingPlan none;
    ADD_FAILURE() << "the sample card has no recording cut by a power loss";
    return none;
}

// A folder of empty files with the given relative paths.
void MakeFiles(const QString &root, const QStringList &paths)
{
    for (const QString &path : paths)
        ASSERT_TRUE(testsupport::WriteFile(QDir(root).filePath(path), QByteArray()));
}

// One column of the rows, top to bottom.
QStringList RowTexts(const RecordingLibrary &library, ListColumn column)
{
    QStringList texts;
    for (const ListRow &row : library.Rows())
        texts << row.Texts().at(column);
    return texts;
}

// File time stamps set by the test: the operating system cannot be told a birth time.
class FixedFileTimes final : public platform::FileTimes
{
public:
    std::map<QString, platform::FileTimeStamps> stamps;
    std::optional<platform::FileTimeStamps> Read(const QString &path) const override
    {
        const auto it = stamps.find(QFileInfo(path).fileName());
        return it == stamps.end() ? std::nullopt : std::optional(it->second);
    }
};

} // namespace

TEST(RecordingLibrary, ListsTheSampleCardBreadthFirstWithFlagsAndLengths)
{
    const testsupport::SampleCard &card = testsupport::SharedSampleCard();
    RecordingLibrary library;
    library.ScanCard(card.root);
    EXPECT_TRUE(library.IsCard());
    EXPECT_TRUE(library.CanChangeCategory());

    // The card's recordings sit one folder deep: breadth first visits the folders in name order.
    QStringList expected = card.written.filter(QStringLiteral(".AVI"));
    std::sort(expected.begin(), expected.end());
    QStringList found;
    for (const Recording &recording : library.Recordings())
        found << QDir(card.root).relativeFilePath(recording.path);
    EXPECT_EQ(found, expected);

    const QString cutFront = testsupport::CardFile(PowerLossPlan(), 'F');
    int fronts = 0;
    for (const SampleRecordingPlan &plan : card.plans) {
        for (const char channel : { 'F', 'R' }) {
            const QString path = testsupport::CardFile(plan, channel);
            const auto it = std::find_if(library.Recordings().begin(), library.Recordings().end(),
                [&](const Recording &r) { return r.path == path; });
            if (it == library.Recordings().end())
                continue;
            SCOPED_TRACE(path.toStdString());
            EXPECT_EQ(it->normal, plan.kind == 'N');
            EXPECT_EQ(it->event, plan.kind == 'S' || plan.kind == 'P' || plan.kind == 'M');
            EXPECT_EQ(it->manual, plan.kind == 'U');
            EXPECT_EQ(it->archive, plan.folder == QLatin1String("SAVE"));
            EXPECT_EQ(it->lengthSeconds, plan.durationMs / 1000); // the cut one by its 90 video chunks
        }
        ++fronts;
    }
    // One row per front file, numbered in file-name order; rear files get none.
    ASSERT_EQ(library.Rows().size(), static_cast<size_t>(fronts));
    EXPECT_EQ(library.SelectionMark(), 0);
    EXPECT_EQ(library.Rows().front().number, QStringLiteral("001"));
    const QStringList names = RowTexts(library, kColumnFileName);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    for (const ListRow &row : library.Rows()) {
        EXPECT_EQ(library.Recordings().at(row.fileIndex).path.section(QLatin1Char('/'), -1), row.fileName);
        EXPECT_EQ(row.lengthText, QStringLiteral("00:00:03"));
    }

    // The power-loss file says 0 frames in its header; an intact one costs one small read.
    media::AviReadStats stats;
    EXPECT_EQ(ReadListingLength(testsupport::CardFile(card.plans.front(), 'F'), &stats), 3);
    EXPECT_EQ(stats.readCalls, 1);
    EXPECT_LE(stats.bytesRead, kListingFirstRead);
    media::AviFileInfo cutHeader;
    ASSERT_TRUE(media::ReadAviHeaderInfo(QFile::encodeName(cutFront).constData(), cutHeader));
    EXPECT_EQ(cutHeader.mainHeader.totalFrames, 0u);
    EXPECT_EQ(ReadListingLength(cutFront), 3);
    EXPECT_EQ(ReadListingLength(card.root + QStringLiteral("/setup.xml")), 0);

    // Choosing the card's root in the folder chooser, with the chooser's trailing separator,
    // lists it as the card.
    RecordingLibrary chosen;
    const RecordingLibrary::FolderResult result
        = chosen.ScanFolder(card.root + QLatin1Char('/'), { QStringLiteral("/media/other"), card.root });
    EXPECT_TRUE(result.listed);
    EXPECT_EQ(result.cardIndex, 1);
    EXPECT_TRUE(chosen.IsCard());
    EXPECT_EQ(chosen.Location(), card.root);
    EXPECT_EQ(chosen.Recordings().size(), library.Recordings().size());
    EXPECT_FALSE(chosen.ScanFolder(QString(), { card.root }).listed);
    EXPECT_EQ(chosen.Recordings().size(), library.Recordings().size());
}

TEST(RecordingLibrary, CategoriesSortingAndRowNumbers)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MakeFiles(dir.path(),
        { "B/20240101_000010_FN.AVI", "B/20240101_000010_RN.AVI", "A/20240101_000009_FU.avi",
            "20240101_000011_FQ.AVI", "SAVE/20240101_000001_FS.AVI", "A/20240101_000002_FP.PVR",
            "A/notes.txt" });
    ASSERT_TRUE(QFile::link(dir.path(), dir.filePath(QStringLiteral("A/loop"))));
    RecordingLibrary library;
    EXPECT_FALSE(library.CanChangeCategory());
    EXPECT_EQ(library.ScanFolder(dir.path(), {}).cardIndex, -1);
    EXPECT_FALSE(library.IsCard());
    ASSERT_EQ(library.Recordings().size(), 6u); // the looping link is not followed
    EXPECT_TRUE(library.Recordings().front().path.endsWith(QLatin1String("_FQ.AVI"))); // root first

    const QStringList all { "20240101_000001_FS.AVI", "20240101_000002_FP.PVR", "20240101_000009_FU.AVI",
        "20240101_000010_FN.AVI", "20240101_000011_FQ.AVI" };
    EXPECT_EQ(RowTexts(library, kColumnFileName), all);
    EXPECT_EQ(RowTexts(library, kColumnNumber), QStringList({ "001", "002", "003", "004", "005" }));
    EXPECT_TRUE(library.Rows().back().kindText.isEmpty());

    library.FillList(kCategoryEvent);
    EXPECT_EQ(RowTexts(library, kColumnFileName), QStringList({ all[0], all[1] }));
    library.FillList(kCategoryManual);
    EXPECT_EQ(RowTexts(library, kColumnFileName), QStringList({ all[2] }));
    library.FillList(kCategoryArchive);
    EXPECT_EQ(RowTexts(library, kColumnFileName), QStringList({ all[0] }));
    library.FillList(kCategoryNormal);
    EXPECT_EQ(RowTexts(library, kColumnFileName), QStringList({ all[3] }));
    EXPECT_EQ(library.Recordings().size(), 6u); // a category change never re-reads the folder

    // Newest first and back: the numbers stay with their rows.
    library.FillList(kCategoryAll);
    library.SortList(false);
    EXPECT_FALSE(library.SortAscending());
    EXPECT_EQ(RowTexts(library, kColumnNumber), QStringList({ "005", "004", "003", "002", "001" }));
    EXPECT_EQ(RowTexts(library, kColumnFileName).front(), all.back());
    library.SortList(true);
    EXPECT_EQ(RowTexts(library, kColumnFileName), all);
    EXPECT_EQ(RowTexts(library, kColumnNumber), QStringList({ "001", "002", "003", "004", "005" }));

    // A row the list refuses drops its file from the table; the other rows still lead to theirs.
    library.FillList(0, [](const ListRow &row) { return !row.fileName.endsWith(QLatin1String("_FU.AVI")); });
    EXPECT_EQ(library.Recordings().size(), 5u);
    ASSERT_EQ(library.Rows().size(), 4u);
    for (const ListRow &row : library.Rows())
        EXPECT_TRUE(library.Recordings().at(row.fileIndex).path.toUpper().endsWith(row.fileName));

    // A folder without recordings: no rows, no selection.
    QTemporaryDir empty;
    library.ScanFolder(empty.path(), {});
    EXPECT_TRUE(library.Rows().empty());
    EXPECT_EQ(library.SelectionMark(), -1);
}

TEST(RecordingLibrary, ArchiveMembershipInEverySpellingOfTheLocation)
{
    const QString saved = QStringLiteral("/media/user/TAVIN/SAVE/20240101_000001_FS.AVI");
    for (const char *location :
        { "/media/user/TAVIN", "/media/user/TAVIN/", "/media/user/tavin", "/MEDIA/USER/TAVIN//",
            "/media/user/TAVIN/save", "/media/user", "/media/user/TAVIN/./NORMAL/.." }) {
        SCOPED_TRACE(location);
        EXPECT_TRUE(IsInArchive(saved, QString::fromLatin1(location)));
        EXPECT_FALSE(IsInArchive(QStringLiteral("/media/user/TAVIN/NORMAL/20240101_000001_FN.AVI"),
            QString::fromLatin1(location)));
    }
    EXPECT_TRUE(IsInArchive(QStringLiteral("/SAVE/20240101_000001_FS.AVI"), QStringLiteral("/")));
    EXPECT_TRUE(
        IsInArchive(QStringLiteral("/media/user/TAVIN/save/a_FS.AVI"), QStringLiteral("/media/user/TAVIN")));
    EXPECT_FALSE(
        IsInArchive(QStringLiteral("/media/user/TAVIN/SAVED/a_FS.AVI"), QStringLiteral("/media/user/TAVIN")));
    EXPECT_FALSE(
        IsInArchive(QStringLiteral("/home/SAVE/TAVIN/NORMAL/a_FN.AVI"), QStringLiteral("/home/SAVE/TAVIN")));
    // Without a location (the command line) the file's own folder decides.
    EXPECT_TRUE(IsInArchive(saved, QString()));
    EXPECT_FALSE(IsInArchive(QStringLiteral("/media/SAVE/TAVIN/a_FS.AVI"), QString()));
}

TEST(RecordingLibrary, RearFileBySameNameThenByCreationTime)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MakeFiles(
        dir.path(), { "A_FN.AVI", "A_RN.AVI", "F_FN.AVI", "G_RN.AVI", "H_RN.AVI", "I_RN.AVI", "J_RN.TXT" });
    const QString front = dir.filePath(QStringLiteral("F_FN.AVI"));
    RecordingLibrary library;
    QStringList tried;
    const auto opens = [&](const QString &path) {
        tried << QFileInfo(path).fileName();
        return QFileInfo::exists(path);
    };

    EXPECT_EQ(library.FindRearFile(dir.filePath(QStringLiteral("A_FN.AVI")), opens),
        dir.filePath(QStringLiteral("A_RN.AVI")));
    EXPECT_EQ(tried, QStringList({ "A_RN.AVI" }));

    FixedFileTimes times;
    times.stamps["F_FN.AVI"] = { 1000, 5000 };
    times.stamps["G_RN.AVI"] = { 1001, 0 }; // created after the front file
    times.stamps["H_RN.AVI"] = { 950, 999 }; // 50 s before: too early; its modification time is not used
    times.stamps["I_RN.AVI"] = { 951, 0 }; // 49 s before
    times.stamps["J_RN.TXT"] = { 1000, 0 }; // not a recording
    tried.clear();
    EXPECT_EQ(library.FindRearFile(front, opens, times), dir.filePath(QStringLiteral("I_RN.AVI")));
    EXPECT_EQ(tried, QStringList({ "F_RN.AVI", "I_RN.AVI" }));

    // Where the file system keeps no birth time, the modification time stands in.
    times.stamps["F_FN.AVI"] = { std::nullopt, 5000 };
    times.stamps["G_RN.AVI"] = { std::nullopt, 4990 };
    times.stamps["H_RN.AVI"] = { std::nullopt, 4995 };
    EXPECT_EQ(library.FindRearFile(front, opens, times), dir.filePath(QStringLiteral("G_RN.AVI")));
    times.stamps["F_FN.AVI"] = { std::nullopt, 6000 };
    EXPECT_TRUE(library.FindRearFile(front, opens, times).isEmpty());

    // The system's own time stamps: a rear file written just before its front file.
    QTemporaryDir fresh;
    MakeFiles(fresh.path(), { "X_RN.AVI" });
    MakeFiles(fresh.path(), { "Y_FN.AVI" });
    EXPECT_EQ(library.FindRearFile(fresh.filePath(QStringLiteral("Y_FN.AVI")), opens),
        fresh.filePath(QStringLiteral("X_RN.AVI")));
}

TEST(RecordingLibrary, CommandLineListsEachFrontFileOnce)
{
    const testsupport::SampleCard &card = testsupport::SharedSampleCard();
    const QString front = testsupport::CardFile(card.plans.front(), 'F');
    const QString rear = testsupport::CardFile(card.plans.front(), 'R');
    RecordingLibrary library;
    library.SetLocation(QStringLiteral("/last/open"));
    library.OpenCommandLine(QStringLiteral("\"%1\" \"%1\" \"%2\" \"%1\"").arg(front, rear));
    ASSERT_EQ(library.Recordings().size(), 1u);
    EXPECT_EQ(library.Recordings().front().path, front); // its case kept
    EXPECT_EQ(library.Recordings().front().lengthSeconds, 3);
    EXPECT_TRUE(library.Recordings().front().archive); // the sample card keeps it in SAVE
    EXPECT_EQ(library.Rows().size(), 1u);
    EXPECT_EQ(library.Location(), QStringLiteral("/last/open"));
    EXPECT_TRUE(library.IsReady());

    // One unquoted rear path: no row, so the window shows the folder chooser.
    library.OpenCommandLine(rear);
    EXPECT_TRUE(library.Rows().empty());
    EXPECT_EQ(library.SelectionMark(), -1);
}

TEST(RecordingLibrary, ListCommandPrintsEveryFileInDiscoveryOrder)
{
    const testsupport::SampleCard &card = testsupport::SharedSampleCard();
    RecordingLibrary library;
    library.ScanCard(card.root);

    const testsupport::ProcessResult text = testsupport::RunCli({ "list", card.root });
    ASSERT_TRUE(text.Ok()) << text.err.constData();
    const QStringList lines = QString::fromUtf8(text.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(library.Recordings().size()));
    EXPECT_TRUE(lines.front().startsWith(library.Recordings().front().path + QLatin1Char('\t')));
    const QString savedFront = testsupport::CardFile(card.plans.front(), 'F');
    EXPECT_TRUE(lines.contains(savedFront
        + QStringLiteral("\tkind=S channel=F normal=0 event=1 manual=0 archive=1 length=3 00:00:03")));

    const testsupport::ProcessResult json = testsupport::RunCli({ "list", card.root, "--json" });
    ASSERT_TRUE(json.Ok()) << json.err.constData();
    const QJsonArray files = QJsonDocument::fromJson(json.out).array();
    ASSERT_EQ(files.size(), lines.size());
    for (int i = 0; i < files.size(); ++i) {
        const QJsonObject file = files.at(i).toObject();
        const Recording &recording = library.Recordings().at(static_cast<size_t>(i));
        EXPECT_EQ(file.value("path").toString(), recording.path);
        EXPECT_EQ(file.value("archive").toBool(), recording.archive);
        EXPECT_EQ(file.value("lengthSeconds").toInt(), recording.lengthSeconds);
        EXPECT_EQ(file.value("channel").toString(), recording.path.section(QLatin1Char('_'), -1).left(1));
    }

    EXPECT_EQ(testsupport::RunForExitCode(testsupport::CliPath(), { "list" }), 2);
}
