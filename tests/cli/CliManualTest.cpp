// tavin-cli's manual page and bash completion against what the program itself says in `help`:
// a command, sub-command or option added, renamed or dropped in tools/cli without the page and
// the completion following fails here.

#include "support/Files.h"
#include "support/Process.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

const QString kSourceDir = QStringLiteral(TAVIN_SOURCE_DIR);
const QString kCliPage = kSourceDir + QStringLiteral("/packaging/man/tavin-cli.1");
const QString kViewerPage = kSourceDir + QStringLiteral("/packaging/man/tavin-viewer.1");
const QString kCompletion = kSourceDir + QStringLiteral("/packaging/completion/tavin-cli");
const QString kBashCompletionLibrary = QStringLiteral("/usr/share/bash-completion/bash_completion");

using Names = std::set<QString>;

const QRegularExpression kOption(QStringLiteral("--[a-z][a-z0-9-]*"));
// An option with its fixed set of values, as in "--format csv|gpx|kml|nmea".
const QRegularExpression kOptionWithValues(
    QStringLiteral("(--[a-z][a-z0-9-]*) ([a-z0-9]+(?:\\|[a-z0-9]+)+)"));
const QRegularExpression kSubcommandWord(QStringLiteral("^[a-z][a-z0-9-]*$"));

// The command and its sub-command from the words of a synopsis: the second word is a sub-command
// when it is a plain lower-case word (operands are written in capitals, options start with "-").
QString FormOf(const QStringList &words)
{
    if (words.isEmpty() || !kSubcommandWord.match(words[0]).hasMatch())
        return QString();
    if (words.size() > 1 && kSubcommandWord.match(words[1]).hasMatch())
        return words[0] + QLatin1Char(' ') + words[1];
    return words[0];
}

// What `tavin-cli help` says: each command form ("archive add", "export") with the options and
// fixed option values written on its lines.
struct CliHelp {
    QString text;
    std::map<QString, Names> optionsOf;
    std::map<QString, std::map<QString, Names>> valuesOf; // form -> option -> values
    std::map<QString, Names> subcommandsOf;
    Names commands;
    Names options;
};

CliHelp ReadHelp()
{
    CliHelp help;
    const testsupport::ProcessResult result = testsupport::RunCli({ QStringLiteral("help") });
    EXPECT_TRUE(result.Ok()) << result.err.constData();
    help.text = QString::fromUtf8(result.out);
    QString form;
    bool inCommands = false;
    for (const QString &line : help.text.split(QLatin1Char('\n'))) {
        if (line == QLatin1String("commands:")) {
            inCommands = true;
            continue;
        }
        if (!inCommands || line.trimmed().isEmpty())
            continue;
        // A command line is indented by two spaces, its synopsis ends where two spaces part it
        // from its description; deeper lines continue the command before.
        if (line.startsWith(QLatin1String("  ")) && !line.at(2).isSpace()) {
            const QString synopsis = line.mid(2).split(QRegularExpression(QStringLiteral("\\s{2,}"))).first();
            form = FormOf(synopsis.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts));
            EXPECT_FALSE(form.isEmpty()) << "no command in: " << line.toStdString();
            const QStringList words = form.split(QLatin1Char(' '));
            help.commands.insert(words[0]);
            if (words.size() > 1)
                help.subcommandsOf[words[0]].insert(words[1]);
            help.optionsOf[form];
        }
        if (form.isEmpty())
            continue;
        for (const QRegularExpressionMatch &match : kOption.globalMatch(line)) {
            help.optionsOf[form].insert(match.captured());
            help.options.insert(match.captured());
        }
        for (const QRegularExpressionMatch &match : kOptionWithValues.globalMatch(line)) {
            for (const QString &value : match.captured(2).split(QLatin1Char('|')))
                help.valuesOf[form][match.captured(1)].insert(value);
        }
    }
    return help;
}

const CliHelp &Help()
{
    static const CliHelp help = ReadHelp();
    return help;
}

// Roff text as a reader sees it: font changes and zero-width marks dropped, escaped hyphens plain.
QString PlainRoff(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\\\f(\\(..|\\[[^]]*\\]|.)")));
    text.remove(QStringLiteral("\\&"));
    text.remove(QStringLiteral("\\%"));
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    return text;
}

