#pragma once

#include <QString>

#include <atomic>

// How full a card's recording areas are: the sizes of its recordings summed by area, and the
// texts the storage panel shows for them.

namespace device {

struct RecordingSums {
    qint64 totalMb = 0; // every recording of the card
    qint64 normalMb = 0; // kind letter N
    qint64 eventMb = 0; // kind letter S
    qint64 saveMb = 0; // recordings in the Save folder of the card's root
};

// A size as a person reads it, in binary units: whole megabytes under 1000 MB ("980 MB"), then
// gigabytes with one decimal ("12.6 GB") and whole ones from 100 GB ("119 GB"), terabytes from
// 1000 GB ("1.8 TB"). Both languages write sizes so.
QString SizeText(qint64 bytes);

// Walks the card's tree once. Only names holding ".AVI" or ".PVR" (any case) count, each in whole
// megabytes (1 048 575 bytes count as 0). A recording in Save counts in its kind's area too.
RecordingSums SumRecordings(const QString &root, const std::atomic_bool *cancel = nullptr);

struct StorageTexts {
    QString capacity;
    QString useN, totalN, useS, totalS, useA, totalA;
    int percentN = 0, percentS = 0, percentA = 0; // used share of each area, for its gauge
};

// The figures of a card of totalBytes with freeBytes available (the capacity line names its free
// space) and partition value k (1 to 9):
// the N area holds (10 - k) tenths of the card, the S area k tenths and the Save area 1 %.
StorageTexts ComposeStorageTexts(
    const QString &root, qint64 totalBytes, qint64 freeBytes, int partition, const RecordingSums &sums);
// The zero figures shown after a format request, until the card is read again.
StorageTexts ClearedStorageTexts();

} // namespace device
