#include "CliCommand.h"

#include <QApplication>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <memory>

CliCommandTable &CliCommandTable::Instance()
{
    static CliCommandTable table;
    return table;
}

void CliCommandTable::Add(CliCommand command)
{
    m_commands.push_back(std::move(command));
    std::sort(m_commands.begin(), m_commands.end(),
        [](const CliCommand &a, const CliCommand &b) { return a.name < b.name; });
}

const CliCommand *CliCommandTable::Find(const QString &name) const
{
    for (const CliCommand &command : m_commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

void CliOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

void CliErr(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

bool ParseFolderArguments(const QStringList &args, const QString &command, QString *folder, bool *json)
{
    *json = false;
    folder->clear();
    for (const QString &arg : args) {
        if (arg == QLatin1String("--json")) {
            *json = true;
        } else if (arg.startsWith(QLatin1String("--")) || !folder->isEmpty()) {
            CliErr(QStringLiteral("tavin-cli %1: unexpected argument '%2'\n").arg(command, arg));
            return false;
        } else {
            *folder = arg;
        }
    }
    if (folder->isEmpty()) {
        CliErr(QStringLiteral("usage: tavin-cli %1 DIR [--json]\n").arg(command));
        return false;
    }
    return true;
}

static void PrintUsage(void (*print)(const QString &))
{
    print(QStringLiteral("usage: tavin-cli COMMAND [ARGS...]\n\ncommands:\n"));
    for (const CliCommand &command : CliCommandTable::Instance().Commands()) {
        for (const QString &line : command.usage.split(QLatin1Char('\n')))
            print(QStringLiteral("  %1\n").arg(line));
    }
}

// The help asked for is the program's answer and goes to stdout, so that it can be paged or
// searched; usage after a mistake goes to stderr with the error.
TAVIN_CLI_COMMAND(QStringLiteral("help"),
    QStringLiteral("help                print this list (also --help, -h)"), false, [](const QStringList &) {
        PrintUsage(CliOut);
        return 0;
    });
TAVIN_CLI_COMMAND(QStringLiteral("version"),
    QStringLiteral("version             print tavin-cli and its version (also --version)"), false,
    [](const QStringList &) {
        CliOut(QStringLiteral("tavin-cli %1\n").arg(QStringLiteral(TAVIN_VERSION)));
        return 0;
    });

int main(int argc, char *argv[])
{
    if (argc < 2) {
        PrintUsage(CliErr);
        return 2;
    }
    QString name = QString::fromLocal8Bit(argv[1]);
    if (name == QLatin1String("--help") || name == QLatin1String("-h"))
        name = QStringLiteral("help");
    else if (name == QLatin1String("--version"))
        name = QStringLiteral("version");
    const CliCommand *command = CliCommandTable::Instance().Find(name);
    if (!command) {
        CliErr(QStringLiteral("tavin-cli: unknown command '%1'\n").arg(name));
        PrintUsage(CliErr);
        return 2;
    }
    std::unique_ptr<QCoreApplication> app;
    if (command->needsGui) {
        // Commands that only draw into pictures (the export's caption) run from a terminal without
        // a desktop too.
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
            && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList args = QCoreApplication::arguments().mid(2);
    return command->run(args);
}