QString ReadText(const QString &path)
{
    return QString::fromUtf8(testsupport::ReadFile(path));
}

// The lines of one section of a manual page, up to the next section.
QStringList SectionLines(const QString &page, const QString &name)
{
    QStringList lines;
    bool inside = false;
    for (const QString &line : page.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String(".SH "))) {
            inside = line.mid(4).remove(QLatin1Char('"')).trimmed() == name;
            continue;
        }
        if (inside)
            lines << line;
    }
    return lines;
}

// The command forms that have an entry under COMMANDS: the tag line after each .TP whose first
// word is a command (tags that start with an option belong to a command's list of options).
struct PageEntries {
    Names forms;
    QStringList notBold; // tag lines of commands that do not start in bold
};

PageEntries ReadPageEntries(const QString &page)
{
    PageEntries entries;
    const QStringList lines = SectionLines(page, QStringLiteral("COMMANDS"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed() != QLatin1String(".TP"))
            continue;
        qsizetype tag = i + 1;
        while (tag < lines.size() && lines[tag].startsWith(QLatin1String(".\\\"")))
            ++tag;
        if (tag >= lines.size())
            break;
        const QString raw = lines[tag];
        QString text = raw;
        const bool macroBold = text.startsWith(QLatin1String(".B ")) || text.startsWith(QLatin1String(".BI "))
            || text.startsWith(QLatin1String(".BR "));
        if (text.startsWith(QLatin1Char('.')))
            text = text.section(QLatin1Char(' '), 1);
        text = PlainRoff(text).remove(QLatin1Char('"'));
        const QString form
            = FormOf(text.split(QRegularExpression(QStringLiteral("[\\s,|\\[\\]]+")), Qt::SkipEmptyParts));
        if (form.isEmpty())
            continue;
        entries.forms.insert(form);
        if (!macroBold && !raw.startsWith(QLatin1String("\\fB")))
            entries.notBold << raw;
    }
    return entries;
}

std::string Join(const Names &names)
{
    QStringList list(names.begin(), names.end());
    return list.join(QStringLiteral(", ")).toStdString();
}

bool HasOption(const QString &text, const QString &option)
{
    return QRegularExpression(
        QStringLiteral("(?<![a-z0-9-])%1(?![a-z0-9-])").arg(QRegularExpression::escape(option)))
        .match(text)
        .hasMatch();
}

} // namespace

TEST(CliManual, HelpGoesToStandardOutputAndSucceeds)
{
    for (const QString &spelling :
        { QStringLiteral("help"), QStringLiteral("--help"), QStringLiteral("-h") }) {
        const testsupport::ProcessResult result = testsupport::RunCli({ spelling });
        ASSERT_TRUE(result.finished) << spelling.toStdString();
        EXPECT_EQ(result.exitCode, 0) << spelling.toStdString();
        EXPECT_TRUE(result.out.startsWith("usage: tavin-cli COMMAND")) << result.out.constData();
        EXPECT_TRUE(result.out.contains("\n  export ")) << result.out.constData();
        EXPECT_TRUE(result.err.isEmpty()) << result.err.constData();
    }
}

TEST(CliManual, MistakesGetTheUsageOnStandardError)
{
    const testsupport::ProcessResult unknown = testsupport::RunCli({ QStringLiteral("no-such-command") });
    ASSERT_TRUE(unknown.finished);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.out.isEmpty()) << unknown.out.constData();
    EXPECT_TRUE(unknown.err.contains("unknown command 'no-such-command'")) << unknown.err.constData();
    EXPECT_TRUE(unknown.err.contains("usage: tavin-cli COMMAND")) << unknown.err.constData();

    const testsupport::ProcessResult none = testsupport::RunCli({});
    ASSERT_TRUE(none.finished);
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(none.out.isEmpty()) << none.out.constData();
    EXPECT_TRUE(none.err.contains("usage: tavin-cli COMMAND")) << none.err.constData();
}

