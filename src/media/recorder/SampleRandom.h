#pragma once

#include <cstdint>

namespace media::recorder {

// A small deterministic generator (SplitMix64): the same seed gives the same card on every
// machine and library version, which the standard distributions do not promise.
class SampleRandom
{
public:
    explicit SampleRandom(uint64_t seed)
        : m_state(seed)
    {
    }

    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Uniform(double low, double high) { return low + (high - low) * Uniform(); }
    // Uniform integer in [low, high].
    int Between(int low, int high)
    {
        return low + static_cast<int>(Next() % static_cast<uint64_t>(high - low + 1));
    }

    // A generator for a sub-task, so that adding draws in one place leaves the others unchanged.
    SampleRandom Fork(uint64_t salt) { return SampleRandom(Next() ^ (salt * 0xD1B54A32D192ED03ull)); }

private:
    uint64_t m_state;
};

} // namespace media::recorder
