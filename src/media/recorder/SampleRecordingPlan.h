#pragma once

#include <QString>

#include <cstdint>

namespace media::recorder {

// One recording of the sample card: a front file and, unless hasRear is false, a rear file.
struct SampleRecordingPlan {
    QString folder; // below the card's root, e.g. "NORMAL"
    char kind = 'N'; // N continuous, U manual, S driving event, P parking event, M parking motion
    int64_t startUtcMs = 0; // recording start, UTC
    int utcOffsetMinutes = 540; // the recorder's clock runs on local time (Korea, UTC+9)
    int durationMs = 3000;
    double driveStartS = 0; // where in the simulated drive the recording starts
    bool parked = false; // the car stands still at its parking space
    bool hasRear = true;
    bool gpsFix = true; // false: the receiver has no fix, sentences carry status V
    int impactMs = -1; // time of the jolt in event recordings, -1 for none
    double impactStrength = 0; // peak deflection of the sensor readings
    // The recorder lost power before it finished the files: no index, header sizes and counts 0,
    // the last chunk cut in half.
    bool cutByPowerLoss = false;

    // The recorder's file name for a channel ('F' or 'R'): local start time, channel and kind,
    // e.g. "20240307_090530_FN.AVI".
    QString FileName(char channel) const;
    // Path below the card's root.
    QString RelativePath(char channel) const { return folder + QLatin1Char('/') + FileName(channel); }
};

} // namespace media::recorder
