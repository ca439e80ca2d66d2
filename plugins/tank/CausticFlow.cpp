#include "CausticFlow.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
constexpr int BlendSteps = 256;
constexpr float Levels = 255.0f;
} // namespace

bool CCausticFlow::SetFrames(unsigned int width, unsigned int height,
                             std::vector<std::vector<std::uint8_t>> frames)
{
    m_frames.clear();
    m_width = m_height = 0;
    std::size_t const size = static_cast<std::size_t>(width) * height;
    if (size == 0 || frames.size() < 2)
        return false;
    double total = 0.0;
    for (std::vector<std::uint8_t> const& frame : frames) {
        if (frame.size() != size)
            return false;
        for (std::uint8_t level : frame)
            total += level;
    }
    m_mean = static_cast<float>(total / (static_cast<double>(size) * static_cast<double>(frames.size())));
    m_width = width;
    m_height = height;
    m_frames = std::move(frames);
    return true;
}

void CCausticFlow::Compose(float position, float strength, float gain, std::uint8_t* out,
                           unsigned int bytesPerPixel) const
{
    if (m_frames.empty() || !out || (bytesPerPixel != 3 && bytesPerPixel != 4))
        return;
    float const count = static_cast<float>(m_frames.size());
    float wrapped = std::isfinite(position) ? std::fmod(position, count) : 0.0f;
    if (wrapped < 0.0f)
        wrapped += count;
    std::size_t const first = std::min(static_cast<std::size_t>(wrapped), m_frames.size() - 1);
    std::size_t const second = (first + 1) % m_frames.size();
    int const weight =
        std::clamp(static_cast<int>((wrapped - static_cast<float>(first)) * BlendSteps), 0, BlendSteps - 1);

    // Texel of every blended light level.
    std::array<std::uint8_t, 256> texel;
    for (std::size_t level = 0; level < texel.size(); ++level) {
        float const factor = 1.0f + strength * gain * (static_cast<float>(level) - m_mean) / Levels;
        texel[level] = static_cast<std::uint8_t>(std::clamp(factor * 0.5f, 0.0f, 1.0f) * Levels + 0.5f);
    }
    std::vector<std::uint8_t> const& from = m_frames[first];
    std::vector<std::uint8_t> const& to = m_frames[second];
    for (std::size_t i = 0; i < from.size(); ++i, out += bytesPerPixel) {
        int const level = (from[i] * (BlendSteps - weight) + to[i] * weight) / BlendSteps;
        out[0] = out[1] = out[2] = texel[static_cast<std::size_t>(level)];
        if (bytesPerPixel == 4)
            out[3] = 0xFF;
    }
}
