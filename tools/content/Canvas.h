#pragma once

#include "Picture.h"

#include <functional>
#include <vector>

namespace content
{

struct SColour
{
    float r = 0.0f, g = 0.0f, b = 0.0f;
    SColour operator*(float f) const { return {r * f, g * f, b * f}; }
    SColour operator+(SColour const& c) const { return {r + c.r, g + c.g, b + c.b}; }
};

SColour MixColour(SColour const& a, SColour const& b, float t);
SColour HexColour(unsigned int rgb);

// Floating-point RGBA painting surface; (0, 0) is the top-left pixel.
class CCanvas
{
public:
    CCanvas(unsigned int width, unsigned int height);

    unsigned int GetWidth() const { return m_width; }
    unsigned int GetHeight() const { return m_height; }
    void Set(unsigned int x, unsigned int y, SColour const& colour, float alpha = 1.0f);
    SColour GetColour(unsigned int x, unsigned int y) const;
    float GetAlpha(unsigned int x, unsigned int y) const;
    // Alpha-blends `colour` over the pixel with `coverage`.
    void Blend(unsigned int x, unsigned int y, SColour const& colour, float coverage);
    void Fill(std::function<SColour(float u, float v)> const& shader);

    SPicture ToRgb() const;
    SPicture ToRgba() const;
    SPicture ToAlpha() const; // the alpha channel as a grey picture

private:
    unsigned int m_width, m_height;
    std::vector<float> m_pixels; // r, g, b, a
};

// Calls `visit(x, y, w0, w1, w2)` for every pixel centre inside the triangle given in
// pixel coordinates, with its barycentric weights.
void RasterizeTriangle(float x0, float y0, float x1, float y1, float x2, float y2, unsigned int width,
                       unsigned int height,
                       std::function<void(unsigned int, unsigned int, float, float, float)> const& visit);

} // namespace content
