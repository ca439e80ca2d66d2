#include <gtest/gtest.h>

#include <string>

#include "core/Errors.h"
#include "gui/GUIHost.h"
#include "model/Model.h"
#include "render/IndexBuffer.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

using namespace gui_test;

namespace
{
class GUIFontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!CGUIHost::HasDisplay())
            GTEST_SKIP() << "needs an X display";
        host = std::make_unique<CGUIHost>(true, "font");
        font = host->AddTestFont(10.0f);
    }

    Vertex const* Vertices() const { return font->GetModel()->GetVertexBuffer()->Get(); }
    unsigned int IndexCount() const
    {
        return font->GetModel()->GetTriangleSet(0)->GetIndexBuffer()->GetSize();
    }

    // The fatal text of loading `bytes` as a font ("" when it loads).
    std::string LoadFailure(std::vector<unsigned char> const& bytes)
    {
        host->WriteFile("Data/Textures/font/hostile.fnt", bytes);
        try {
            host->gui->AddFont(host->WhiteShader(), "Data\\Textures\\font\\hostile.fnt");
        } catch (CFatalError const& error) {
            return error.GetText();
        }
        return "";
    }

    std::unique_ptr<CGUIHost> host;
    CGUIFont* font = nullptr;
};

TEST_F(GUIFontTest, SpaceAdvancesWithoutAQuad)
{
    font->Print(CVector2(100.0f, 50.0f), CColor(COLOR_WHITE), "A B");
    ASSERT_EQ(font->GetCharactersCount(), 2u);
    EXPECT_EQ(IndexCount(), 12u);
    // A is 0.5 x 10 wide, the missing-glyph space 0.85 x 10.
    EXPECT_FLOAT_EQ(Vertices()[1].position.x, 100.0f);
    EXPECT_FLOAT_EQ(Vertices()[5].position.x, 100.0f + 5.0f + 8.5f);
    EXPECT_FLOAT_EQ(font->GetStringWidth("A B"), 5.0f + 8.5f + 5.0f);
    EXPECT_FLOAT_EQ(font->GetStringWidth(""), 0.0f);
}

TEST_F(GUIFontTest, QuadCornersTextureAndPackedColour)
{
    host->WriteFile("Data/Textures/font/one.fnt", MakeFontFile({{'Q', 0.25f, 0.5f, 0.125f, 0.25f, 0.75f},
                                                                {'Q', 0.0f, 0.0f, 1.0f, 1.0f, 9.0f}}));
    CGUIFont* one =
        host->gui->GetFont(host->gui->AddFont(host->WhiteShader(), "Data\\Textures\\font\\one.fnt"));
    one->SetSize(4.0f);
    one->Print(CVector2(1.0f, 2.0f), CColor(CVector4(1.2f, 0.5f, -1.0f, 1.0f)), "Q");
    Vertex const* v = one->GetModel()->GetVertexBuffer()->Get();
    // The first record of a code wins.
    EXPECT_FLOAT_EQ(one->GetStringWidth("Q"), 3.0f);
    EXPECT_FLOAT_EQ(v[0].position.y, 6.0f);
    EXPECT_FLOAT_EQ(v[0].uv.y, 0.75f);
    EXPECT_FLOAT_EQ(v[1].uv.x, 0.25f);
    EXPECT_FLOAT_EQ(v[1].uv.y, 0.5f);
    EXPECT_FLOAT_EQ(v[2].position.x, 4.0f);
    EXPECT_FLOAT_EQ(v[3].uv.x, 0.375f);
    EXPECT_FLOAT_EQ(v[3].position.y, 2.0f);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(v[i].color, 0xFFFF8000u);
    EXPECT_FLOAT_EQ(one->GetModelDepthValue(), -9.0f);
}

TEST_F(GUIFontTest, IndexPatternCoversEveryQuad)
{
    IndexBuffer* indices = font->GetModel()->GetTriangleSet(0)->GetIndexBuffer();
    ASSERT_EQ(indices->GetCapacity(), 6144u);
    unsigned int const expected[6] = {4092, 4093, 4094, 4094, 4093, 4095};
    for (unsigned int i = 0; i < 6; ++i)
        EXPECT_EQ(indices->GetIndex(6138 + i), expected[i]);
    EXPECT_EQ(IndexCount(), 0u);
}

