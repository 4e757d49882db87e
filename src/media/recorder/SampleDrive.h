#pragma once

#include <cstdint>
#include <vector>

namespace media::recorder {

// The vehicle's state at one moment of a simulated drive.
struct DriveState {
    double latitude = 0; // decimal degrees
    double longitude = 0;
    double speedKmh = 0;
    double courseDeg = 0; // 0 north, clockwise
    double distanceM = 0; // driven since the start; moves the road markings of the picture
    double accelerationMs2 = 0; // along the road, positive when speeding up
    double lateralMs2 = 0; // across the road, positive in right turns
};

// A drive through Gangnam, Seoul, round a loop of main roads (Teheran-ro, Yeongdong-daero,
// Dosan-daero, Gangnam-daero) with traffic-light stops and changing cruise speeds. The same seed
// gives the same drive.
class SampleDrive
{
public:
    SampleDrive(uint64_t seed, int durationSeconds);

    // State at t seconds from the start of the drive (clamped to the simulated span).
    DriveState At(double seconds) const;

    // Where the car stands after the drive: a parking space off the loop.
    DriveState Parked() const;

    int DurationSeconds() const { return static_cast<int>(m_speedKmh.size()) - 1; }

private:
    struct Point {
        double latitude;
        double longitude;
    };
    void Position(double distanceM, DriveState &state) const;

    std::vector<Point> m_route;
    std::vector<double> m_routeDistance; // cumulative metres at each route point
    double m_loopLength = 0;
    double m_startOffsetM = 0;
    std::vector<double> m_speedKmh; // one value per second
    std::vector<double> m_distanceM; // cumulative metres per second
};

} // namespace media::recorder
