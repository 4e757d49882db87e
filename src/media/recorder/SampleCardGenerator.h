#pragma once

#include "media/recorder/SampleRecordingPlan.h"
#include "media/recorder/SampleVideoEncoder.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace media::recorder {

struct SampleCardOptions {
    QString directory; // the card's root; created when missing
    uint64_t seed = 1;
    double minutes = 0; // length of each recording (about 11 of them); 0 gives the short test recordings
    SampleVideoCodec codec = SampleVideoCodec::Automatic;
    int threads = 2; // encoder threads per file
    // Writes the recorder's settings file at the given path; the card is incomplete without it.
    std::function<bool(const QString &path, QString *error)> writeSetup;
    // Told about each file as it is written (relative path), for progress output.
    std::function<void(const QString &relativePath)> progress;
};

// Writes a memory card as the two-camera recorder leaves it after a day: the settings file in the
// root, the recordings of every kind as front and rear files in the recorder's folders (NORMAL,
// EVENT, MANUAL, PARKING, and SAVE for protected ones). A morning drive of back-to-back segments
// with a driving event and a restart of the recorder that left a few seconds unrecorded; a
// second drive around noon, one of its recordings without a rear file, that ends in an event
// whose files the recorder could not finish because a crash cut its power; then a parking
// session with a knock and a motion recorded before the GPS receiver had a fix. Position and
// speed run on from one recording of a drive to the next. The same seed gives the same names and
// telemetry.
class SampleCardGenerator
{
public:
    static constexpr int kDefaultDurationMs = 3000;
    static constexpr int kFrontWidth = 1920;
    static constexpr int kFrontHeight = 1080;
    static constexpr int kRearWidth = 1280;
    static constexpr int kRearHeight = 720;

    explicit SampleCardGenerator(SampleCardOptions options);

    // The recordings the card will hold, in the order they are written.
    std::vector<SampleRecordingPlan> Plan() const;

    bool Generate();
    // Writes one file of the card again ('F' or 'R' of the recording at planIndex) to path: the
    // bytes equal those generate() writes for it.
    bool GenerateFile(size_t planIndex, char channel, const QString &path);
    QString ErrorString() const { return m_error; }
    // Paths below the root of every file written, in writing order.
    const QStringList &WrittenFiles() const { return m_written; }

    static const char *const kSetupFileName;

private:
    bool WriteFile(
        const std::vector<SampleRecordingPlan> &plans, size_t index, char channel, const QString &path);

    SampleCardOptions m_options;
    QString m_error;
    QStringList m_written;
};

} // namespace media::recorder
