#include "Screenshot.h"

#include <fstream>
#include <sstream>
#include <unordered_set>

namespace wayland
{
namespace
{
constexpr int MaximumSide = 16384;
constexpr int ByteMaximum = 255;
constexpr double SceneShare = 0.9;       // of a quadrant drawn over
constexpr std::size_t SceneColours = 32; // a flat fill or a gradient of few steps has fewer

// The next number of a PPM header, after white space and comments.
bool ReadHeaderNumber(std::istream& stream, int& number)
{
    stream >> std::ws;
    while (stream.peek() == '#') {
        std::string comment;
        std::getline(stream, comment);
        stream >> std::ws;
    }
    return static_cast<bool>(stream >> number);
}
} // namespace

std::optional<Screenshot> Screenshot::Load(std::filesystem::path const& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    if (!(file >> magic) || magic != "P6")
        return std::nullopt;
    Screenshot shot;
    int maximum = 0;
    if (!ReadHeaderNumber(file, shot.m_width) || !ReadHeaderNumber(file, shot.m_height) ||
        !ReadHeaderNumber(file, maximum) || maximum != ByteMaximum)
        return std::nullopt;
    if (shot.m_width <= 0 || shot.m_height <= 0 || shot.m_width > MaximumSide || shot.m_height > MaximumSide)
        return std::nullopt;
    file.get(); // the single white-space character before the pixels
    shot.m_pixels.resize(std::size_t(shot.m_width) * std::size_t(shot.m_height) * 3);
    if (!file.read(reinterpret_cast<char*>(shot.m_pixels.data()), std::streamsize(shot.m_pixels.size())))
        return std::nullopt;
    return shot;
}

std::optional<Screenshot> Screenshot::FromBgrx(int width, int height, std::size_t stride,
                                               std::vector<std::uint8_t> const& pixels)
{
    constexpr std::size_t BytesPerPixel = 4;
    if (width <= 0 || height <= 0 || width > MaximumSide || height > MaximumSide ||
        stride < std::size_t(width) * BytesPerPixel || pixels.size() / stride < std::size_t(height))
        return std::nullopt;
    Screenshot shot;
    shot.m_width = width;
    shot.m_height = height;
    shot.m_pixels.reserve(std::size_t(width) * std::size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        std::uint8_t const* row = pixels.data() + std::size_t(y) * stride;
        for (int x = 0; x < width; ++x) {
            std::uint8_t const* pixel = row + std::size_t(x) * BytesPerPixel;
            shot.m_pixels.insert(shot.m_pixels.end(), {pixel[2], pixel[1], pixel[0]});
        }
    }
    return shot;
}

Colour Screenshot::GetPixel(int x, int y) const
{
    std::size_t const at = (std::size_t(y) * std::size_t(m_width) + std::size_t(x)) * 3;
    return {m_pixels[at], m_pixels[at + 1], m_pixels[at + 2]};
}

RegionLook Screenshot::Describe(int left, int top, int width, int height, Colour background) const
{
    RegionLook look;
    std::unordered_set<std::uint32_t> colours;
    std::size_t unlike = 0;
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x) {
            Colour const pixel = GetPixel(x, y);
            colours.insert(std::uint32_t(pixel.red) << 16 | std::uint32_t(pixel.green) << 8 | pixel.blue);
            if (pixel.red != background.red || pixel.green != background.green ||
                pixel.blue != background.blue)
                ++unlike;
        }
    }
    std::size_t const area = std::size_t(width) * std::size_t(height);
    look.shareUnlikeBackground = area ? double(unlike) / double(area) : 0.0;
    look.distinctColours = colours.size();
    return look;
}

bool Screenshot::IsSceneInEveryQuadrant(Colour background) const
{
    int const halfWidth = m_width / 2;
    int const halfHeight = m_height / 2;
    for (int quadrant = 0; quadrant < 4; ++quadrant) {
        RegionLook const look =
            Describe(quadrant % 2 * halfWidth, quadrant / 2 * halfHeight, halfWidth, halfHeight, background);
        if (look.shareUnlikeBackground < SceneShare || look.distinctColours < SceneColours)
            return false;
    }
    return true;
}

std::string Screenshot::DescribeQuadrants(Colour background) const
{
    std::ostringstream text;
    text << m_width << "x" << m_height << ":";
    int const halfWidth = m_width / 2;
    int const halfHeight = m_height / 2;
    for (int quadrant = 0; quadrant < 4; ++quadrant) {
        RegionLook const look =
            Describe(quadrant % 2 * halfWidth, quadrant / 2 * halfHeight, halfWidth, halfHeight, background);
        text << " [" << look.shareUnlikeBackground * 100.0 << "% drawn over, " << look.distinctColours
             << " colours]";
    }
    return text.str();
}
} // namespace wayland
