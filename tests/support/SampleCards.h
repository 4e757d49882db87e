#pragma once

#include "media/recorder/SampleRecordingPlan.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace testsupport {

// The sample card every suite of a build shares: written once by our own sample recorder, with
// its default short recordings, in the build tree (CTest runs each test in a process of its own).
struct SampleCard {
    QString root;
    uint64_t seed = 0;
    std::vector<media::recorder::SampleRecordingPlan> plans;
    QStringList written; // relative paths, in writing order
    double secondsTaken = 0;
};
const SampleCard &SharedSampleCard();

// Absolute path of one channel's file of a recording of the shared card.
QString CardFile(const media::recorder::SampleRecordingPlan &plan, char channel);

// Copies every file of the card to the same place under root, for tests that change or remove
// them. False, with a test failure naming the file, when one cannot be copied.
bool CopySampleCard(const SampleCard &card, const QString &root);

} // namespace testsupport
