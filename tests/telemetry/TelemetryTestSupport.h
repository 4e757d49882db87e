#pragma once

#include "media/recorder/AviWriter.h"
#include "media/recorder/SampleCardGenerator.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace telemetry_test {

// A raw telemetry chunk body as the recorder writes it.
struct RawRecord {
    uint32_t timeMs;
    QByteArray payload;
};
QByteArray ChunkBody(const std::vector<RawRecord> &records);

// Builds a small AVI in a temporary folder whose "movi" holds placeholder video chunks (the
// reader never looks at them) between the given telemetry chunk bodies.
class SyntheticAvi
{
public:
    explicit SyntheticAvi(const std::vector<QByteArray> &telemetryChunks, bool withIndex = true);
    const QString &Path() const { return m_path; }
    QByteArray Bytes() const;
    // Writes the bytes to another file of the temporary folder and returns its path.
    QString WriteCopy(const QString &name, const QByteArray &bytes) const;

private:
    QString m_path;
};

QString TemporaryFolder();

QByteArray GpsPayload(const char *sentence);
QByteArray GSensorPayload(uint8_t x, uint8_t y, uint8_t z);

} // namespace telemetry_test
