#include "media/recorder/SampleRecordingWriter.h"

#include "media/recorder/AviWriter.h"
#include "media/recorder/SampleAudioEncoder.h"
#include "media/recorder/SampleRandom.h"
#include "media/recorder/SampleScene.h"
#include "media/telemetry/TelemetryFormat.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>

#include <cmath>
#include <cstdio>
#include <limits>

namespace media::recorder {

namespace {

    constexpr double kPi = 3.14159265358979323846;

} // namespace

SampleRecordingWriter::SampleRecordingWriter(const SampleRecordingPlan &plan, const SampleDrive &drive,
    uint64_t seed, SampleVideoCodec codec, int threads)
    : m_plan(plan)
    , m_drive(drive)
    , m_seed(seed)
    , m_codec(codec)
    , m_threads(threads)
{
}

std::vector<float> SampleRecordingWriter::Soundtrack(
    const SampleRecordingPlan &plan, const SampleDrive &drive, uint64_t seed, int sampleRate)
{
    SampleRandom noise(seed);
    // The encoder adds a frame of priming; leaving it out keeps the track as long as the picture.
    const int64_t count = std::max<int64_t>(0, int64_t(plan.durationMs) * sampleRate / 1000 - 1024);
    std::vector<float> samples(static_cast<size_t>(count));
    double phase = 0;
    for (int64_t i = 0; i < count; ++i) {
        const double t = double(i) / sampleRate;
        double value = noise.Uniform(-1, 1) * 0.004;
        if (!plan.parked) {
            const double speed = SampleTelemetry::StateAt(plan, drive, t * 1000.0).speedKmh;
            phase += 2 * kPi * (28.0 + speed * 0.9) / sampleRate;
            value += 0.05 * std::sin(phase) + 0.02 * std::sin(2.0 * phase)
                + noise.Uniform(-1, 1) * speed * 0.0004;
        }
        if (plan.impactMs >= 0) {
            const double since = t * 1000.0 - plan.impactMs;
            if (since >= 0 && since < 400)
                value += 0.5 * std::exp(-since / 60.0) * noise.Uniform(-1, 1);
        }
        samples[static_cast<size_t>(i)] = static_cast<float>(value);
    }
    return samples;
}

std::string SampleRecordingWriter::Caption(
    const SampleRecordingPlan &plan, const DriveState &state, double timeMs, char channel)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(
        plan.startUtcMs + int64_t(timeMs) + int64_t(plan.utcOffsetMinutes) * 60000, QTimeZone::utc());
    const std::string when = local.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")).toStdString();
    char speed[16];
    if (plan.gpsFix)
        std::snprintf(speed, sizeof speed, "%03dKM/H", static_cast<int>(std::lround(state.speedKmh)) % 1000);
    else
        std::snprintf(speed, sizeof speed, "NO GPS");
    return when + " " + speed + " " + channel;
}

bool SampleRecordingWriter::Write(const QString &path, const Channel &channel)
{
    SampleVideoEncoder video;
    if (!video.Open(channel.width, channel.height, kFramesPerSecond, m_codec, m_threads)) {
        m_error = video.ErrorString();
        return false;
    }

    std::vector<EncodedPacket> audioPackets;
    std::optional<AviWriter::AudioFormat> audioFormat;
    if (channel.withAudio) {
        SampleAudioEncoder audio;
        if (!audio.Encode(Soundtrack(m_plan, m_drive, m_seed ^ 0xA0D10ull, SampleAudioEncoder::kSampleRate),
                audioPackets)) {
            m_error = audio.ErrorString();
            return false;
        }
        AviWriter::AudioFormat format;
        format.sampleRate = SampleAudioEncoder::kSampleRate;
        format.samplesPerFrame = static_cast<uint32_t>(audio.FrameSize());
        format.averageBytesPerSecond = SampleAudioEncoder::kBitRate / 8;
        format.extraData = audio.ExtraData();
        audioFormat = format;
    }

    std::vector<SampleTelemetryRecord> records;
    if (channel.withTelemetry)
        records = SampleTelemetry::Build(m_plan, m_drive, m_seed);

    AviWriter::VideoFormat videoFormat;
    videoFormat.width = static_cast<uint32_t>(channel.width);
    videoFormat.height = static_cast<uint32_t>(channel.height);
    videoFormat.rate = kFramesPerSecond;
    videoFormat.scale = 1;
    std::copy_n(video.Fourcc(), 4, videoFormat.fourcc);

    AviWriter avi;
    if (!avi.Open(path, videoFormat, audioFormat)) {
        m_error = avi.ErrorString();
        return false;
    }

    // Everything up to a video frame's time goes in front of it: the telemetry of that span in
    // one chunk, then the audio frames that start in it.
    size_t nextRecord = 0;
    size_t nextAudio = 0;
    const double audioFrameMs
        = audioFormat ? 1000.0 * audioFormat->samplesPerFrame / audioFormat->sampleRate : 0;
    const auto writeUpTo = [&](double timeMs) -> bool {
        std::vector<uint8_t> body;
        while (nextRecord < records.size() && records[nextRecord].timeMs <= timeMs) {
            telemetry::AppendRecord(body, records[nextRecord].timeMs, records[nextRecord].payload);
            ++nextRecord;
        }
        if (!body.empty() && !avi.WriteChunk(telemetry::kChunkId, body.data(), body.size(), 0))
            return false;
        while (nextAudio < audioPackets.size() && double(nextAudio) * audioFrameMs <= timeMs) {
            const EncodedPacket &packet = audioPackets[nextAudio++];
            if (!avi.WriteAudio(packet.data.data(), packet.data.size()))
                return false;
        }
        return true;
    };
    const auto writeVideo = [&](const EncodedPacket &packet) -> bool {
        return writeUpTo(packet.index * 1000.0 / kFramesPerSecond)
            && avi.WriteVideo(packet.data.data(), packet.data.size(), packet.keyFrame);
    };

    const SampleScene scene(channel.letter == 'R', m_seed ^ static_cast<uint64_t>(channel.letter));
    const int frames = m_plan.durationMs * kFramesPerSecond / 1000;
    bool ok = true;
    for (int frame = 0; ok && frame < frames; ++frame) {
        const double timeMs = frame * 1000.0 / kFramesPerSecond;
        const DriveState state = SampleTelemetry::StateAt(m_plan, m_drive, timeMs);
        YuvPicture picture = video.Picture();
        scene.Render(
            picture, state.distanceM, state.courseDeg, Caption(m_plan, state, timeMs, channel.letter));
        ok = video.Encode(writeVideo);
    }
    ok = ok && video.Flush(writeVideo) && writeUpTo(std::numeric_limits<double>::infinity()) && avi.Finish();
    if (!ok) {
        m_error = !avi.ErrorString().isEmpty() ? avi.ErrorString() : video.ErrorString();
        avi.Finish();
        QFile::remove(path);
        return false;
    }
    return true;
}

} // namespace media::recorder
