// The verified whole-card backup: a card of 256 MB in files the size of recordings (32 MB each)
// copied, synced, read back from the disk and hashed twice, against a plain copy with sync, and
// the later check of the copy against its manifest. The card is made on the first run and kept in
// <temp>/tavin-bench-backup; every backup goes into a new folder that is removed afterwards.

#include "device/CardBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

constexpr int kFiles = 8;
constexpr qint64 kFileBytes = qint64(32) << 20;

QString Folder()
{
    return QDir::temp().filePath(QStringLiteral("tavin-bench-backup"));
}

// Random bytes, so that no layer below can shortcut the work.
QString MakeCard()
{
    const QString root = Folder() + QStringLiteral("/card");
    for (int i = 0; i < kFiles; ++i) {
        const QString path
            = root + QStringLiteral("/NORMAL/20240101_%1_FN.AVI").arg(i, 6, 10, QLatin1Char('0'));
        if (QFileInfo(path).size() == kFileBytes)
            continue;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (qint64 done = 0; done < kFileBytes; done += block.size()) {
            QRandomGenerator::global()->fillRange(
                reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
            file.write(block);
        }
    }
    return root;
}

void VerifiedBackup(benchmark::State &state)
{
    const QString card = MakeCard();
    const QString copy = Folder() + QStringLiteral("/copy");
    for (auto _ : state) {
        QDir(copy).removeRecursively();
        const device::BackupReport report = device::RunCardBackup(card, copy);
        if (!report.Ok())
            state.SkipWithError("the backup failed");
    }
    state.SetBytesProcessed(state.iterations() * kFiles * kFileBytes);
    QDir(copy).removeRecursively();
}

void CheckAgainstManifest(benchmark::State &state)
{
    const QString card = MakeCard();
    const QString copy = Folder() + QStringLiteral("/checked");
    QDir(copy).removeRecursively();
    device::RunCardBackup(card, copy);
    for (auto _ : state) {
        if (!device::VerifyBackup(copy).Ok())
            state.SkipWithError("the check failed");
    }
    state.SetBytesProcessed(state.iterations() * kFiles * kFileBytes);
    QDir(copy).removeRecursively();
}

void PlainCopyWithSync(benchmark::State &state)
{
    const QString card = MakeCard();
    const QString copy = Folder() + QStringLiteral("/plain");
    for (auto _ : state) {
        QDir(copy).removeRecursively();
        if (QProcess::execute(QStringLiteral("sh"),
                { QStringLiteral("-c"), QStringLiteral("cp -r \"$0\" \"$1\" && sync"), card, copy })
            != 0)
            state.SkipWithError("cp failed");
    }
    state.SetBytesProcessed(state.iterations() * kFiles * kFileBytes);
    QDir(copy).removeRecursively();
}

} // namespace

BENCHMARK(VerifiedBackup)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(CheckAgainstManifest)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(PlainCopyWithSync)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

BENCHMARK_MAIN();
