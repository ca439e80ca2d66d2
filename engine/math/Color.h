#pragma once

#include "math/Vector.h"

// The sixteen named colours; COLOR_CUSTOM marks a colour set from a vector or a text.
enum EColor : int
{
    COLOR_BLACK = 0,
    COLOR_GREEN = 1,
    COLOR_SILVER = 2,
    COLOR_LIME = 3,
    COLOR_GRAY = 4,
    COLOR_OLIVE = 5,
    COLOR_WHITE = 6,
    COLOR_YELLOW = 7,
    COLOR_MAROON = 8,
    COLOR_NAVY = 9,
    COLOR_RED = 10,
    COLOR_BLUE = 11,
    COLOR_PURPLE = 12,
    COLOR_TEAL = 13,
    COLOR_FUCHSIA = 14,
    COLOR_AQUA = 15,
    COLOR_CUSTOM = 16,
};

// A colour held three ways at once: r, g, b (0..1), r, g, b, a, and the text "#RRGGBB".
class CColor
{
public:
    static constexpr unsigned int NamedColorsCount = 16;

    CColor() = default;
    explicit CColor(EColor color);
    explicit CColor(CVector3 const& rgb) { Set(rgb); }
    explicit CColor(CVector4 const& rgba) { Set(rgba); }
    explicit CColor(char const* text) { Set(text); }

    // A named colour (below 16) sets every form; any other value only changes the stored EColor.
    void Set(EColor color);
    void Set(CVector3 const& rgb);
    void Set(CVector4 const& rgba);
    // Reads "#RRGGBB" (hexadecimal digits at positions 1-2, 3-4, 5-6); alpha becomes 1.
    void Set(char const* text);

    EColor GetEnum() const { return m_enum; }
    CVector3 const& GetVector3() const { return m_rgb; }
    CVector4 const& GetVector4() const { return m_rgba; }
    char const* GetString() const { return m_text; }

private:
    void SetText(CVector3 const& rgb);

    EColor m_enum;
    CVector3 m_rgb;
    CVector4 m_rgba;
    char m_text[8];
};
