#pragma once

#include <cstdint>

// Linear congruential generator the plug-ins draw their scenes with: value = (seed >> 16) & 0x7fff
// after each step, so a seed replays the same scene.
class CLcgRandom
{
public:
    explicit CLcgRandom(std::uint32_t seed = 1) : m_seed(seed) {}

    void SetSeed(std::uint32_t seed) { m_seed = seed; }
    std::uint32_t GetSeed() const { return m_seed; }

    // Uniform in [0, 1), with 15 bits.
    float Next()
    {
        m_seed = m_seed * 1103515245u + 12345u;
        return static_cast<float>((m_seed >> 16) & 0x7fffu) / 32768.0f;
    }
    // centre + (2u − 1) × spread.
    float Spread(float centre, float spread) { return centre + (2.0f * Next() - 1.0f) * spread; }
    // a + u × (b − a).
    float Between(float a, float b) { return a + Next() * (b - a); }

private:
    std::uint32_t m_seed;
};
