#include "platform/window/KeyMap.h"

#include <array>
#include <cstddef>

namespace platform
{
namespace
{
struct KeyEntry
{
    PhysicalKey key;
    std::uint8_t keyCode;
    std::uint8_t virtualKey;
};

// Physical keys with their keyboard codes (scan code set 1, 0x80 for extended keys) and
// virtual-key codes. Modifiers report the shared virtual key, as key messages carry it.
constexpr KeyEntry Keys[] = {
    {PhysicalKey::Escape, 0x01, 0x1B},
    {PhysicalKey::Digit1, 0x02, '1'},
    {PhysicalKey::Digit2, 0x03, '2'},
    {PhysicalKey::Digit3, 0x04, '3'},
    {PhysicalKey::Digit4, 0x05, '4'},
    {PhysicalKey::Digit5, 0x06, '5'},
    {PhysicalKey::Digit6, 0x07, '6'},
    {PhysicalKey::Digit7, 0x08, '7'},
    {PhysicalKey::Digit8, 0x09, '8'},
    {PhysicalKey::Digit9, 0x0A, '9'},
    {PhysicalKey::Digit0, 0x0B, '0'},
    {PhysicalKey::Minus, 0x0C, 0xBD},
    {PhysicalKey::Equals, 0x0D, 0xBB},
    {PhysicalKey::Backspace, 0x0E, 0x08},
    {PhysicalKey::Tab, 0x0F, 0x09},
    {PhysicalKey::Q, 0x10, 'Q'},
    {PhysicalKey::W, 0x11, 'W'},
    {PhysicalKey::E, 0x12, 'E'},
    {PhysicalKey::R, 0x13, 'R'},
    {PhysicalKey::T, 0x14, 'T'},
    {PhysicalKey::Y, 0x15, 'Y'},
    {PhysicalKey::U, 0x16, 'U'},
    {PhysicalKey::I, 0x17, 'I'},
    {PhysicalKey::O, 0x18, 'O'},
    {PhysicalKey::P, 0x19, 'P'},
    {PhysicalKey::LeftBracket, 0x1A, 0xDB},
    {PhysicalKey::RightBracket, 0x1B, 0xDD},
    {PhysicalKey::Return, 0x1C, 0x0D},
    {PhysicalKey::LeftControl, 0x1D, 0x11},
    {PhysicalKey::A, 0x1E, 'A'},
    {PhysicalKey::S, 0x1F, 'S'},
    {PhysicalKey::D, 0x20, 'D'},
    {PhysicalKey::F, 0x21, 'F'},
    {PhysicalKey::G, 0x22, 'G'},
    {PhysicalKey::H, 0x23, 'H'},
    {PhysicalKey::J, 0x24, 'J'},
    {PhysicalKey::K, 0x25, 'K'},
    {PhysicalKey::L, 0x26, 'L'},
    {PhysicalKey::Semicolon, 0x27, 0xBA},
    {PhysicalKey::Apostrophe, 0x28, 0xDE},
    {PhysicalKey::Grave, 0x29, 0xC0},
    {PhysicalKey::LeftShift, 0x2A, 0x10},
    {PhysicalKey::Backslash, 0x2B, 0xDC},
    {PhysicalKey::NonUsHash, 0x2B, 0xDC},
    {PhysicalKey::Z, 0x2C, 'Z'},
    {PhysicalKey::X, 0x2D, 'X'},
    {PhysicalKey::C, 0x2E, 'C'},
    {PhysicalKey::V, 0x2F, 'V'},
    {PhysicalKey::B, 0x30, 'B'},
    {PhysicalKey::N, 0x31, 'N'},
    {PhysicalKey::M, 0x32, 'M'},
    {PhysicalKey::Comma, 0x33, 0xBC},
    {PhysicalKey::Period, 0x34, 0xBE},
    {PhysicalKey::Slash, 0x35, 0xBF},
    {PhysicalKey::RightShift, 0x36, 0x10},
    {PhysicalKey::KeypadMultiply, 0x37, 0x6A},
    {PhysicalKey::LeftAlt, 0x38, 0x12},
    {PhysicalKey::Space, 0x39, 0x20},
    {PhysicalKey::CapsLock, 0x3A, 0x14},
    {PhysicalKey::F1, 0x3B, 0x70},
    {PhysicalKey::F2, 0x3C, 0x71},
    {PhysicalKey::F3, 0x3D, 0x72},
    {PhysicalKey::F4, 0x3E, 0x73},
    {PhysicalKey::F5, 0x3F, 0x74},
    {PhysicalKey::F6, 0x40, 0x75},
    {PhysicalKey::F7, 0x41, 0x76},
    {PhysicalKey::F8, 0x42, 0x77},
    {PhysicalKey::F9, 0x43, 0x78},
    {PhysicalKey::F10, 0x44, 0x79},
    {PhysicalKey::NumLock, 0x45, 0x90},
    {PhysicalKey::ScrollLock, 0x46, 0x91},
    {PhysicalKey::Keypad7, 0x47, 0x67},
    {PhysicalKey::Keypad8, 0x48, 0x68},
    {PhysicalKey::Keypad9, 0x49, 0x69},
    {PhysicalKey::KeypadMinus, 0x4A, 0x6D},
    {PhysicalKey::Keypad4, 0x4B, 0x64},
    {PhysicalKey::Keypad5, 0x4C, 0x65},
    {PhysicalKey::Keypad6, 0x4D, 0x66},
    {PhysicalKey::KeypadPlus, 0x4E, 0x6B},
    {PhysicalKey::Keypad1, 0x4F, 0x61},
    {PhysicalKey::Keypad2, 0x50, 0x62},
    {PhysicalKey::Keypad3, 0x51, 0x63},
    {PhysicalKey::Keypad0, 0x52, 0x60},
    {PhysicalKey::KeypadPeriod, 0x53, 0x6E},
    {PhysicalKey::NonUsBackslash, 0x56, 0xE2},
    {PhysicalKey::F11, 0x57, 0x7A},
    {PhysicalKey::F12, 0x58, 0x7B},
    {PhysicalKey::F13, 0x64, 0x7C},
    {PhysicalKey::F14, 0x65, 0x7D},
    {PhysicalKey::F15, 0x66, 0x7E},
    {PhysicalKey::F16, 0x67, 0x7F},
    {PhysicalKey::F17, 0x68, 0x80},
    {PhysicalKey::F18, 0x69, 0x81},
    {PhysicalKey::F19, 0x6A, 0x82},
    {PhysicalKey::F20, 0x6B, 0x83},
    {PhysicalKey::F21, 0x6C, 0x84},
    {PhysicalKey::F22, 0x6D, 0x85},
    {PhysicalKey::F23, 0x6E, 0x86},
    {PhysicalKey::F24, 0x76, 0x87},
    {PhysicalKey::Lang3, 0x70, 0x15}, // kana
    {PhysicalKey::International1, 0x73, 0xC1},
    {PhysicalKey::International4, 0x79, 0x1C}, // convert
    {PhysicalKey::International5, 0x7B, 0x1D}, // no convert
    {PhysicalKey::International3, 0x7D, 0xDC}, // yen
    {PhysicalKey::KeypadComma, 0x7E, 0xC2},
    {PhysicalKey::KeypadEquals, 0x8D, 0x92},
    {PhysicalKey::KeypadEqualsAs400, 0x8D, 0x92},
    {PhysicalKey::AudioPrevious, 0x90, 0xB1},
    {PhysicalKey::Lang2, 0x94, 0x19}, // kanji
    {PhysicalKey::Stop, 0x95, 0xA9},
    {PhysicalKey::AudioNext, 0x99, 0xB0},
    {PhysicalKey::KeypadEnter, 0x9C, 0x0D},
    {PhysicalKey::RightControl, 0x9D, 0x11},
    {PhysicalKey::Mute, 0xA0, 0xAD},
    {PhysicalKey::AudioMute, 0xA0, 0xAD},
    {PhysicalKey::Calculator, 0xA1, 0xB7},
    {PhysicalKey::AudioPlay, 0xA2, 0xB3},
    {PhysicalKey::AudioStop, 0xA4, 0xB2},
    {PhysicalKey::VolumeDown, 0xAE, 0xAE},
    {PhysicalKey::VolumeUp, 0xB0, 0xAF},
    {PhysicalKey::BrowserHome, 0xB2, 0xAC},
    {PhysicalKey::KeypadDivide, 0xB5, 0x6F},
    {PhysicalKey::PrintScreen, 0xB7, 0x2C},
    {PhysicalKey::SysReq, 0xB7, 0x2C},
    {PhysicalKey::RightAlt, 0xB8, 0x12},
    {PhysicalKey::Pause, 0xC5, 0x13},
    {PhysicalKey::Home, 0xC7, 0x24},
    {PhysicalKey::Up, 0xC8, 0x26},
    {PhysicalKey::PageUp, 0xC9, 0x21},
    {PhysicalKey::Left, 0xCB, 0x25},
    {PhysicalKey::Right, 0xCD, 0x27},
    {PhysicalKey::End, 0xCF, 0x23},
    {PhysicalKey::Down, 0xD0, 0x28},
    {PhysicalKey::PageDown, 0xD1, 0x22},
    {PhysicalKey::Insert, 0xD2, 0x2D},
    {PhysicalKey::Delete, 0xD3, 0x2E},
    {PhysicalKey::LeftGui, 0xDB, 0x5B},
    {PhysicalKey::RightGui, 0xDC, 0x5C},
    {PhysicalKey::Application, 0xDD, 0x5D},
    {PhysicalKey::Menu, 0xDD, 0x5D},
    {PhysicalKey::Power, 0xDE, 0},
    {PhysicalKey::Sleep, 0xDF, 0x5F},
    {PhysicalKey::BrowserSearch, 0xE5, 0xAA},
    {PhysicalKey::BrowserBookmarks, 0xE6, 0xAB},
    {PhysicalKey::BrowserRefresh, 0xE7, 0xA8},
    {PhysicalKey::BrowserStop, 0xE8, 0xA9},
    {PhysicalKey::BrowserForward, 0xE9, 0xA7},
    {PhysicalKey::BrowserBack, 0xEA, 0xA6},
    {PhysicalKey::Computer, 0xEB, 0},
    {PhysicalKey::Mail, 0xEC, 0xB4},
    {PhysicalKey::MediaSelect, 0xED, 0xB5},
    {PhysicalKey::Help, 0, 0x2F},
    {PhysicalKey::Select, 0, 0x29},
    {PhysicalKey::Execute, 0, 0x2B},
    {PhysicalKey::Clear, 0, 0x0C},
    {PhysicalKey::KeypadClear, 0, 0x0C},
};

constexpr std::size_t KeyCount = static_cast<std::size_t>(PhysicalKey::Count);

struct Tables
{
    std::array<std::uint8_t, KeyCount> keyCodes{};
    std::array<std::uint8_t, KeyCount> virtualKeys{};
    std::array<PhysicalKey, 256> keys{};
    std::array<std::uint8_t, 256> keyCodeVirtualKeys{};

    Tables()
    {
        keys.fill(PhysicalKey::Unknown);
        for (KeyEntry const& entry : Keys) {
            auto const index = static_cast<std::size_t>(entry.key);
            keyCodes[index] = entry.keyCode;
            virtualKeys[index] = entry.virtualKey;
            if (entry.virtualKey != 0 && keys[entry.virtualKey] == PhysicalKey::Unknown) {
                keys[entry.virtualKey] = entry.key;
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

std::uint8_t KeyCodeOf(PhysicalKey key)
{
    auto const index = static_cast<std::size_t>(key);
    return index < KeyCount ? GetTables().keyCodes[index] : 0;
}

std::uint8_t VirtualKeyOf(PhysicalKey key)
{
    auto const index = static_cast<std::size_t>(key);
    return index < KeyCount ? GetTables().virtualKeys[index] : 0;
}

std::uint8_t KeyCodeToVirtualKey(std::uint8_t keyCode)
{
    return GetTables().keyCodeVirtualKeys[keyCode];
}

PhysicalKey VirtualKeyToPhysicalKey(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 255) {
        return PhysicalKey::Unknown;
    }
    return GetTables().keys[virtualKey];
}
} // namespace platform
