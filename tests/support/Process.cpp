#include "support/Process.h"

#include <QProcess>

namespace testsupport {

ProcessResult RunProgram(const QString &program, const QStringList &args, int timeoutMs)
{
    return RunProgram(program, args, QProcessEnvironment::systemEnvironment(), timeoutMs);
}

ProcessResult RunProgram(
    const QString &program, const QStringList &args, const QProcessEnvironment &environment, int timeoutMs)
{
    ProcessResult result;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
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
