#include "MathExpect.h"

#include <cstring>
#include <string>

namespace
{
struct SNamed
{
    EColor color;
    char const* text;
    CVector3 rgb;
};

SNamed const Palette[] = {
    {COLOR_BLACK, "#000000", {0, 0, 0}},
    {COLOR_GREEN, "#008000", {0, 0.5f, 0}},
    {COLOR_SILVER, "#C0C0C0", {0.75f, 0.75f, 0.75f}},
    {COLOR_LIME, "#00FF00", {0, 1, 0}},
    {COLOR_GRAY, "#808080", {0.5f, 0.5f, 0.5f}},
    {COLOR_OLIVE, "#808000", {0.5f, 0.5f, 0}},
    {COLOR_WHITE, "#FFFFFF", {1, 1, 1}},
    {COLOR_YELLOW, "#FFFF00", {1, 1, 0}},
    {COLOR_MAROON, "#800000", {0.5f, 0, 0}},
    {COLOR_NAVY, "#000080", {0, 0, 0.5f}},
    {COLOR_RED, "#FF0000", {1, 0, 0}},
    {COLOR_BLUE, "#0000FF", {0, 0, 1}},
    {COLOR_PURPLE, "#800080", {0.5f, 0, 0.5f}},
    {COLOR_TEAL, "#008080", {0, 0.5f, 0.5f}},
    {COLOR_FUCHSIA, "#FF00FF", {1, 0, 1}},
    {COLOR_AQUA, "#00FFFF", {0, 1, 1}},
};
} // namespace

TEST(Color, NamedColoursHaveTheirTextAndExactVectors)
{
    int expectedValue = 0;
    for (SNamed const& named : Palette) {
        EXPECT_EQ(static_cast<int>(named.color), expectedValue++);
        CColor const colour(named.color);
        EXPECT_EQ(colour.GetEnum(), named.color);
        EXPECT_STREQ(colour.GetString(), named.text);
        EXPECT_EQ(colour.GetVector3().x, named.rgb.x) << named.text;
        EXPECT_EQ(colour.GetVector3().y, named.rgb.y) << named.text;
        EXPECT_EQ(colour.GetVector3().z, named.rgb.z) << named.text;
        EXPECT_EQ(colour.GetVector4().w, 1.0f);
        EXPECT_EQ(colour.GetVector4().x, named.rgb.x);
    }
    EXPECT_EQ(static_cast<int>(COLOR_CUSTOM), 16);
}

TEST(Color, UnnamedEnumValueOnlyChangesTheEnum)
{
    CColor colour(COLOR_RED);
    colour.Set(COLOR_CUSTOM);
    EXPECT_EQ(colour.GetEnum(), COLOR_CUSTOM);
    EXPECT_STREQ(colour.GetString(), "#FF0000");
    ExpectNear(colour.GetVector3(), {1, 0, 0});
    colour.Set(static_cast<EColor>(-1));
    EXPECT_STREQ(colour.GetString(), "#FF0000");

    // Constructed straight from an unnamed value, the text is still a valid string.
    CColor const fresh(static_cast<EColor>(42));
    EXPECT_EQ(fresh.GetEnum(), static_cast<EColor>(42));
    EXPECT_EQ(std::strlen(fresh.GetString()), 7u);
}

TEST(Color, FromTextReadsTwoHexDigitsPerChannel)
{
    CColor const colour("#FF8000");
    EXPECT_EQ(colour.GetEnum(), COLOR_CUSTOM);
    EXPECT_STREQ(colour.GetString(), "#FF8000");
    EXPECT_FLOAT_EQ(colour.GetVector3().x, 1.0f);
    EXPECT_FLOAT_EQ(colour.GetVector3().y, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(colour.GetVector3().z, 0.0f);
    EXPECT_FLOAT_EQ(colour.GetVector4().w, 1.0f);

    CColor lower("#0a0B0c");
    EXPECT_FLOAT_EQ(lower.GetVector3().x, 10.0f / 255.0f);
    EXPECT_FLOAT_EQ(lower.GetVector3().y, 11.0f / 255.0f);
    EXPECT_FLOAT_EQ(lower.GetVector3().z, 12.0f / 255.0f);
}

TEST(Color, FromShortOrLongTextStaysInsideItsBuffer)
{
    CColor colour("#FFFFFF");
    colour.Set("#F");
    EXPECT_STREQ(colour.GetString(), "#F");
    EXPECT_FLOAT_EQ(colour.GetVector3().x, 15.0f / 255.0f);
    EXPECT_FLOAT_EQ(colour.GetVector3().y, 0.0f);
    EXPECT_FLOAT_EQ(colour.GetVector3().z, 0.0f);

    colour.Set("#123456789ABC");
    EXPECT_STREQ(colour.GetString(), "#123456");
    EXPECT_FLOAT_EQ(colour.GetVector3().z, 0x56 / 255.0f);

    colour.Set("#zz10");
    EXPECT_FLOAT_EQ(colour.GetVector3().x, 0.0f);
    EXPECT_FLOAT_EQ(colour.GetVector3().y, 0x10 / 255.0f);

    colour.Set(static_cast<char const*>(nullptr));
    EXPECT_STREQ(colour.GetString(), "");
    ExpectNear(colour.GetVector3(), CVector3(0.0f));
}

TEST(Color, FromVectorWritesTruncatedUpperCaseHex)
{
    CColor colour(CVector3(1.0f, 0.5f, 0.25f));
    EXPECT_EQ(colour.GetEnum(), COLOR_CUSTOM);
    EXPECT_STREQ(colour.GetString(), "#FF7F3F");
    ExpectNear(colour.GetVector4(), {1.0f, 0.5f, 0.25f, 1.0f});

    colour.Set(CVector4(0.0f, 0.75f, 0.0f, 0.3f));
    EXPECT_STREQ(colour.GetString(), "#00BF00");
    EXPECT_FLOAT_EQ(colour.GetVector4().w, 0.3f);
    ExpectNear(colour.GetVector3(), {0.0f, 0.75f, 0.0f});

    // Channels outside 0..1 keep their values but the text stays two digits each.
    colour.Set(CVector3(2.0f, -1.0f, 0.5f));
    EXPECT_STREQ(colour.GetString(), "#FF007F");
    EXPECT_FLOAT_EQ(colour.GetVector3().x, 2.0f);
}

TEST(Color, TextRoundTripsThroughVectors)
{
    for (std::string text : {"#000000", "#FFFFFF", "#12AB9F", "#7F8081"}) {
        CColor const fromText(text.c_str());
        CColor const fromVector(fromText.GetVector3());
        EXPECT_STREQ(fromVector.GetString(), text.c_str());
    }
}
