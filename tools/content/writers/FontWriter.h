#pragma once

#include <cstdint>
#include <vector>

namespace content
{

// One glyph of a font atlas: texture origin and extent, and the quad width in units of
// the font size.
struct SFontGlyph
{
    std::uint8_t code = 0;
    float u = 0.0f, v = 0.0f, du = 0.0f, dv = 0.0f;
    float advance = 0.0f;
};

// Writes TWFNT version 200: header, glyph count, 21-byte glyph records.
class CFontWriter
{
public:
    static constexpr std::uint32_t Version = 200;
    static std::vector<std::uint8_t> Write(std::vector<SFontGlyph> const& glyphs);
};

} // namespace content
