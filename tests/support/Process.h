#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

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

// Starts the program and kills it with SIGKILL, as a crash or a power cut stops it, as soon as
// `when` holds; `when` is polled every few milliseconds with what the program wrote to stderr so
// far. True when the program was killed while it ran; false when it ended first or did not start.
bool KillWhen(const QString &program, const QStringList &args,
    const std::function<bool(const QByteArray &err)> &when, int timeoutMs = 20000);

// Runs the program with its files limited to `bytes` (RLIMIT_FSIZE, SIGXFSZ ignored), so that a
// write beyond that fails as on a full disk, with "File too large".
ProcessResult RunWithFileSizeLimit(const QString &program, const QStringList &args, qint64 bytes,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(), int timeoutMs = 60000);

// The built command-line tool, beside the program.
QString CliPath();
ProcessResult RunCli(const QStringList &args, int timeoutMs = 120000);

} // namespace testsupport