TEST_F(GUIFontTest, AFrameHoldsAtMost1024GlyphsAndTheNextStartsAgain)
{
    font->Print(CVector2(0.0f, 0.0f), CColor(COLOR_WHITE), std::string(1100, 'X'));
    EXPECT_EQ(font->GetCharactersCount(), 1024u);
    EXPECT_EQ(IndexCount(), 6144u);
    EXPECT_FLOAT_EQ(Vertices()[4 * 1023 + 1].position.x, 1023 * 5.0f);

    font->Refresh();
    EXPECT_EQ(font->GetCharactersCount(), 0u);
    EXPECT_FALSE(font->GetModel()->GetVertexBuffer()->IsLocked());
    font->Print(CVector2(7.0f, 0.0f), CColor(COLOR_WHITE), "XY");
    EXPECT_EQ(font->GetCharactersCount(), 2u);
    EXPECT_EQ(IndexCount(), 12u);
    EXPECT_FLOAT_EQ(Vertices()[1].position.x, 7.0f);

    // A frame without text leaves nothing to draw.
    font->Refresh();
    EXPECT_EQ(IndexCount(), 12u);
    font->Refresh();
    EXPECT_EQ(IndexCount(), 0u);
}

TEST_F(GUIFontTest, NewlinesAndMissingCodesAdvanceLikeASpace)
{
    font->SetCharactersHorizontalSpace(0.5f);
    font->Print(CVector2(0.0f, 0.0f), CColor(COLOR_WHITE),
                std::string("A\n\x01"
                            "B"));
    ASSERT_EQ(font->GetCharactersCount(), 2u);
    EXPECT_FLOAT_EQ(Vertices()[5].position.x, 15.0f);
    EXPECT_FALSE(font->IsCharacterInSet(' '));
    EXPECT_TRUE(font->IsCharacterInSet('~'));
}

TEST_F(GUIFontTest, PerCharacterColours)
{
    CColor const colours[3] = {CColor(COLOR_RED), CColor(COLOR_WHITE), CColor(COLOR_LIME)};
    font->Print(CVector2(0.0f, 0.0f), colours, "R G");
    EXPECT_EQ(Vertices()[0].color, 0xFFFF0000u);
    EXPECT_EQ(Vertices()[4].color, 0xFF00FF00u);
}

TEST_F(GUIFontTest, CopyFollowsItsParentsSizeAndKeepsItsOwnModel)
{
    CGUIFont copy;
    copy.Create(font);
    EXPECT_EQ(copy.GetParentFont(), font);
    EXPECT_NE(copy.GetModel(), font->GetModel());
    font->SetSize(20.0f);
    font->SetCharactersHorizontalSpace(1.0f);
    copy.Print(CVector2(0.0f, 0.0f), CColor(COLOR_WHITE), "A B");
    EXPECT_FLOAT_EQ(copy.GetSize(), 20.0f);
    Vertex const* v = copy.GetModel()->GetVertexBuffer()->Get();
    EXPECT_FLOAT_EQ(v[0].position.y, 20.0f);
    EXPECT_FLOAT_EQ(v[5].position.x, 10.0f + 20.0f);
    EXPECT_EQ(font->GetCharactersCount(), 0u);
    copy.Destroy();
    EXPECT_TRUE(copy.IsFree());
}

TEST_F(GUIFontTest, HostileFilesAreFatalWithTheFormatMessages)
{
    std::vector<unsigned char> good = MakeFontFile(PrintableGlyphs());
    std::string const name = "Data\\Textures\\font\\hostile.fnt";

    std::vector<unsigned char> magic = good;
    magic[6] = 'X';
    EXPECT_EQ(LoadFailure(magic), "Incorrect " + name + " file format");
    EXPECT_EQ(LoadFailure(MakeFontFile(PrintableGlyphs(), 200, 99)), "Incorrect " + name + " file format");
    EXPECT_EQ(LoadFailure(MakeFontFile(PrintableGlyphs(), 199)),
              "Incorrect " + name + " format version, current is 200");

    // A count that promises more records than the file holds.
    std::vector<unsigned char> lying = MakeFontFile({{'A', 0, 0, 1, 1, 1}});
    lying[13] = 0xFF;
    lying[14] = 0xFF;
    EXPECT_EQ(LoadFailure(lying), "Incorrect " + name + " file format");

    std::vector<unsigned char> cut(good.begin(), good.begin() + 10);
    EXPECT_EQ(LoadFailure(cut), "Incorrect " + name + " file format");
    EXPECT_EQ(LoadFailure({}), "Incorrect " + name + " file format");

    EXPECT_EQ(LoadFailure(MakeFontFile({})), "");
}

TEST_F(GUIFontTest, MissingFileIsFatal)
{
    EXPECT_THROW(host->gui->AddFont(host->WhiteShader(), "Data\\Textures\\font\\absent.fnt"), CFatalError);
}
} // namespace
