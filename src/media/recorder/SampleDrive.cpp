#include "media/recorder/SampleDrive.h"

#include "media/recorder/SampleRandom.h"

#include <algorithm>
#include <cmath>

namespace media::recorder {

namespace {

    constexpr double kPi = 3.14159265358979323846;
    constexpr double kMetresPerDegreeLatitude = 110950.0;

    // Clockwise round the blocks between Gangnam, Samseong, Cheongdam and Sinsa stations.
    constexpr struct {
        double latitude;
        double longitude;
    } kLoop[] = {
        { 37.49795, 127.02760 }, // Gangnam station, east on Teheran-ro
        { 37.50075, 127.03650 }, // Yeoksam
        { 37.50450, 127.04900 }, // Seolleung
        { 37.50885, 127.06310 }, // Samseong, north on Yeongdong-daero
        { 37.51470, 127.06000 }, { 37.51930, 127.05330 }, // Cheongdam, west on Dosan-daero
        { 37.52280, 127.04320 }, { 37.51950, 127.03450 },
        { 37.51640, 127.02020 }, // Sinsa, south on Gangnam-daero
        { 37.51100, 127.02150 }, // Nonhyeon
        { 37.50450, 127.02500 }, // Sinnonhyeon
    };

    double MetresPerDegreeLongitude(double latitude)
    {
        return 111320.0 * std::cos(latitude * kPi / 180.0);
    }

    double Bearing(double lat1, double lon1, double lat2, double lon2)
    {
        const double north = (lat2 - lat1) * kMetresPerDegreeLatitude;
        const double east = (lon2 - lon1) * MetresPerDegreeLongitude(lat1);
        double degrees = std::atan2(east, north) * 180.0 / kPi;
        return degrees < 0 ? degrees + 360.0 : degrees;
    }

} // namespace

SampleDrive::SampleDrive(uint64_t seed, int durationSeconds)
{
    for (const auto &p : kLoop)
        m_route.push_back({ p.latitude, p.longitude });
    m_route.push_back(m_route.front());
    m_routeDistance.push_back(0);
    for (size_t i = 1; i < m_route.size(); ++i) {
        const double north = (m_route[i].latitude - m_route[i - 1].latitude) * kMetresPerDegreeLatitude;
        const double east = (m_route[i].longitude - m_route[i - 1].longitude)
            * MetresPerDegreeLongitude(m_route[i - 1].latitude);
        m_routeDistance.push_back(m_routeDistance.back() + std::hypot(north, east));
    }
    m_loopLength = m_routeDistance.back();

    SampleRandom random(seed);
    m_startOffsetM = random.Uniform(0, m_loopLength);

    // Speeds second by second: cruise at a target for a while, sometimes stop at a light. The car
    // speeds up by at most 8 km/h and brakes by at most 11 km/h per second.
    const int seconds = std::max(durationSeconds, 1);
    m_speedKmh.assign(static_cast<size_t>(seconds) + 1, 0.0);
    m_distanceM.assign(static_cast<size_t>(seconds) + 1, 0.0);
    double speed = random.Uniform(20, 45);
    double target = random.Uniform(30, 60);
    int phaseLeft = random.Between(15, 40);
    bool stopped = false;
    m_speedKmh[0] = speed;
    for (int s = 1; s <= seconds; ++s) {
        if (--phaseLeft <= 0) {
            stopped = !stopped && random.Uniform() < 0.35;
            target = stopped ? 0.0 : random.Uniform(25, 65);
            phaseLeft = stopped ? random.Between(12, 35) : random.Between(15, 50);
        }
        const double step = target - speed;
        speed += std::clamp(step, -11.0, 8.0) + (target > 0 ? random.Uniform(-0.6, 0.6) : 0.0);
        speed = std::max(0.0, speed);
        m_speedKmh[static_cast<size_t>(s)] = speed;
        m_distanceM[static_cast<size_t>(s)] = m_distanceM[static_cast<size_t>(s - 1)]
            + (m_speedKmh[static_cast<size_t>(s - 1)] + speed) / 2.0 / 3.6;
    }
}

void SampleDrive::Position(double distanceM, DriveState &state) const
{
    double along = std::fmod(m_startOffsetM + distanceM, m_loopLength);
    if (along < 0)
        along += m_loopLength;
    const auto upper = std::upper_bound(m_routeDistance.begin(), m_routeDistance.end(), along);
    const size_t i
        = std::clamp<size_t>(static_cast<size_t>(upper - m_routeDistance.begin()), 1, m_route.size() - 1);
    const double length = m_routeDistance[i] - m_routeDistance[i - 1];
    const double f = length > 0 ? (along - m_routeDistance[i - 1]) / length : 0.0;
    const Point &a = m_route[i - 1];
    const Point &b = m_route[i];
    state.latitude = a.latitude + (b.latitude - a.latitude) * f;
    state.longitude = a.longitude + (b.longitude - a.longitude) * f;
    state.courseDeg = Bearing(a.latitude, a.longitude, b.latitude, b.longitude);

    // Near a corner the car turns: spread the heading change over 30 m for the sideways pull.
    const double toCorner = m_routeDistance[i] - along;
    if (toCorner < 15.0 && i + 1 < m_route.size()) {
        const Point &c = m_route[i + 1];
        double turn = Bearing(b.latitude, b.longitude, c.latitude, c.longitude) - state.courseDeg;
        turn = std::remainder(turn, 360.0);
        const double metresPerSecond = state.speedKmh / 3.6;
        // Drivers take corners gently; the pull is limited to what a passenger feels as firm.
        state.lateralMs2
            = std::clamp(metresPerSecond * metresPerSecond * (turn * kPi / 180.0) / 30.0, -3.5, 3.5);
    }
}

DriveState SampleDrive::At(double seconds) const
{
    const double last = static_cast<double>(m_speedKmh.size() - 1);
    const double t = std::clamp(seconds, 0.0, last);
    // The span has at least two samples (the constructor simulates one second or more).
    const size_t i = std::min(static_cast<size_t>(t), m_speedKmh.size() - 2);
    const size_t j = i + 1;
    const double f = t - static_cast<double>(i);
    DriveState state;
    state.speedKmh = m_speedKmh[i] + (m_speedKmh[j] - m_speedKmh[i]) * f;
    state.distanceM = m_distanceM[i] + (m_speedKmh[i] + state.speedKmh) / 2.0 / 3.6 * f;
    state.accelerationMs2 = (m_speedKmh[j] - m_speedKmh[i]) / 3.6;
    Position(state.distanceM, state);
    return state;
}

DriveState SampleDrive::Parked() const
{
    DriveState state;
    // A lot on a side street north of Teheran-ro near Seolleung station.
    state.latitude = 37.50612;
    state.longitude = 127.04835;
    state.courseDeg = 341.0;
    return state;
}

} // namespace media::recorder
