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

QString SizeText(qint64 bytes)
{
    const double mb = double(qMax<qint64>(bytes, 0)) / double(1 << 20);
    // Each unit up to where its rounded figure would need a fourth digit.
    if (mb < 999.5)
        return QString::asprintf("%.0f MB", mb);
    const double gb = mb / 1024.0;
    if (gb < 99.95)
        return QString::asprintf("%.1f GB", gb);
    if (gb < 999.5)
        return QString::asprintf("%.0f GB", gb);
    return QString::asprintf("%.1f TB", gb / 1024.0);
}

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
    StorageTexts texts;
    texts.capacity = QStringLiteral("Storage Capacity: %1 (%2 free)").arg(root, SizeText(freeBytes));

    const auto area = [](qint64 usedMb, double shareGb, int sharePercent, QString &use, QString &whole) {
        const int percent = PercentUsed(usedMb, shareGb);
        use = QStringLiteral("In Use (%1, %2%)").arg(SizeText(usedMb << 20)).arg(percent);
        whole = QStringLiteral("Total (%1, %2%)")
                    .arg(SizeText(qint64(std::llround(shareGb * double(qint64(1) << 30)))))
                    .arg(sharePercent);
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
    texts.capacity = QStringLiteral("Storage Capacity: (%1 free)").arg(SizeText(0));
    texts.useN = texts.useS = texts.useA = QStringLiteral("In Use (%1, 100%)").arg(SizeText(0));
    texts.totalN = texts.totalS = texts.totalA = QStringLiteral("Total (%1, 100%)").arg(SizeText(0));
    return texts;
}

} // namespace device
