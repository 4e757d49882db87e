#include "device/CardUsage.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <deque>

namespace device {
namespace {

    bool IsRecordingName(const QString &name)
    {
        const QString upper = name.toUpper();
        return upper.contains(QLatin1String(".AVI")) || upper.contains(QLatin1String(".PVR"));
    }

    // The kind letter stands directly before the last '.' of the name.
    QChar KindLetter(const QString &name)
    {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        return dot > 0 ? name[dot - 1].toUpper() : QChar();
    }

    // Used share of an area in whole percent; an area of no size is shown as empty.
    int PercentUsed(qint64 usedMb, double shareGb)
    {
        if (shareGb <= 0)
            return 0;
        return int(std::trunc(double(usedMb) / (shareGb * 1024.0) * 100.0));
    }

} // namespace

RecordingSums SumRecordings(const QString &root, const std::atomic_bool *cancel)
{
    RecordingSums sums;
    // Breadth first, folder by folder; links are not followed, so a loop cannot trap the walk.
    std::deque<std::pair<QString, bool>> folders { { root, false } };
    while (!folders.empty()) {
        if (cancel && *cancel)
            break;
        const auto [folder, inSave] = folders.front();
        folders.pop_front();
        const QFileInfoList entries = QDir(folder).entryInfoList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo &entry : entries) {
            if (entry.isSymLink())
                continue;
            if (entry.isDir()) {
                const bool save = inSave
                    || (folder == root
                        && entry.fileName().compare(QLatin1String("Save"), Qt::CaseInsensitive) == 0);
                folders.emplace_back(entry.filePath(), save);
                continue;
            }
            if (!IsRecordingName(entry.fileName()))
                continue;
            const qint64 mb = entry.size() >> 20;
            sums.totalMb += mb;
            const QChar kind = KindLetter(entry.fileName());
            if (kind == QLatin1Char('N'))
                sums.normalMb += mb;
            else if (kind == QLatin1Char('S'))
                sums.eventMb += mb;
            if (inSave)
                sums.saveMb += mb;
        }
    }
    return sums;
}

StorageTexts ComposeStorageTexts(
    const QString &root, qint64 totalBytes, qint64 freeBytes, int partition, const RecordingSums &sums)
{
    const int k = qBound(1, partition, 9);
    const double total = double(totalBytes >> 20) / 1024.0;
    const double free = double(freeBytes >> 20) / 1024.0;
    StorageTexts texts;
    texts.capacity = QString::asprintf(
        "Storage Capacity: %s (%.0lf MB, %lf GB)", qUtf8Printable(root), free * 1024.0, free);

    const auto area = [](qint64 usedMb, double shareGb, int sharePercent, QString &use, QString &whole) {
        const int percent = PercentUsed(usedMb, shareGb);
        use = QString::asprintf("In Use (%d MB, %d%%)", int(usedMb), percent);
        whole = QString::asprintf("Total (%.2lf GB, %d%%)", shareGb, sharePercent);
        return percent;
    };
    texts.percentN
        = area(sums.normalMb, 10.0 * (10 - k) * total / 100.0, 10 * (10 - k), texts.useN, texts.totalN);
    texts.percentS = area(sums.eventMb, 10.0 * k * total / 100.0, 10 * k, texts.useS, texts.totalS);
    texts.percentA = area(sums.saveMb, total * 0.01, 1, texts.useA, texts.totalA);
    return texts;
}

StorageTexts ClearedStorageTexts()
{
    StorageTexts texts;
    texts.capacity = QStringLiteral("Storage Capacity:     (  0 MB, 0 GB)");
    texts.useN = texts.useS = texts.useA = QString::asprintf("In Use (0 MB, 100%%)");
    texts.totalN = texts.totalS = texts.totalA = QString::asprintf("Total (0 GB, 100%%)");
    return texts;
}

} // namespace device
