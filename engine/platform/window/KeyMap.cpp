#include "platform/window/KeyMap.h"

#include <array>

namespace platform
{
namespace
{
struct KeyEntry
{
    SDL_Scancode scancode;
    std::uint8_t keyCode;
    std::uint8_t virtualKey;
};

// Physical keys with their keyboard codes (scan code set 1, 0x80 for extended keys) and
// virtual-key codes. Modifiers report the shared virtual key, as key messages carry it.
constexpr KeyEntry Keys[] = {
    {SDL_SCANCODE_ESCAPE, 0x01, 0x1B},
    {SDL_SCANCODE_1, 0x02, '1'},
    {SDL_SCANCODE_2, 0x03, '2'},
    {SDL_SCANCODE_3, 0x04, '3'},
    {SDL_SCANCODE_4, 0x05, '4'},
    {SDL_SCANCODE_5, 0x06, '5'},
    {SDL_SCANCODE_6, 0x07, '6'},
    {SDL_SCANCODE_7, 0x08, '7'},
    {SDL_SCANCODE_8, 0x09, '8'},
    {SDL_SCANCODE_9, 0x0A, '9'},
    {SDL_SCANCODE_0, 0x0B, '0'},
    {SDL_SCANCODE_MINUS, 0x0C, 0xBD},
    {SDL_SCANCODE_EQUALS, 0x0D, 0xBB},
    {SDL_SCANCODE_BACKSPACE, 0x0E, 0x08},
    {SDL_SCANCODE_TAB, 0x0F, 0x09},
    {SDL_SCANCODE_Q, 0x10, 'Q'},
    {SDL_SCANCODE_W, 0x11, 'W'},
    {SDL_SCANCODE_E, 0x12, 'E'},
    {SDL_SCANCODE_R, 0x13, 'R'},
    {SDL_SCANCODE_T, 0x14, 'T'},
    {SDL_SCANCODE_Y, 0x15, 'Y'},
    {SDL_SCANCODE_U, 0x16, 'U'},
    {SDL_SCANCODE_I, 0x17, 'I'},
    {SDL_SCANCODE_O, 0x18, 'O'},
    {SDL_SCANCODE_P, 0x19, 'P'},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A, 0xDB},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B, 0xDD},
    {SDL_SCANCODE_RETURN, 0x1C, 0x0D},
    {SDL_SCANCODE_LCTRL, 0x1D, 0x11},
    {SDL_SCANCODE_A, 0x1E, 'A'},
    {SDL_SCANCODE_S, 0x1F, 'S'},
    {SDL_SCANCODE_D, 0x20, 'D'},
    {SDL_SCANCODE_F, 0x21, 'F'},
    {SDL_SCANCODE_G, 0x22, 'G'},
    {SDL_SCANCODE_H, 0x23, 'H'},
    {SDL_SCANCODE_J, 0x24, 'J'},
    {SDL_SCANCODE_K, 0x25, 'K'},
    {SDL_SCANCODE_L, 0x26, 'L'},
    {SDL_SCANCODE_SEMICOLON, 0x27, 0xBA},
    {SDL_SCANCODE_APOSTROPHE, 0x28, 0xDE},
    {SDL_SCANCODE_GRAVE, 0x29, 0xC0},
    {SDL_SCANCODE_LSHIFT, 0x2A, 0x10},
    {SDL_SCANCODE_BACKSLASH, 0x2B, 0xDC},
    {SDL_SCANCODE_NONUSHASH, 0x2B, 0xDC},
    {SDL_SCANCODE_Z, 0x2C, 'Z'},
    {SDL_SCANCODE_X, 0x2D, 'X'},
    {SDL_SCANCODE_C, 0x2E, 'C'},
    {SDL_SCANCODE_V, 0x2F, 'V'},
    {SDL_SCANCODE_B, 0x30, 'B'},
    {SDL_SCANCODE_N, 0x31, 'N'},
    {SDL_SCANCODE_M, 0x32, 'M'},
    {SDL_SCANCODE_COMMA, 0x33, 0xBC},
    {SDL_SCANCODE_PERIOD, 0x34, 0xBE},
    {SDL_SCANCODE_SLASH, 0x35, 0xBF},
    {SDL_SCANCODE_RSHIFT, 0x36, 0x10},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37, 0x6A},
    {SDL_SCANCODE_LALT, 0x38, 0x12},
    {SDL_SCANCODE_SPACE, 0x39, 0x20},
    {SDL_SCANCODE_CAPSLOCK, 0x3A, 0x14},
    {SDL_SCANCODE_F1, 0x3B, 0x70},
    {SDL_SCANCODE_F2, 0x3C, 0x71},
    {SDL_SCANCODE_F3, 0x3D, 0x72},
    {SDL_SCANCODE_F4, 0x3E, 0x73},
    {SDL_SCANCODE_F5, 0x3F, 0x74},
    {SDL_SCANCODE_F6, 0x40, 0x75},
    {SDL_SCANCODE_F7, 0x41, 0x76},
    {SDL_SCANCODE_F8, 0x42, 0x77},
    {SDL_SCANCODE_F9, 0x43, 0x78},
    {SDL_SCANCODE_F10, 0x44, 0x79},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, 0x90},
    {SDL_SCANCODE_SCROLLLOCK, 0x46, 0x91},
    {SDL_SCANCODE_KP_7, 0x47, 0x67},
    {SDL_SCANCODE_KP_8, 0x48, 0x68},
    {SDL_SCANCODE_KP_9, 0x49, 0x69},
    {SDL_SCANCODE_KP_MINUS, 0x4A, 0x6D},
    {SDL_SCANCODE_KP_4, 0x4B, 0x64},
    {SDL_SCANCODE_KP_5, 0x4C, 0x65},
    {SDL_SCANCODE_KP_6, 0x4D, 0x66},
    {SDL_SCANCODE_KP_PLUS, 0x4E, 0x6B},
    {SDL_SCANCODE_KP_1, 0x4F, 0x61},
    {SDL_SCANCODE_KP_2, 0x50, 0x62},
    {SDL_SCANCODE_KP_3, 0x51, 0x63},
    {SDL_SCANCODE_KP_0, 0x52, 0x60},
    {SDL_SCANCODE_KP_PERIOD, 0x53, 0x6E},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56, 0xE2},
    {SDL_SCANCODE_F11, 0x57, 0x7A},
    {SDL_SCANCODE_F12, 0x58, 0x7B},
    {SDL_SCANCODE_F13, 0x64, 0x7C},
    {SDL_SCANCODE_F14, 0x65, 0x7D},
    {SDL_SCANCODE_F15, 0x66, 0x7E},
    {SDL_SCANCODE_F16, 0x67, 0x7F},
    {SDL_SCANCODE_F17, 0x68, 0x80},
    {SDL_SCANCODE_F18, 0x69, 0x81},
    {SDL_SCANCODE_F19, 0x6A, 0x82},
    {SDL_SCANCODE_F20, 0x6B, 0x83},
    {SDL_SCANCODE_F21, 0x6C, 0x84},
    {SDL_SCANCODE_F22, 0x6D, 0x85},
    {SDL_SCANCODE_F23, 0x6E, 0x86},
    {SDL_SCANCODE_F24, 0x76, 0x87},
    {SDL_SCANCODE_LANG3, 0x70, 0x15}, // kana
    {SDL_SCANCODE_INTERNATIONAL1, 0x73, 0xC1},
    {SDL_SCANCODE_INTERNATIONAL4, 0x79, 0x1C}, // convert
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B, 0x1D}, // no convert
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D, 0xDC}, // yen
    {SDL_SCANCODE_KP_COMMA, 0x7E, 0xC2},
    {SDL_SCANCODE_KP_EQUALS, 0x8D, 0x92},
    {SDL_SCANCODE_KP_EQUALSAS400, 0x8D, 0x92},
    {SDL_SCANCODE_AUDIOPREV, 0x90, 0xB1},
    {SDL_SCANCODE_LANG2, 0x94, 0x19}, // kanji
    {SDL_SCANCODE_STOP, 0x95, 0xA9},
    {SDL_SCANCODE_AUDIONEXT, 0x99, 0xB0},
    {SDL_SCANCODE_KP_ENTER, 0x9C, 0x0D},
    {SDL_SCANCODE_RCTRL, 0x9D, 0x11},
    {SDL_SCANCODE_MUTE, 0xA0, 0xAD},
    {SDL_SCANCODE_AUDIOMUTE, 0xA0, 0xAD},
    {SDL_SCANCODE_CALCULATOR, 0xA1, 0xB7},
    {SDL_SCANCODE_AUDIOPLAY, 0xA2, 0xB3},
    {SDL_SCANCODE_AUDIOSTOP, 0xA4, 0xB2},
    {SDL_SCANCODE_VOLUMEDOWN, 0xAE, 0xAE},
    {SDL_SCANCODE_VOLUMEUP, 0xB0, 0xAF},
    {SDL_SCANCODE_AC_HOME, 0xB2, 0xAC},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5, 0x6F},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7, 0x2C},
    {SDL_SCANCODE_SYSREQ, 0xB7, 0x2C},
    {SDL_SCANCODE_RALT, 0xB8, 0x12},
    {SDL_SCANCODE_PAUSE, 0xC5, 0x13},
    {SDL_SCANCODE_HOME, 0xC7, 0x24},
    {SDL_SCANCODE_UP, 0xC8, 0x26},
    {SDL_SCANCODE_PAGEUP, 0xC9, 0x21},
    {SDL_SCANCODE_LEFT, 0xCB, 0x25},
    {SDL_SCANCODE_RIGHT, 0xCD, 0x27},
    {SDL_SCANCODE_END, 0xCF, 0x23},
    {SDL_SCANCODE_DOWN, 0xD0, 0x28},
    {SDL_SCANCODE_PAGEDOWN, 0xD1, 0x22},
    {SDL_SCANCODE_INSERT, 0xD2, 0x2D},
    {SDL_SCANCODE_DELETE, 0xD3, 0x2E},
    {SDL_SCANCODE_LGUI, 0xDB, 0x5B},
    {SDL_SCANCODE_RGUI, 0xDC, 0x5C},
    {SDL_SCANCODE_APPLICATION, 0xDD, 0x5D},
    {SDL_SCANCODE_MENU, 0xDD, 0x5D},
    {SDL_SCANCODE_POWER, 0xDE, 0},
    {SDL_SCANCODE_SLEEP, 0xDF, 0x5F},
    {SDL_SCANCODE_AC_SEARCH, 0xE5, 0xAA},
    {SDL_SCANCODE_AC_BOOKMARKS, 0xE6, 0xAB},
    {SDL_SCANCODE_AC_REFRESH, 0xE7, 0xA8},
    {SDL_SCANCODE_AC_STOP, 0xE8, 0xA9},
    {SDL_SCANCODE_AC_FORWARD, 0xE9, 0xA7},
    {SDL_SCANCODE_AC_BACK, 0xEA, 0xA6},
    {SDL_SCANCODE_COMPUTER, 0xEB, 0},
    {SDL_SCANCODE_MAIL, 0xEC, 0xB4},
    {SDL_SCANCODE_MEDIASELECT, 0xED, 0xB5},
    {SDL_SCANCODE_HELP, 0, 0x2F},
    {SDL_SCANCODE_SELECT, 0, 0x29},
    {SDL_SCANCODE_EXECUTE, 0, 0x2B},
    {SDL_SCANCODE_CLEAR, 0, 0x0C},
    {SDL_SCANCODE_KP_CLEAR, 0, 0x0C},
};

