#pragma once

#include <QString>

#include <cstdint>

// Writes the settings file of a sample card as the recorder leaves it: the viewer's default
// settings, plus what the recorder itself fills in (firmware and microcontroller versions, its day
// counters and the battery voltage calibration, which the viewer only carries).
bool WriteSampleSetupXml(const QString &path, uint64_t seed, QString *error);
