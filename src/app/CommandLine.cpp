#include "app/CommandLine.h"

#include "app/CTAVINApp.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kCardOption = QStringLiteral("card");

QString HelpText(const QString &programName)
{
    return QStringLiteral("Usage: %1 [--card DIR]... [FILE]...\n"
                          "Plays the recordings of a dashcam's memory card, front and rear side by side.\n"
                          "\n"
                          "  FILE          a front recording (.avi) to list and play; several may be given\n"
                          "  --card DIR    treat the folder DIR as an inserted memory card (repeatable)\n"
                          "  -h, --help    show this help and exit\n"
                          "  -v, --version show the version and exit\n")
        .arg(programName);
}

} // namespace

CommandLine::CommandLine(const QStringList &arguments, const QString &currentFolder)
{
    const QString programName
        = arguments.isEmpty() ? QStringLiteral("tavin-viewer") : QFileInfo(arguments.first()).fileName();

    QCommandLineParser parser;
    parser.addOption({ { QStringLiteral("h"), QStringLiteral("help") }, QString() });
    parser.addOption({ { QStringLiteral("v"), QStringLiteral("version") }, QString() });
    parser.addOption({ kCardOption, QString(), QStringLiteral("DIR") });
    if (!parser.parse(arguments)) {
        Refuse(parser.errorText(), programName);
        return;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        m_action = Action::ShowHelp;
        m_text = HelpText(programName);
        return;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        m_action = Action::ShowVersion;
        m_text = QStringLiteral("%1 %2\n").arg(programName, Version());
        return;
    }

    const QDir current(currentFolder);
    for (const QString &folder : parser.values(kCardOption)) {
        const QFileInfo info(current.absoluteFilePath(folder));
        if (!info.isDir()) {
            Refuse(QStringLiteral("--card %1: no such folder").arg(folder), programName);
            return;
        }
        m_cardFolders.append(QDir::cleanPath(info.absoluteFilePath()));
    }

    QStringList quoted;
    for (const QString &file : parser.positionalArguments()) {
        // The recording library splits the line at double quotes, so a name holding one would
        // be cut into paths that do not exist.
        if (file.contains(QLatin1Char('"'))) {
            m_warnings.append(QStringLiteral("%1: skipped, its name holds a double quote").arg(file));
            continue;
        }
        quoted.append(QLatin1Char('"') + QDir::cleanPath(current.absoluteFilePath(file)) + QLatin1Char('"'));
    }
    m_quotedFiles = quoted.join(QLatin1Char(' '));
}

void CommandLine::Refuse(const QString &reason, const QString &programName)
{
    m_action = Action::Refuse;
    m_text = QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(programName, reason);
}

void CommandLine::FillEnvironment(AppEnvironment &environment) const
{
    environment.commandLine = m_quotedFiles;
    environment.cardFolders = m_cardFolders;
}

QString CommandLine::Version()
{
    return QStringLiteral(TAVIN_VERSION);
}
