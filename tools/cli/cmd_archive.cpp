// tavin-cli archive: the cards and backup folders indexed in the archive (docs/archive.md).

#include "CliCommand.h"

#include "archive/ArchiveIndex.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace archive;

namespace {

constexpr const char *kUsage = "usage: tavin-cli archive add DIR... [--card] [--db PATH]\n"
                               "       tavin-cli archive list [--json] [--db PATH]\n"
                               "       tavin-cli archive remove ID|DIR [--db PATH]\n";

int BadArguments(const QString &why)
{
    CliErr(QStringLiteral("tavin-cli archive: %1\n").arg(why) + QLatin1String(kUsage));
    return 2;
}

bool OpenArchive(ArchiveIndex &index, const QString &path)
{
    QString note;
    const bool opened = index.Open(path.isEmpty() ? ArchiveIndex::DefaultPath() : path, &note);
    if (!note.isEmpty())
        CliErr(QStringLiteral("tavin-cli archive: %1\n").arg(note));
    return opened;
}

int Add(ArchiveIndex &index, const QStringList &folders, bool isCard)
{
    int status = 0;
    for (const QString &folder : folders) {
        IndexReport report;
        QString error;
        const auto progress = [&](int done, int total, const QString &file) {
            if (!file.isEmpty())
                CliErr(
                    QStringLiteral("[%1/%2] %3\n").arg(done).arg(total).arg(QDir::toNativeSeparators(file)));
        };
        if (!index.AddFolder(folder, isCard, nullptr, progress, &report, &error)) {
            CliErr(QStringLiteral("tavin-cli archive add: %1\n").arg(error));
            status = 1;
            continue;
        }
        CliOut(QStringLiteral("%1: %2 added, %3 changed, %4 unchanged, %5 removed, %6 failed; %7 s reading "
                              "telemetry of %8 s\n")
                   .arg(QDir::toNativeSeparators(QDir(folder).absolutePath()))
                   .arg(report.added)
                   .arg(report.changed)
                   .arg(report.unchanged)
                   .arg(report.removed)
                   .arg(report.failed)
                   .arg(report.telemetrySeconds, 0, 'f', 2)
                   .arg(report.totalSeconds, 0, 'f', 2));
        for (const QString &failure : report.failures)
            CliOut(QStringLiteral("  not read: %1\n").arg(failure));
    }
    return status;
}

int List(ArchiveIndex &index, bool json)
{
    index.UpdateOnline();
    QJsonArray out;
    for (const ArchiveSource &source : index.Sources()) {
        const QString indexed = source.indexedAt.isValid()
            ? source.indexedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
            : QString();
        if (json) {
            out.append(QJsonObject {
                { "id", source.id },
                { "root", source.root },
                { "label", source.label },
                { "card", source.isCard },
                { "online", source.online },
                { "indexed_at", indexed },
                { "recordings", source.recordings },
            });
            continue;
        }
        CliOut(QStringLiteral("%1\t%2\t%3\t%4\t%5 recordings\tindexed %6\t%7\n")
                   .arg(source.id)
                   .arg(source.label, source.isCard ? QStringLiteral("card") : QStringLiteral("folder"),
                       source.online ? QStringLiteral("online") : QStringLiteral("offline"))
                   .arg(source.recordings)
                   .arg(indexed.isEmpty() ? QStringLiteral("never") : indexed,
                       QDir::toNativeSeparators(source.root)));
    }
    if (json)
        CliOut(QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Indented)));
    return 0;
}

int Remove(ArchiveIndex &index, const QString &which)
{
    bool isNumber = false;
    qint64 id = which.toLongLong(&isNumber);
    if (!isNumber)
        id = index.SourceIdOf(which);
    if (id <= 0 || !index.RemoveSource(id)) {
        CliErr(QStringLiteral("tavin-cli archive remove: %1 is not in the archive\n").arg(which));
        return 1;
    }
    CliOut(QStringLiteral("removed source %1 from the archive; its files were not touched\n").arg(id));
    return 0;
}

int RunArchive(const QStringList &args)
{
    if (args.isEmpty())
        return BadArguments(QStringLiteral("missing sub-command"));
    const QString action = args.first();
    QString database;
    bool json = false;
    bool isCard = false;
    QStringList operands;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--db")) {
            if (++i >= args.size())
                return BadArguments(QStringLiteral("--db needs a path"));
            database = args[i];
        } else if (arg == QLatin1String("--json") && action == QLatin1String("list")) {
            json = true;
        } else if (arg == QLatin1String("--card") && action == QLatin1String("add")) {
            isCard = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return BadArguments(QStringLiteral("unexpected argument '%1'").arg(arg));
        } else {
            operands << arg;
        }
    }
    const bool fits = (action == QLatin1String("add") && !operands.isEmpty())
        || (action == QLatin1String("list") && operands.isEmpty())
        || (action == QLatin1String("remove") && operands.size() == 1);
    if (!fits)
        return BadArguments(QStringLiteral("wrong arguments for '%1'").arg(action));

    ArchiveIndex index;
    if (!OpenArchive(index, database))
        return 1;
    if (action == QLatin1String("add"))
        return Add(index, operands, isCard);
    if (action == QLatin1String("list"))
        return List(index, json);
    return Remove(index, operands.first());
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("archive"),
    QStringLiteral(
        "archive add DIR... [--card] [--db PATH]   index cards or backup folders into the archive (only new "
        "and changed recordings are read)\n"
        "archive list [--json] [--db PATH]   the archive's sources: label, card or folder, online, "
        "recordings\n"
        "archive remove ID|DIR [--db PATH]   take a source out of the archive (its files stay)"),
    false, RunArchive);
