#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace testsupport {

struct ProcessResult {
    bool started = false;
    bool finished = false; // within the time allowed, without a crash
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    bool Ok() const { return finished && exitCode == 0; }
};

// Runs a program to its end with stdin closed; a program that overruns the timeout is killed.
ProcessResult RunProgram(const QString &program, const QStringList &args, int timeoutMs = 60000);
// The same with the given environment instead of the test's own.
ProcessResult RunProgram(const QString &program, const QStringList &args,
    const QProcessEnvironment &environment, int timeoutMs = 60000);

// The same, for assertions on the exit code alone: -1 when the program did not start or finish.
int RunForExitCode(const QString &program, const QStringList &args, QByteArray *out = nullptr,
    QByteArray *err = nullptr, int timeoutMs = 60000);

// The built command-line tool, beside the program.
QString CliPath();
ProcessResult RunCli(const QStringList &args, int timeoutMs = 120000);

} // namespace testsupport
