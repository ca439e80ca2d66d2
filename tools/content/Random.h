#pragma once

#include <cstdint>

namespace content
{

// Seeded linear congruential generator: every generated file draws from its own seed,
// so the output does not depend on the order files are built in.
class CRandom
{
public:
    explicit CRandom(std::uint32_t seed) : m_seed(seed) {}
    float Uniform()
    {
        m_seed = m_seed * 1103515245u + 12345u;
        return static_cast<float>((m_seed >> 16) & 0x7FFF) / 32768.0f;
    }
    float Between(float a, float b) { return a + Uniform() * (b - a); }

private:
    std::uint32_t m_seed;
};

} // namespace content
