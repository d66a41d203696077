#pragma once

#include <cstdint>

// A small generator of its own for the raytracer, so that every tile and every sample set draws
// a sequence fixed by its seed, whatever thread runs it and whatever ran before.
class nRaytracerRandom
{
public:
    explicit nRaytracerRandom(uint64_t seed = 0) { Seed(seed); }

    void Seed(uint64_t seed)
    {
        m_state = seed * 0x9E3779B97F4A7C15ull + 0xD1B54A32D192ED03ull;
        Next();
    }

    // splitmix64: every seed gives a well-mixed sequence.
    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 to n - 1 (0 for n = 0).
    uint32_t Int(uint32_t n) { return n ? uint32_t((Next() >> 32) * n >> 32) : 0; }
    // [0, max).
    float Float(float max) { return float(double(Next() >> 40) * (1.0 / 16777216.0)) * max; }

private:
    uint64_t m_state = 0;
};
