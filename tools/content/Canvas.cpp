#include "Canvas.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace content
{

namespace
{

std::uint8_t ToByte(float value)
{
    return static_cast<std::uint8_t>(std::lround(Clamp01(value) * 255.0f));
}

} // namespace

SColour MixColour(SColour const& a, SColour const& b, float t)
{
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}

SColour HexColour(unsigned int rgb)
{
    return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f, static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
            static_cast<float>(rgb & 0xFF) / 255.0f};
}

CCanvas::CCanvas(unsigned int width, unsigned int height)
    : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width) * height * 4, 0.0f)
{}

void CCanvas::Set(unsigned int x, unsigned int y, SColour const& colour, float alpha)
{
    float* p = &m_pixels[(static_cast<std::size_t>(y) * m_width + x) * 4];
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
    p[3] = alpha;
}

SColour CCanvas::GetColour(unsigned int x, unsigned int y) const
{
    float const* p = &m_pixels[(static_cast<std::size_t>(y) * m_width + x) * 4];
    return {p[0], p[1], p[2]};
}

float CCanvas::GetAlpha(unsigned int x, unsigned int y) const
{
    return m_pixels[(static_cast<std::size_t>(y) * m_width + x) * 4 + 3];
}

void CCanvas::Blend(unsigned int x, unsigned int y, SColour const& colour, float coverage)
{
    float* p = &m_pixels[(static_cast<std::size_t>(y) * m_width + x) * 4];
    float const c = Clamp01(coverage);
    p[0] = Mix(p[0], colour.r, c);
    p[1] = Mix(p[1], colour.g, c);
    p[2] = Mix(p[2], colour.b, c);
    p[3] = p[3] + (1.0f - p[3]) * c;
}

void CCanvas::Fill(std::function<SColour(float u, float v)> const& shader)
{
    for (unsigned int y = 0; y < m_height; ++y) {
        for (unsigned int x = 0; x < m_width; ++x) {
            float const u = (static_cast<float>(x) + 0.5f) / static_cast<float>(m_width);
            float const v = (static_cast<float>(y) + 0.5f) / static_cast<float>(m_height);
            Set(x, y, shader(u, v));
        }
    }
}

SPicture CCanvas::ToRgb() const
{
    SPicture picture(m_width, m_height, 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_width) * m_height; ++i) {
        for (int c = 0; c < 3; ++c) {
            picture.pixels[i * 3 + c] = ToByte(m_pixels[i * 4 + c]);
        }
    }
    return picture;
}

SPicture CCanvas::ToRgba() const
{
    SPicture picture(m_width, m_height, 4);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        picture.pixels[i] = ToByte(m_pixels[i]);
    }
    return picture;
}

SPicture CCanvas::ToAlpha() const
{
    SPicture picture(m_width, m_height, 1);
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_width) * m_height; ++i) {
        picture.pixels[i] = ToByte(m_pixels[i * 4 + 3]);
    }
    return picture;
}

void RasterizeTriangle(float x0, float y0, float x1, float y1, float x2, float y2, unsigned int width,
                       unsigned int height,
                       std::function<void(unsigned int, unsigned int, float, float, float)> const& visit)
{
    float const area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
    if (std::fabs(area) < 1e-9f) {
        return;
    }
    int const minX = std::max(0, static_cast<int>(std::floor(std::min({x0, x1, x2}))));
    int const maxX =
        std::min(static_cast<int>(width) - 1, static_cast<int>(std::ceil(std::max({x0, x1, x2}))));
    int const minY = std::max(0, static_cast<int>(std::floor(std::min({y0, y1, y2}))));
    int const maxY =
        std::min(static_cast<int>(height) - 1, static_cast<int>(std::ceil(std::max({y0, y1, y2}))));
    for (int y = minY; y <= maxY; ++y) {
        for (int x = minX; x <= maxX; ++x) {
            float const px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            float const w0 = ((x1 - px) * (y2 - py) - (x2 - px) * (y1 - py)) / area;
            float const w1 = ((x2 - px) * (y0 - py) - (x0 - px) * (y2 - py)) / area;
            float const w2 = 1.0f - w0 - w1;
            if (w0 >= -1e-4f && w1 >= -1e-4f && w2 >= -1e-4f) {
                visit(static_cast<unsigned int>(x), static_cast<unsigned int>(y), w0, w1, w2);
            }
        }
    }
}

} // namespace content
