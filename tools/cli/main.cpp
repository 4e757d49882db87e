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

static void PrintUsage()
{
    CliErr(QStringLiteral("usage: tavin-cli COMMAND [ARGS...]\n\ncommands:\n"));
    for (const CliCommand &command : CliCommandTable::Instance().Commands()) {
        for (const QString &line : command.usage.split(QLatin1Char('\n')))
            CliErr(QStringLiteral("  %1\n").arg(line));
    }
}

int main(int argc, char *argv[])
{
    if (argc < 2 || QByteArray(argv[1]) == "help" || QByteArray(argv[1]) == "--help") {
        PrintUsage();
        return argc < 2 ? 2 : 0;
    }
    const CliCommand *command = CliCommandTable::Instance().Find(QString::fromLocal8Bit(argv[1]));
    if (!command) {
        CliErr(QStringLiteral("tavin-cli: unknown command '%1'\n").arg(QString::fromLocal8Bit(argv[1])));
        PrintUsage();
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