TEST(CliManual, VersionIsTheProjectVersion)
{
    for (const QString &spelling : { QStringLiteral("--version"), QStringLiteral("version") }) {
        const testsupport::ProcessResult result = testsupport::RunCli({ spelling });
        EXPECT_TRUE(result.Ok()) << spelling.toStdString() << ": " << result.err.constData();
        EXPECT_EQ(result.out, QByteArray("tavin-cli " TAVIN_EXPECTED_VERSION "\n"));
    }
    EXPECT_TRUE(HasOption(Help().text, QStringLiteral("--version"))) << "help does not name --version";
}

TEST(CliManual, HelpListsCommandsWithSubcommandsAndOptions)
{
    // The parse below is what the other cases stand on; a help whose layout it no longer reads
    // must fail here rather than leave them comparing nothing.
    const CliHelp &help = Help();
    EXPECT_GE(help.commands.size(), 15u) << Join(help.commands);
    EXPECT_TRUE(help.commands.count(QStringLiteral("export")));
    EXPECT_TRUE(help.subcommandsOf.count(QStringLiteral("archive")));
    EXPECT_TRUE(help.optionsOf.at(QStringLiteral("find")).count(QStringLiteral("--near")));
    EXPECT_TRUE(help.valuesOf.count(QStringLiteral("telemetry")));
}

TEST(CliManual, EveryCommandHasAnEntryInThePage)
{
    const PageEntries page = ReadPageEntries(ReadText(kCliPage));
    for (const auto &[form, options] : Help().optionsOf)
        EXPECT_TRUE(page.forms.count(form)) << "tavin-cli.1 has no entry for `" << form.toStdString() << "`";
    EXPECT_TRUE(page.notBold.isEmpty())
        << "command tags not in bold: " << page.notBold.join(QStringLiteral(" | ")).toStdString();
}

TEST(CliManual, EveryEntryInThePageIsACommand)
{
    const PageEntries page = ReadPageEntries(ReadText(kCliPage));
    ASSERT_FALSE(page.forms.empty()) << "no COMMANDS entries found in " << kCliPage.toStdString();
    for (const QString &form : page.forms)
        EXPECT_TRUE(Help().optionsOf.count(form))
            << "tavin-cli.1 describes `" << form.toStdString() << "`, which tavin-cli help does not list";
}

TEST(CliManual, EveryOptionIsInThePage)
{
    const QString page = PlainRoff(ReadText(kCliPage));
    ASSERT_FALSE(Help().options.empty());
    for (const QString &option : Help().options)
        EXPECT_TRUE(HasOption(page, option)) << "tavin-cli.1 does not mention " << option.toStdString();
    for (const auto &[form, byOption] : Help().valuesOf) {
        for (const auto &[option, values] : byOption) {
            for (const QString &value : values)
                EXPECT_TRUE(page.contains(value)) << "tavin-cli.1 lacks the value " << value.toStdString()
                                                  << " of " << option.toStdString();
        }
    }
}

TEST(CliManual, ViewerPageNamesEveryViewerOption)
{
    const testsupport::ProcessResult result = testsupport::RunProgram(
        QStringLiteral(TAVIN_BIN_DIR "/tavin-viewer"), { QStringLiteral("--help") });
    ASSERT_TRUE(result.Ok()) << result.err.constData();
    const QString help = QString::fromUtf8(result.out);
    const QString page = PlainRoff(ReadText(kViewerPage));
    int options = 0;
    for (const QRegularExpressionMatch &match : kOption.globalMatch(help)) {
        ++options;
        EXPECT_TRUE(HasOption(page, match.captured()))
            << "tavin-viewer.1 does not mention " << match.captured().toStdString();
    }
    EXPECT_GE(options, 3) << help.toStdString();
    for (const QString &section : { QStringLiteral("SYNOPSIS"), QStringLiteral("DESCRIPTION"),
             QStringLiteral("OPTIONS"), QStringLiteral("FILES"), QStringLiteral("EXIT STATUS"),
             QStringLiteral("ENVIRONMENT"), QStringLiteral("SEE ALSO") })
        EXPECT_FALSE(SectionLines(ReadText(kViewerPage), section).isEmpty()) << section.toStdString();
}

