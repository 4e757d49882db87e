// tavin-cli backup: the storage panel's verified whole-card backup without a window.

#include "CliCommand.h"

#include "device/CardBackup.h"
#include "device/CardUsage.h"

#include <QElapsedTimer>

using namespace device;

namespace {

// One progress line on the terminal, rewritten in place at most a few times a second.
BackupProgressFn TerminalProgress(const char *verb)
{
    auto shown = std::make_shared<QElapsedTimer>();
    return [shown, verb](const BackupProgress &p) {
        if (shown->isValid() && shown->elapsed() < 200 && p.bytesDone < p.bytesTotal)
            return;
        shown->start();
        const int percent = p.bytesTotal > 0 ? int(p.bytesDone * 100 / p.bytesTotal) : 100;
        CliErr(QStringLiteral("\r%1 %2% %3/%4 files  %5\x1b[K")
                   .arg(QLatin1String(verb))
                   .arg(percent, 3)
                   .arg(p.filesDone)
                   .arg(p.filesTotal)
                   .arg(p.current));
    };
}

int Report(const BackupReport &report, const char *done)
{
    CliErr(QStringLiteral("\r\x1b[K"));
    if (!report.error.isEmpty()) {
        CliErr(QStringLiteral("tavin-cli: %1\n").arg(report.error));
        return 1;
    }
    for (const QString &path : report.differing)
        CliOut(QStringLiteral("DIFFERS: %1\n").arg(path));
    for (const QString &failure : report.failed)
        CliOut(QStringLiteral("FAILED: %1\n").arg(failure));
    const double rate = report.seconds > 0 ? double(report.bytes) / double(1 << 20) / report.seconds : 0.0;
    CliOut(QStringLiteral("%1 %2, %3, %4 (%5 s, %6 MB/s)\n")
               .arg(report.files)
               .arg(report.files == 1 ? QLatin1String("file") : QLatin1String("files"))
               .arg(SizeText(report.bytes))
               .arg(report.Ok() ? QLatin1String(done) : QStringLiteral("NOT verified"))
               .arg(report.seconds, 0, 'f', 2)
               .arg(rate, 0, 'f', 1));
    return report.Ok() ? 0 : 1;
}

int RunBackup(const QStringList &args)
{
    if (args.size() == 2 && args[0] == QLatin1String("--verify"))
        return Report(VerifyBackup(args[1], nullptr, TerminalProgress("checking")), "verified");
    if (args.size() != 2 || args[0].startsWith(QLatin1String("--"))) {
        CliErr(QStringLiteral("usage: tavin-cli backup CARD_DIR DEST_DIR | backup --verify DEST_DIR\n"));
        return 2;
    }
    const BackupReport report = RunCardBackup(args[0], args[1], nullptr, TerminalProgress("copying"));
    if (report.error.isEmpty())
        CliOut(QStringLiteral("%1\n").arg(report.destination));
    return Report(report, "verified");
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("backup"),
    QStringLiteral("backup CARD_DIR DEST_DIR     copy the whole card into DEST_DIR (new or empty), read\n"
                   "                             every copy back and write SHA256SUMS beside it\n"
                   "backup --verify DEST_DIR     check an earlier backup against its SHA256SUMS"),
    false, RunBackup);
