#pragma once

#include <QStringList>

#include <functional>
#include <vector>

// One sub-command of tavin-cli. Commands register themselves from their own file through
// TAVIN_CLI_COMMAND, so the dispatcher knows nothing about them.
struct CliCommand {
    QString name; // first word on the command line, e.g. "pack"
    QString usage; // one or more lines shown by `tavin-cli help`
    bool needsGui; // true when the command opens windows (a QApplication is created)
    std::function<int(const QStringList &args)> run; // args exclude the command name
};

class CliCommandTable
{
public:
    static CliCommandTable &Instance();
    void Add(CliCommand command);
    const CliCommand *Find(const QString &name) const;
    const std::vector<CliCommand> &Commands() const { return m_commands; }

private:
    std::vector<CliCommand> m_commands;
};

struct CliCommandRegistrar {
    explicit CliCommandRegistrar(CliCommand command) { CliCommandTable::Instance().Add(std::move(command)); }
};

#define TAVIN_CLI_CONCAT_INNER(a, b) a##b
#define TAVIN_CLI_CONCAT(a, b) TAVIN_CLI_CONCAT_INNER(a, b)
#define TAVIN_CLI_COMMAND(...)                                                                               \
    static const CliCommandRegistrar TAVIN_CLI_CONCAT(m_tavinCliRegistrar, __LINE__)                         \
    {                                                                                                        \
        CliCommand                                                                                           \
        {                                                                                                    \
            __VA_ARGS__                                                                                      \
        }                                                                                                    \
    }

// Output helpers shared by the commands: UTF-8 on stdout/stderr.
void CliOut(const QString &text);
void CliErr(const QString &text);

// The arguments of a command that takes one folder and an optional --json ("list", "trips"). False,
// after the usage went to stderr, when they are anything else; the command then exits with 2.
bool ParseFolderArguments(const QStringList &args, const QString &command, QString *folder, bool *json);