TEST(CliManual, PagesCarryTheProjectVersion)
{
    for (const QString &path : { kCliPage, kViewerPage }) {
        const QString page = ReadText(path);
        const QRegularExpressionMatch th
            = QRegularExpression(QStringLiteral("^\\.TH .*$"), QRegularExpression::MultilineOption)
                  .match(page);
        ASSERT_TRUE(th.hasMatch()) << path.toStdString();
        EXPECT_TRUE(th.captured().contains(QStringLiteral(" " TAVIN_EXPECTED_VERSION "\"")))
            << path.toStdString() << ": " << th.captured().toStdString();
    }
}

TEST(CliManual, PagesWriteOptionsWithEscapedHyphens)
{
    // A bare "-" may be set as a hyphen, which breaks options copied from the page; the date of
    // the .TH line and comments are the only places one is left.
    for (const QString &path : { kCliPage, kViewerPage }) {
        const QStringList lines = ReadText(path).split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString &line = lines[i];
            if (line.startsWith(QLatin1String(".\\\"")) || line.startsWith(QLatin1String(".TH ")))
                continue;
            EXPECT_FALSE(QRegularExpression(QStringLiteral("(^|[^\\\\])-")).match(line).hasMatch())
                << QFileInfo(path).fileName().toStdString() << ":" << i + 1 << ": " << line.toStdString();
        }
    }
}

TEST(CliManual, PagesFormatWithoutWarnings)
{
    for (const QString &path : { kCliPage, kViewerPage }) {
        const testsupport::ProcessResult result = testsupport::RunProgram(QStringLiteral("man"),
            { QStringLiteral("--warnings"), QStringLiteral("-l"), QStringLiteral("-Tutf8"), path });
        if (!result.started)
            GTEST_SKIP() << "man is not installed";
        EXPECT_TRUE(result.Ok()) << path.toStdString() << ": " << result.err.constData();
        EXPECT_TRUE(result.err.isEmpty()) << path.toStdString() << ": " << result.err.constData();
        EXPECT_GT(result.out.size(), 1000) << path.toStdString();
    }
}

TEST(CliManual, CompletionIsValidBash)
{
    const testsupport::ProcessResult result
        = testsupport::RunProgram(QStringLiteral("bash"), { QStringLiteral("-n"), kCompletion });
    EXPECT_TRUE(result.Ok()) << result.err.constData();
}