struct Tables
{
    std::array<std::uint8_t, SDL_NUM_SCANCODES> keyCodes{};
    std::array<std::uint8_t, SDL_NUM_SCANCODES> virtualKeys{};
    std::array<SDL_Scancode, 256> scancodes{};
    std::array<std::uint8_t, 256> keyCodeVirtualKeys{};

    Tables()
    {
        scancodes.fill(SDL_SCANCODE_UNKNOWN);
        for (KeyEntry const& entry : Keys) {
            keyCodes[entry.scancode] = entry.keyCode;
            virtualKeys[entry.scancode] = entry.virtualKey;
            if (entry.virtualKey != 0 && scancodes[entry.virtualKey] == SDL_SCANCODE_UNKNOWN) {
                scancodes[entry.virtualKey] = entry.scancode;
            }
            if (entry.keyCode != 0 && keyCodeVirtualKeys[entry.keyCode] == 0) {
                keyCodeVirtualKeys[entry.keyCode] = entry.virtualKey;
            }
        }
    }
};

Tables const& GetTables()
{
    static Tables const tables;
    return tables;
}
} // namespace

std::uint8_t ScancodeToKeyCode(SDL_Scancode scancode)
{
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) {
        return 0;
    }
    return GetTables().keyCodes[scancode];
}

std::uint8_t ScancodeToVirtualKey(SDL_Scancode scancode)
{
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) {
        return 0;
    }
    return GetTables().virtualKeys[scancode];
}

std::uint8_t KeyCodeToVirtualKey(std::uint8_t keyCode)
{
    return GetTables().keyCodeVirtualKeys[keyCode];
}

SDL_Scancode VirtualKeyToScancode(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 255) {
        return SDL_SCANCODE_UNKNOWN;
    }
    return GetTables().scancodes[virtualKey];
}
} // namespace platform
