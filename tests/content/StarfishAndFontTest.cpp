#include "FontRasterizer.h"
#include "StarfishModel.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace content;

TEST(StarfishModel, MorphFramesLoopOverOneVertexLayout)
{
    SModelData const star = CStarfishModelBuilder::BuildStar();
    EXPECT_EQ(star.flags & 0xF, MP_MORPH | MP_TRIANGLE_LISTS);
    // A close-up cut and a coarser one for afar, each with all its frames.
    ASSERT_EQ(star.sets.size(), 2u);
    EXPECT_EQ(star.sets[0].material, "starfish:near");
    EXPECT_EQ(star.sets[1].material, "starfish:far");
    EXPECT_LT(star.sets[1].indices.size() * 2, star.sets[0].indices.size());
    std::size_t bufferVertices = 0;
    for (auto const& set : star.sets) {
        auto const& vertices = set.vertices;
        ASSERT_EQ(vertices.size() % star.frames, 0u);
        std::size_t const perFrame = vertices.size() / star.frames;
        for (std::uint32_t index : set.indices) {
            ASSERT_GE(index, bufferVertices);
            ASSERT_LT(index, bufferVertices + perFrame);
        }
        bufferVertices += perFrame;
        for (std::size_t i = 0; i < perFrame; ++i) {
            CVector3 const d = vertices[i].position - vertices[(star.frames - 1) * perFrame + i].position;
            ASSERT_LT(d.GetLength(), 1e-5f);
        }
        // The arms move between frames; the centre stays down.
        float largest = 0.0f;
        for (std::size_t i = 0; i < perFrame; ++i) {
            largest =
                std::max(largest, (vertices[i].position - vertices[4 * perFrame + i].position).GetLength());
        }
        EXPECT_GT(largest, 0.05f);
    }
    EXPECT_EQ(star.GetBufferVertexCount(), bufferVertices);
    CVector3 min, max;
    CStarfishModelBuilder::GetBoundingBox(star, &min, &max);
    EXPECT_NEAR(max.x, CStarfishModelBuilder::ArmRadius, 0.1f);
    EXPECT_LT(max.z, 0.5f);
    EXPECT_GE(min.z, 0.0f);
    EXPECT_NO_THROW(CModelWriter::Validate(star));
}

TEST(StarfishModel, ShadowIsAFlatTransparentQuad)
{
    SModelData const shadow = CStarfishModelBuilder::BuildShadow();
    EXPECT_TRUE(shadow.flags & MP_STATIC);
    EXPECT_TRUE(shadow.flags & MP_TRANSPARENT);
    ASSERT_EQ(shadow.sets.size(), 1u);
    EXPECT_EQ(shadow.sets[0].indices.size(), 6u);
    for (auto const& vertex : shadow.sets[0].vertices) {
        EXPECT_FLOAT_EQ(vertex.position.z, shadow.sets[0].vertices[0].position.z);
    }
}

TEST(FontRasterizer, AtlasHoldsPrintableAsciiInsideTheTexture)
{
    CFontRasterizer rasterizer("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 32);
    SFontAtlas const atlas = rasterizer.BuildAtlas(512);
    ASSERT_EQ(atlas.glyphs.size(), 95u);
    ASSERT_EQ(atlas.picture.channels, 4u);
    for (auto const& glyph : atlas.glyphs) {
        EXPECT_GE(glyph.u, 0.0f);
        EXPECT_GE(glyph.v, 0.0f);
        EXPECT_LE(glyph.u + glyph.du, 1.0f);
        EXPECT_LE(glyph.v + glyph.dv, 1.0f);
        EXPECT_GT(glyph.advance, 0.0f);
        EXPECT_LT(glyph.advance, 1.5f);
    }
    // The cell of 'M' (texture v counted from the bottom row) holds ink; the space does not.
    auto ink = [&](char code) {
        SFontGlyph const& glyph = atlas.glyphs[static_cast<std::size_t>(code - 32)];
        unsigned int total = 0;
        unsigned int const x0 = static_cast<unsigned int>(glyph.u * 512);
        unsigned int const x1 = static_cast<unsigned int>((glyph.u + glyph.du) * 512);
        unsigned int const y0 = static_cast<unsigned int>((1.0f - glyph.v - glyph.dv) * 512);
        unsigned int const y1 = static_cast<unsigned int>((1.0f - glyph.v) * 512);
        for (unsigned int y = y0; y < y1; ++y) {
            for (unsigned int x = x0; x < x1; ++x) {
                total += atlas.picture.At(x, y)[3];
            }
        }
        return total;
    };
    EXPECT_EQ(atlas.glyphs['M' - 32].code, 'M');
    EXPECT_GT(ink('M'), 255u * 20u);
    EXPECT_EQ(ink(' '), 0u);
    EXPECT_GT(atlas.glyphs['W' - 32].advance, atlas.glyphs['i' - 32].advance);
    EXPECT_THROW(CFontRasterizer("/nonexistent.ttf", 16), std::runtime_error);
}
