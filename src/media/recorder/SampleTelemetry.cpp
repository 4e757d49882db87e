#include "media/recorder/SampleTelemetry.h"

#include "media/recorder/NmeaRmc.h"
#include "media/recorder/SampleRandom.h"
#include "media/telemetry/TelemetryFormat.h"

#include <algorithm>
#include <cmath>

namespace media::recorder {

namespace {

    constexpr double kPi = 3.14159265358979323846;
    constexpr double kRest = 55.0;
    // Sensor counts per m/s^2: 1 g moves a reading by about 35.
    constexpr double kCountsPerMs2 = 3.5;

    uint8_t Reading(double value)
    {
        return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 110L));
    }

} // namespace

DriveState SampleTelemetry::StateAt(const SampleRecordingPlan &plan, const SampleDrive &drive, double timeMs)
{
    return plan.parked ? drive.Parked() : drive.At(plan.driveStartS + timeMs / 1000.0);
}

double SampleTelemetry::Jolt(double sinceImpactMs)
{
    if (sinceImpactMs < 0 || sinceImpactMs > 600)
        return 0;
    return std::exp(-sinceImpactMs / 160.0) * std::cos(2 * kPi * sinceImpactMs / 240.0);
}

std::vector<SampleTelemetryRecord> SampleTelemetry::Build(
    const SampleRecordingPlan &plan, const SampleDrive &drive, uint64_t seed)
{
    SampleRandom random(seed);
    std::vector<SampleTelemetryRecord> records;

    // GPS: the receiver's fix of each whole second arrives some tens of milliseconds later.
    const int gpsDelayMs = random.Between(40, 250);
    SampleRandom gpsNoise = random.Fork(1);
    for (int second = 0; second * 1000 + gpsDelayMs < plan.durationMs; ++second) {
        const uint32_t timeMs = static_cast<uint32_t>(second * 1000 + gpsDelayMs);
        const int64_t fixUtcMs = plan.startUtcMs + int64_t(second) * 1000;
        const DriveState state = StateAt(plan, drive, second * 1000.0);
        RmcFix fix;
        // About two metres of receiver noise; a parked car's fix wanders and shows a crawl.
        fix.latitude = state.latitude + gpsNoise.Uniform(-1.0, 1.0) * 1.8e-5;
        fix.longitude = state.longitude + gpsNoise.Uniform(-1.0, 1.0) * 2.2e-5;
        fix.speedKmh = plan.parked ? gpsNoise.Uniform(0.0, 0.3) : state.speedKmh;
        fix.courseDeg = state.courseDeg;
        const std::string sentence = MakeRmcSentence(fixUtcMs, plan.gpsFix ? &fix : nullptr);
        records.push_back({ timeMs, telemetry::MakeGpsPayload(sentence) });
    }

    // G-sensor at 10 Hz.
    const int sensorPhaseMs = random.Between(0, 30);
    SampleRandom sensorNoise = random.Fork(2);
    // The jolt's peak falls on a reading, as the sensor's own trigger would have it.
    const double impactAt = plan.impactMs < 0
        ? -1.0
        : sensorPhaseMs + 100.0 * std::ceil((plan.impactMs - sensorPhaseMs) / 100.0);
    for (int step = 0; step * 100 + sensorPhaseMs < plan.durationMs; ++step) {
        const double t = step * 100.0 + sensorPhaseMs;
        const DriveState state = StateAt(plan, drive, t);
        // Road vibration grows with speed; a parked car only sees the sensor's own noise.
        const double vibration = plan.parked ? 0.8 : 1.0 + state.speedKmh / 25.0;
        double x
            = kRest - 2.0 + state.accelerationMs2 * kCountsPerMs2 + sensorNoise.Uniform(-1, 1) * vibration;
        double y = kRest + state.lateralMs2 * kCountsPerMs2 + sensorNoise.Uniform(-1, 1) * vibration;
        double z = kRest + 3.0 + sensorNoise.Uniform(-1, 1) * vibration * 1.5;
        if (impactAt >= 0) {
            const double j = Jolt(t - impactAt) * plan.impactStrength;
            x += j;
            y -= 0.6 * j;
            z += 0.8 * Jolt(t - impactAt + 40) * plan.impactStrength;
        }
        records.push_back(
            { static_cast<uint32_t>(t), telemetry::MakeGSensorPayload(Reading(x), Reading(y), Reading(z)) });
    }

    std::stable_sort(records.begin(), records.end(),
        [](const SampleTelemetryRecord &a, const SampleTelemetryRecord &b) { return a.timeMs < b.timeMs; });
    return records;
}

} // namespace media::recorder
