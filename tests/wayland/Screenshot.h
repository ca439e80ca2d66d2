#pragma once

// A picture of one output as grim writes it (binary PPM), and what a part of it shows.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace wayland
{
struct Colour
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// What a rectangle of a screenshot holds: the share of its pixels unlike a given colour and
// how many different colours it has.
struct RegionLook
{
    double shareUnlikeBackground = 0.0;
    std::size_t distinctColours = 0;
};

class Screenshot
{
public:
    // The picture in `path`; nothing when the file is no 8-bit binary PPM.
    static std::optional<Screenshot> Load(std::filesystem::path const& path);
    // The picture in 32-bit pixels of blue, green, red and an unused byte, rows `stride` bytes
    // apart; nothing when `pixels` holds less.
    static std::optional<Screenshot> FromBgrx(int width, int height, std::size_t stride,
                                              std::vector<std::uint8_t> const& pixels);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    Colour GetPixel(int x, int y) const;

    bool operator==(Screenshot const&) const = default;

    RegionLook Describe(int left, int top, int width, int height, Colour background) const;

    // True when every quadrant is drawn over (almost no pixel of `background`) with a picture
    // of many colours rather than one flat fill.
    bool IsSceneInEveryQuadrant(Colour background) const;

    // The quadrants' looks, for failure messages.
    std::string DescribeQuadrants(Colour background) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_pixels; // red, green, blue per pixel, rows from the top
};
} // namespace wayland