// The completion is run as bash runs it on Tab, with and without the bash-completion package's
// helpers loaded; the words end with the one being completed.
class CliCompletion : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (GetParam() && !QFileInfo::exists(kBashCompletionLibrary))
            GTEST_SKIP() << "the bash-completion package is not installed";
    }

    Names Complete(const QStringList &words)
    {
        static const QString script = QStringLiteral(
            "library=$1; file=$2; shift 2\n"
            "if [[ -n $library ]]; then source \"$library\" || exit 3; fi\n"
            "source \"$file\" || exit 4\n"
            "COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); COMP_LINE=\"$*\"; COMP_POINT=${#COMP_LINE}\n"
            "_tavin_cli\n"
            "printf '%s\\n' \"${COMPREPLY[@]}\"\n");
        QStringList args { QStringLiteral("-c"), script, QStringLiteral("bash"),
            GetParam() ? kBashCompletionLibrary : QString(), kCompletion, QStringLiteral("tavin-cli") };
        args << words;
        const testsupport::ProcessResult result
            = testsupport::RunProgram(QStringLiteral("bash"), args, 30000);
        EXPECT_TRUE(result.Ok()) << "tavin-cli " << words.join(QLatin1Char(' ')).toStdString() << ": "
                                 << result.err.constData();
        Names offered;
        for (const QString &line : QString::fromUtf8(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            offered.insert(line);
        return offered;
    }

    // The words up to where a form's own options follow: its command and sub-command.
    static QStringList WordsOf(const QString &form) { return form.split(QLatin1Char(' ')); }
};

TEST_P(CliCompletion, OffersCommandsByTheirStart)
{
    EXPECT_EQ(Complete({ QStringLiteral("exp") }), Names { QStringLiteral("export") });
    EXPECT_EQ(Complete({ QStringLiteral("sample-") }),
        (Names { QStringLiteral("sample-card"), QStringLiteral("sample-recording") }));
}

TEST_P(CliCompletion, OffersExactlyTheCommandsOfTheHelp)
{
    EXPECT_EQ(Complete({ QString() }), Help().commands);
}

TEST_P(CliCompletion, OffersExactlyTheSubcommandsOfTheHelp)
{
    ASSERT_FALSE(Help().subcommandsOf.empty());
    for (const auto &[command, subcommands] : Help().subcommandsOf)
        EXPECT_EQ(Complete({ command, QString() }), subcommands) << command.toStdString();
}

TEST_P(CliCompletion, OffersEveryOptionOfEachCommand)
{
    // help and version have no options of their own: their other spellings stand in the command's
    // place.
    const Names spellings = Complete({ QStringLiteral("-") });
    for (const auto &[form, options] : Help().optionsOf) {
        const bool spelling = form == QLatin1String("help") || form == QLatin1String("version");
        const Names offered = spelling ? spellings : Complete(WordsOf(form) << QStringLiteral("-"));
        for (const QString &option : options)
            EXPECT_TRUE(offered.count(option)) << "tavin-cli " << form.toStdString() << " -<Tab> lacks "
                                               << option.toStdString() << "; offered: " << Join(offered);
    }
}

TEST_P(CliCompletion, OffersTheFixedValuesOfAnOption)
{
    EXPECT_EQ(Complete({ QStringLiteral("telemetry"), QStringLiteral("x.avi"), QStringLiteral("--format"),
                  QString() }),
        (Names {
            QStringLiteral("csv"), QStringLiteral("gpx"), QStringLiteral("kml"), QStringLiteral("nmea") }));
    int sets = 0;
    for (const auto &[form, byOption] : Help().valuesOf) {
        for (const auto &[option, values] : byOption) {
            ++sets;
            EXPECT_EQ(Complete(WordsOf(form) << option << QString()), values)
                << "tavin-cli " << form.toStdString() << " " << option.toStdString();
        }
    }
    EXPECT_GE(sets, 5);
}

TEST_P(CliCompletion, OffersFoldersAndRecordingsWhereTheCommandWantsThem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path() + QLatin1Char('/');
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("card")));
    for (const char *name : { "a_FN.avi", "B_FS.AVI", "clip.mp4", "notes.txt" })
        ASSERT_TRUE(testsupport::WriteFile(root + QLatin1String(name), QByteArray("x")));
    const auto at = [&](std::initializer_list<const char *> names) {
        Names paths;
        for (const char *name : names)
            paths.insert(root + QLatin1String(name));
        return paths;
    };

    EXPECT_EQ(Complete({ QStringLiteral("list"), root }), at({ "card" }));
    EXPECT_EQ(Complete({ QStringLiteral("info"), root }), at({ "card", "a_FN.avi", "B_FS.AVI" }));
    EXPECT_EQ(Complete({ QStringLiteral("export"), root }), at({ "card", "a_FN.avi", "B_FS.AVI" }));
    EXPECT_EQ(Complete({ QStringLiteral("export"), root + QLatin1String("a_FN.avi"), root }),
        at({ "card", "clip.mp4" }));
    EXPECT_EQ(Complete({ QStringLiteral("backup"), QStringLiteral("--verify"), root }), at({ "card" }));
    EXPECT_EQ(Complete({ QStringLiteral("archive"), QStringLiteral("add"), QStringLiteral("--card"), root }),
        at({ "card" }));
    EXPECT_EQ(Complete({ QStringLiteral("cards"), QStringLiteral("--card"), root }), at({ "card" }));
    EXPECT_EQ(Complete({ QStringLiteral("archive"), QStringLiteral("list"), QStringLiteral("--db"), root }),
        at({ "card", "a_FN.avi", "B_FS.AVI", "clip.mp4", "notes.txt" }));
    // The same name is a flag elsewhere: after the sample recording's --rear comes its file.
    EXPECT_EQ(Complete({ QStringLiteral("sample-recording"), QStringLiteral("--rear"), root }),
        at({ "card", "a_FN.avi", "B_FS.AVI" }));
    // The place and the times are typed: nothing to offer.
    EXPECT_TRUE(Complete({ QStringLiteral("find"), QStringLiteral("--near"), root }).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Shell, CliCompletion, ::testing::Values(false, true), [](const ::testing::TestParamInfo<bool> &info) {
        return std::string(info.param ? "WithBashCompletion" : "PlainBash");
    });
