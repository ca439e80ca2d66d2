#pragma once

#include "Canvas.h"
#include "FontWriter.h"
#include "Picture.h"

#include <string>
#include <vector>

namespace content
{

struct SFontAtlas
{
    SPicture picture; // RGBA: white with coverage in alpha
    std::vector<SFontGlyph> glyphs;
};

// Rasterises a TrueType face with FreeType. Throws std::runtime_error when the face
// cannot be loaded or the glyphs do not fit the atlas.
class CFontRasterizer
{
public:
    CFontRasterizer(std::string const& fontFile, unsigned int pixelHeight);
    ~CFontRasterizer();
    CFontRasterizer(CFontRasterizer const&) = delete;
    CFontRasterizer& operator=(CFontRasterizer const&) = delete;

    // Printable ASCII in cells one line high and one advance wide, packed row by row.
    SFontAtlas BuildAtlas(unsigned int atlasSize);
    // Draws a line of text with its baseline at (x, y) in canvas pixels.
    void DrawText(CCanvas* canvas, std::string const& text, float x, float y, SColour const& colour);
    float GetTextWidth(std::string const& text);

private:
    struct SImpl;
    SImpl* m_impl;
};

} // namespace content
