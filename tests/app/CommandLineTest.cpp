#include "app/CommandLine.h"
#include "app/CTAVINApp.h"
#include "support/Process.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CommandLine Parse(const QStringList &arguments, const QString &currentFolder = QStringLiteral("/"))
{
    return CommandLine(QStringList { QStringLiteral("/usr/bin/tavin-viewer") } + arguments, currentFolder);
}

TEST(CommandLine, FilesAreQuotedAndCardsRepeat)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("cards/one")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("two")));
    const CommandLine line = Parse({ QStringLiteral("NORMAL/0101_F.avi"), QStringLiteral("--card"),
                                       dir.filePath(QStringLiteral("cards/one")),
                                       QStringLiteral("/media/my card/EVENT/../EVENT/0102_F.avi"),
                                       QStringLiteral("--card=two/"), QStringLiteral("odd\"name_F.avi") },
        dir.path());
    EXPECT_EQ(line.ToDo(), CommandLine::Action::Run);
    const QString expected
        = QStringLiteral("\"%1/NORMAL/0101_F.avi\" \"/media/my card/EVENT/0102_F.avi\"").arg(dir.path());
    EXPECT_EQ(line.QuotedFiles(), expected);
    EXPECT_EQ(line.CardFolders(),
        QStringList({ dir.filePath(QStringLiteral("cards/one")), dir.filePath(QStringLiteral("two")) }));
    // A name with a double quote cannot travel in the quoted line: it is reported, the rest plays.
    ASSERT_EQ(line.Warnings().size(), 1);
    EXPECT_TRUE(line.Warnings().first().contains(QStringLiteral("odd\"name_F.avi")));

    AppEnvironment environment;
    line.FillEnvironment(environment);
    EXPECT_EQ(environment.commandLine, expected);
    EXPECT_EQ(environment.cardFolders, line.CardFolders());

    const CommandLine none = Parse({});
    EXPECT_EQ(none.ToDo(), CommandLine::Action::Run);
    EXPECT_TRUE(none.QuotedFiles().isEmpty());
    EXPECT_TRUE(none.CardFolders().isEmpty());
}

TEST(CommandLine, HelpVersionAndRefusals)
{
    const CommandLine help = Parse({ QStringLiteral("x_F.avi"), QStringLiteral("--help") });
    EXPECT_EQ(help.ToDo(), CommandLine::Action::ShowHelp);
    EXPECT_TRUE(help.Text().startsWith(QStringLiteral("Usage: tavin-viewer ")));
    EXPECT_TRUE(help.Text().contains(QStringLiteral("--card DIR")));
    EXPECT_EQ(Parse({ QStringLiteral("-h") }).ToDo(), CommandLine::Action::ShowHelp);

    const CommandLine version = Parse({ QStringLiteral("-v") });
    EXPECT_EQ(version.ToDo(), CommandLine::Action::ShowVersion);
    EXPECT_EQ(version.Text(), QStringLiteral("tavin-viewer " TAVIN_EXPECTED_VERSION "\n"));

    struct Refused {
        QStringList arguments;
        const char *reason;
    };
    const Refused refused[] = {
        { { QStringLiteral("--fullscreen") }, "fullscreen" },
        { { QStringLiteral("-x"), QStringLiteral("a_F.avi") }, "'x'" },
        { { QStringLiteral("--card") }, "card" },
        { { QStringLiteral("--card"), QStringLiteral("/no/such/folder") }, "/no/such/folder" },
    };
    for (const Refused &item : refused) {
        const CommandLine line = Parse(item.arguments);
        EXPECT_EQ(line.ToDo(), CommandLine::Action::Refuse) << item.reason;
        EXPECT_TRUE(line.Text().contains(QLatin1String(item.reason))) << line.Text().toStdString();
        EXPECT_TRUE(line.Text().contains(QStringLiteral("--help")));
    }
}

// Nothing of the window system is needed to ask the program about itself.
TEST(ViewerProcess, HelpAndVersionWithoutADisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
        env.remove(QString::fromLatin1(name));
    const QString viewer = QStringLiteral(TAVIN_BIN_DIR "/tavin-viewer");

    const auto help = testsupport::RunProgram(viewer, { QStringLiteral("--help") }, env, 30000);
    EXPECT_TRUE(help.Ok()) << help.err.toStdString();
    EXPECT_TRUE(help.out.startsWith("Usage: tavin-viewer ")) << help.out.toStdString();

    const auto version = testsupport::RunProgram(viewer, { QStringLiteral("--version") }, env, 30000);
    EXPECT_TRUE(version.Ok()) << version.err.toStdString();
    EXPECT_EQ(version.out, QByteArray("tavin-viewer " TAVIN_EXPECTED_VERSION "\n"));

    const auto unknown = testsupport::RunProgram(viewer, { QStringLiteral("--bogus") }, env, 30000);
    EXPECT_TRUE(unknown.finished);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("bogus")) << unknown.err.toStdString();
    EXPECT_TRUE(unknown.out.isEmpty());
}

} // namespace
