#include "FontRasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace content
{

struct CFontRasterizer::SImpl
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

CFontRasterizer::CFontRasterizer(std::string const& fontFile, unsigned int pixelHeight) : m_impl(new SImpl)
{
    if (FT_Init_FreeType(&m_impl->library) != 0) {
        delete m_impl;
        throw std::runtime_error("FreeType does not start");
    }
    if (FT_New_Face(m_impl->library, fontFile.c_str(), 0, &m_impl->face) != 0 ||
        FT_Set_Pixel_Sizes(m_impl->face, 0, pixelHeight) != 0) {
        FT_Done_FreeType(m_impl->library);
        delete m_impl;
        throw std::runtime_error("cannot load the font " + fontFile + " (install fonts-dejavu-core)");
    }
}

CFontRasterizer::~CFontRasterizer()
{
    FT_Done_Face(m_impl->face);
    FT_Done_FreeType(m_impl->library);
    delete m_impl;
}

SFontAtlas CFontRasterizer::BuildAtlas(unsigned int atlasSize)
{
    FT_Face const face = m_impl->face;
    int const ascender = static_cast<int>(std::ceil(face->size->metrics.ascender / 64.0));
    int const descender = static_cast<int>(std::floor(face->size->metrics.descender / 64.0));
    int const lineHeight = ascender - descender;
    SFontAtlas atlas;
    atlas.picture = SPicture(atlasSize, atlasSize, 4);
    for (std::size_t i = 0; i < atlas.picture.pixels.size(); i += 4) {
        atlas.picture.pixels[i] = atlas.picture.pixels[i + 1] = atlas.picture.pixels[i + 2] = 255;
    }
    int penX = 1, penY = 1; // top-left of the current cell, in picture rows from the top
    for (int code = 32; code < 127; ++code) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0) {
            continue;
        }
        FT_GlyphSlot const slot = face->glyph;
        int const cellWidth = std::max(1, static_cast<int>(std::lround(slot->advance.x / 64.0)));
        if (penX + cellWidth + 1 > static_cast<int>(atlasSize)) {
            penX = 1;
            penY += lineHeight + 2;
        }
        if (penY + lineHeight + 1 > static_cast<int>(atlasSize)) {
            throw std::runtime_error("font atlas too small");
        }
        FT_Bitmap const& bitmap = slot->bitmap;
        for (unsigned int row = 0; row < bitmap.rows; ++row) {
            for (unsigned int column = 0; column < bitmap.width; ++column) {
                int const x = penX + slot->bitmap_left + static_cast<int>(column);
                int const y = penY + ascender - slot->bitmap_top + static_cast<int>(row);
                if (x < penX || x >= penX + cellWidth || y < penY || y >= penY + lineHeight) {
                    continue;
                }
                atlas.picture.At(static_cast<unsigned int>(x), static_cast<unsigned int>(y))[3] =
                    bitmap.buffer[row * static_cast<unsigned int>(bitmap.pitch) + column];
            }
        }
        // Texture v runs up from the picture's bottom row; the record names the cell's
        // bottom-left corner.
        SFontGlyph glyph;
        glyph.code = static_cast<std::uint8_t>(code);
        glyph.u = static_cast<float>(penX) / atlasSize;
        glyph.v = static_cast<float>(static_cast<int>(atlasSize) - (penY + lineHeight)) / atlasSize;
        glyph.du = static_cast<float>(cellWidth) / atlasSize;
        glyph.dv = static_cast<float>(lineHeight) / atlasSize;
        glyph.advance = static_cast<float>(cellWidth) / static_cast<float>(lineHeight);
        atlas.glyphs.push_back(glyph);
        penX += cellWidth + 2;
    }
    return atlas;
}

void CFontRasterizer::DrawText(CCanvas* canvas, std::string const& text, float x, float y,
                               SColour const& colour)
{
    FT_Face const face = m_impl->face;
    float pen = x;
    for (char character : text) {
        if (FT_Load_Char(face, static_cast<unsigned char>(character), FT_LOAD_RENDER) != 0) {
            continue;
        }
        FT_GlyphSlot const slot = face->glyph;
        FT_Bitmap const& bitmap = slot->bitmap;
        int const left = static_cast<int>(std::lround(pen)) + slot->bitmap_left;
        int const top = static_cast<int>(std::lround(y)) - slot->bitmap_top;
        for (unsigned int row = 0; row < bitmap.rows; ++row) {
            for (unsigned int column = 0; column < bitmap.width; ++column) {
                int const px = left + static_cast<int>(column), py = top + static_cast<int>(row);
                if (px < 0 || py < 0 || px >= static_cast<int>(canvas->GetWidth()) ||
                    py >= static_cast<int>(canvas->GetHeight())) {
                    continue;
                }
                float const coverage =
                    bitmap.buffer[row * static_cast<unsigned int>(bitmap.pitch) + column] / 255.0f;
                canvas->Blend(static_cast<unsigned int>(px), static_cast<unsigned int>(py), colour, coverage);
            }
        }
        pen += static_cast<float>(slot->advance.x) / 64.0f;
    }
}

float CFontRasterizer::GetTextWidth(std::string const& text)
{
    float width = 0.0f;
    for (char character : text) {
        if (FT_Load_Char(m_impl->face, static_cast<unsigned char>(character), FT_LOAD_DEFAULT) == 0) {
            width += static_cast<float>(m_impl->face->glyph->advance.x) / 64.0f;
        }
    }
    return width;
}

} // namespace content
