#include "math/Color.h"

#include <cstdio>
#include <cstring>

namespace
{
struct SNamedColor
{
    float r, g, b;
    char const* text;
};

constexpr SNamedColor NamedColors[CColor::NamedColorsCount] = {
    {0.0f, 0.0f, 0.0f, "#000000"}, {0.0f, 0.5f, 0.0f, "#008000"}, {0.75f, 0.75f, 0.75f, "#C0C0C0"},
    {0.0f, 1.0f, 0.0f, "#00FF00"}, {0.5f, 0.5f, 0.5f, "#808080"}, {0.5f, 0.5f, 0.0f, "#808000"},
    {1.0f, 1.0f, 1.0f, "#FFFFFF"}, {1.0f, 1.0f, 0.0f, "#FFFF00"}, {0.5f, 0.0f, 0.0f, "#800000"},
    {0.0f, 0.0f, 0.5f, "#000080"}, {1.0f, 0.0f, 0.0f, "#FF0000"}, {0.0f, 0.0f, 1.0f, "#0000FF"},
    {0.5f, 0.0f, 0.5f, "#800080"}, {0.0f, 0.5f, 0.5f, "#008080"}, {1.0f, 0.0f, 1.0f, "#FF00FF"},
    {0.0f, 1.0f, 1.0f, "#00FFFF"},
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Value of up to two hexadecimal digits, stopping at the first character that is not one.
int ReadChannel(char const* digits)
{
    int value = 0;
    for (int i = 0; i < 2; ++i) {
        int const digit = HexDigit(digits[i]);
        if (digit < 0) {
            break;
        }
        value = value * 16 + digit;
    }
    return value;
}

// Channel × 255 truncated, kept within one byte so the text always has two digits.
unsigned int ChannelByte(float channel)
{
    float const scaled = channel * 255.0f;
    if (!(scaled > 0.0f)) {
        return 0;
    }
    if (scaled >= 255.0f) {
        return 255;
    }
    return static_cast<unsigned int>(scaled);
}
} // namespace

CColor::CColor(EColor color)
{
    // An unnamed value would otherwise leave the vectors and the text unset.
    Set(COLOR_BLACK);
    Set(color);
}

void CColor::Set(EColor color)
{
    m_enum = color;
    if (static_cast<unsigned int>(color) >= NamedColorsCount) {
        return;
    }
    SNamedColor const& named = NamedColors[color];
    m_rgb.Set(named.r, named.g, named.b);
    m_rgba.Set(named.r, named.g, named.b, 1.0f);
    std::memcpy(m_text, named.text, sizeof(m_text));
}

void CColor::Set(CVector3 const& rgb)
{
    m_enum = COLOR_CUSTOM;
    m_rgb = rgb;
    m_rgba = CVector4(rgb);
    SetText(rgb);
}

void CColor::Set(CVector4 const& rgba)
{
    m_enum = COLOR_CUSTOM;
    m_rgb = CVector3(rgba);
    m_rgba = rgba;
    SetText(m_rgb);
}

void CColor::Set(char const* text)
{
    m_enum = COLOR_CUSTOM;
    std::memset(m_text, 0, sizeof(m_text));
    if (text != nullptr) {
        std::strncpy(m_text, text, sizeof(m_text) - 1);
    }
    // The buffer is zero-filled past the copied text, so short texts read as zero channels.
    m_rgb.Set(ReadChannel(m_text + 1) / 255.0f, ReadChannel(m_text + 3) / 255.0f,
              ReadChannel(m_text + 5) / 255.0f);
    m_rgba = CVector4(m_rgb);
}

void CColor::SetText(CVector3 const& rgb)
{
    std::snprintf(m_text, sizeof(m_text), "#%02X%02X%02X", ChannelByte(rgb.x), ChannelByte(rgb.y),
                  ChannelByte(rgb.z));
}
