#pragma once

#include <cstdint>
#include <vector>

// A looping sequence of caustic pictures (grey levels: how much light a line of the caustic
// gathers) played as one flowing picture: between two pictures it blends from one into the
// next, so the light moves without steps.
class CCausticFlow
{
public:
    // Each picture holds width x height grey levels; every one must have that size, and there
    // must be at least two. False (and no pictures kept) otherwise.
    bool SetFrames(unsigned int width, unsigned int height, std::vector<std::vector<std::uint8_t>> frames);
    bool IsEmpty() const { return m_frames.empty(); }
    unsigned int GetWidth() const { return m_width; }
    unsigned int GetHeight() const { return m_height; }
    unsigned int GetFramesCount() const { return static_cast<unsigned int>(m_frames.size()); }

    // The light at `position` (in pictures, wrapping; 2.25 is a quarter of the way from the third
    // picture to the fourth) as texels that multiply the colour by twice their value:
    // 1 + strength * gain * (light - mean light), so the mean brightness stays as it is and
    // strength 0 leaves the colour alone. Writes width x height pixels of `bytesPerPixel` (3 or 4;
    // the fourth byte opaque) into `out`.
    void Compose(float position, float strength, float gain, std::uint8_t* out,
                 unsigned int bytesPerPixel) const;

private:
    unsigned int m_width = 0;
    unsigned int m_height = 0;
    std::vector<std::vector<std::uint8_t>> m_frames;
    float m_mean = 0.0f;
};
