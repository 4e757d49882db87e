#include "support/Process.h"

#include <QElapsedTimer>
#include <QProcess>

#include <csignal>

#include <sys/resource.h>

namespace testsupport {

ProcessResult RunProgram(const QString &program, const QStringList &args, int timeoutMs)
{
    return RunProgram(program, args, QProcessEnvironment::systemEnvironment(), timeoutMs);
}

namespace {

    // Runs the started process to its end, or kills it at the timeout.
    ProcessResult Finish(QProcess &process, int timeoutMs)
    {
        ProcessResult result;
        if (!process.waitForStarted(10000))
            return result;
        result.started = true;
        process.closeWriteChannel();
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
        } else if (process.exitStatus() == QProcess::NormalExit) {
            result.finished = true;
            result.exitCode = process.exitCode();
        }
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

} // namespace

ProcessResult RunProgram(
    const QString &program, const QStringList &args, const QProcessEnvironment &environment, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
    return Finish(process, timeoutMs);
}

bool KillWhen(const QString &program, const QStringList &args,
    const std::function<bool(const QByteArray &err)> &when, int timeoutMs)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000))
        return false;
    process.closeWriteChannel();
    QByteArray err;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        process.waitForReadyRead(2);
        err += process.readAllStandardError();
        process.readAllStandardOutput();
        if (process.state() != QProcess::Running)
            return false;
        if (when(err)) {
            process.kill();
            process.waitForFinished();
            // It may have ended on its own between the look and the kill.
            return process.exitStatus() == QProcess::CrashExit;
        }
    }
    process.kill();
    process.waitForFinished();
    return false;
}

ProcessResult RunWithFileSizeLimit(const QString &program, const QStringList &args, qint64 bytes,
    const QProcessEnvironment &environment, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([bytes] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { rlim_t(bytes), rlim_t(bytes) };
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(program, args);
    return Finish(process, timeoutMs);
}

int RunForExitCode(
    const QString &program, const QStringList &args, QByteArray *out, QByteArray *err, int timeoutMs)
{
    ProcessResult result = RunProgram(program, args, timeoutMs);
    if (out)
        *out = result.out;
    if (err)
        *err = result.err;
    return result.finished ? result.exitCode : -1;
}

QString CliPath()
{
    return QStringLiteral(TAVIN_BIN_DIR "/tavin-cli");
}

ProcessResult RunCli(const QStringList &args, int timeoutMs)
{
    return RunProgram(CliPath(), args, timeoutMs);
}

} // namespace testsupport
