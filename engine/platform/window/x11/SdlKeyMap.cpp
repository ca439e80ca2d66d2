#include "platform/window/x11/SdlKeyMap.h"

#include "platform/window/KeyMap.h"

#include <array>

namespace platform
{
namespace
{
struct ScancodeEntry
{
    SDL_Scancode scancode;
    PhysicalKey key;
};

constexpr ScancodeEntry Keys[] = {
    {SDL_SCANCODE_ESCAPE, PhysicalKey::Escape},
    {SDL_SCANCODE_1, PhysicalKey::Digit1},
    {SDL_SCANCODE_2, PhysicalKey::Digit2},
    {SDL_SCANCODE_3, PhysicalKey::Digit3},
    {SDL_SCANCODE_4, PhysicalKey::Digit4},
    {SDL_SCANCODE_5, PhysicalKey::Digit5},
    {SDL_SCANCODE_6, PhysicalKey::Digit6},
    {SDL_SCANCODE_7, PhysicalKey::Digit7},
    {SDL_SCANCODE_8, PhysicalKey::Digit8},
    {SDL_SCANCODE_9, PhysicalKey::Digit9},
    {SDL_SCANCODE_0, PhysicalKey::Digit0},
    {SDL_SCANCODE_MINUS, PhysicalKey::Minus},
    {SDL_SCANCODE_EQUALS, PhysicalKey::Equals},
    {SDL_SCANCODE_BACKSPACE, PhysicalKey::Backspace},
    {SDL_SCANCODE_TAB, PhysicalKey::Tab},
    {SDL_SCANCODE_Q, PhysicalKey::Q},
    {SDL_SCANCODE_W, PhysicalKey::W},
    {SDL_SCANCODE_E, PhysicalKey::E},
    {SDL_SCANCODE_R, PhysicalKey::R},
    {SDL_SCANCODE_T, PhysicalKey::T},
    {SDL_SCANCODE_Y, PhysicalKey::Y},
    {SDL_SCANCODE_U, PhysicalKey::U},
    {SDL_SCANCODE_I, PhysicalKey::I},
    {SDL_SCANCODE_O, PhysicalKey::O},
    {SDL_SCANCODE_P, PhysicalKey::P},
    {SDL_SCANCODE_LEFTBRACKET, PhysicalKey::LeftBracket},
    {SDL_SCANCODE_RIGHTBRACKET, PhysicalKey::RightBracket},
    {SDL_SCANCODE_RETURN, PhysicalKey::Return},
    {SDL_SCANCODE_LCTRL, PhysicalKey::LeftControl},
    {SDL_SCANCODE_A, PhysicalKey::A},
    {SDL_SCANCODE_S, PhysicalKey::S},
    {SDL_SCANCODE_D, PhysicalKey::D},
    {SDL_SCANCODE_F, PhysicalKey::F},
    {SDL_SCANCODE_G, PhysicalKey::G},
    {SDL_SCANCODE_H, PhysicalKey::H},
    {SDL_SCANCODE_J, PhysicalKey::J},
    {SDL_SCANCODE_K, PhysicalKey::K},
    {SDL_SCANCODE_L, PhysicalKey::L},
    {SDL_SCANCODE_SEMICOLON, PhysicalKey::Semicolon},
    {SDL_SCANCODE_APOSTROPHE, PhysicalKey::Apostrophe},
    {SDL_SCANCODE_GRAVE, PhysicalKey::Grave},
    {SDL_SCANCODE_LSHIFT, PhysicalKey::LeftShift},
    {SDL_SCANCODE_BACKSLASH, PhysicalKey::Backslash},
    {SDL_SCANCODE_NONUSHASH, PhysicalKey::NonUsHash},
    {SDL_SCANCODE_Z, PhysicalKey::Z},
    {SDL_SCANCODE_X, PhysicalKey::X},
    {SDL_SCANCODE_C, PhysicalKey::C},
    {SDL_SCANCODE_V, PhysicalKey::V},
    {SDL_SCANCODE_B, PhysicalKey::B},
    {SDL_SCANCODE_N, PhysicalKey::N},
    {SDL_SCANCODE_M, PhysicalKey::M},
    {SDL_SCANCODE_COMMA, PhysicalKey::Comma},
    {SDL_SCANCODE_PERIOD, PhysicalKey::Period},
    {SDL_SCANCODE_SLASH, PhysicalKey::Slash},
    {SDL_SCANCODE_RSHIFT, PhysicalKey::RightShift},
    {SDL_SCANCODE_KP_MULTIPLY, PhysicalKey::KeypadMultiply},
    {SDL_SCANCODE_LALT, PhysicalKey::LeftAlt},
    {SDL_SCANCODE_SPACE, PhysicalKey::Space},
    {SDL_SCANCODE_CAPSLOCK, PhysicalKey::CapsLock},
    {SDL_SCANCODE_F1, PhysicalKey::F1},
    {SDL_SCANCODE_F2, PhysicalKey::F2},
    {SDL_SCANCODE_F3, PhysicalKey::F3},
    {SDL_SCANCODE_F4, PhysicalKey::F4},
    {SDL_SCANCODE_F5, PhysicalKey::F5},
    {SDL_SCANCODE_F6, PhysicalKey::F6},
    {SDL_SCANCODE_F7, PhysicalKey::F7},
    {SDL_SCANCODE_F8, PhysicalKey::F8},
    {SDL_SCANCODE_F9, PhysicalKey::F9},
    {SDL_SCANCODE_F10, PhysicalKey::F10},
    {SDL_SCANCODE_NUMLOCKCLEAR, PhysicalKey::NumLock},
    {SDL_SCANCODE_SCROLLLOCK, PhysicalKey::ScrollLock},
    {SDL_SCANCODE_KP_7, PhysicalKey::Keypad7},
    {SDL_SCANCODE_KP_8, PhysicalKey::Keypad8},
    {SDL_SCANCODE_KP_9, PhysicalKey::Keypad9},
    {SDL_SCANCODE_KP_MINUS, PhysicalKey::KeypadMinus},
    {SDL_SCANCODE_KP_4, PhysicalKey::Keypad4},
    {SDL_SCANCODE_KP_5, PhysicalKey::Keypad5},
    {SDL_SCANCODE_KP_6, PhysicalKey::Keypad6},
    {SDL_SCANCODE_KP_PLUS, PhysicalKey::KeypadPlus},
    {SDL_SCANCODE_KP_1, PhysicalKey::Keypad1},
    {SDL_SCANCODE_KP_2, PhysicalKey::Keypad2},
    {SDL_SCANCODE_KP_3, PhysicalKey::Keypad3},
    {SDL_SCANCODE_KP_0, PhysicalKey::Keypad0},
    {SDL_SCANCODE_KP_PERIOD, PhysicalKey::KeypadPeriod},
    {SDL_SCANCODE_NONUSBACKSLASH, PhysicalKey::NonUsBackslash},
    {SDL_SCANCODE_F11, PhysicalKey::F11},
    {SDL_SCANCODE_F12, PhysicalKey::F12},
    {SDL_SCANCODE_F13, PhysicalKey::F13},
    {SDL_SCANCODE_F14, PhysicalKey::F14},
    {SDL_SCANCODE_F15, PhysicalKey::F15},
    {SDL_SCANCODE_F16, PhysicalKey::F16},
    {SDL_SCANCODE_F17, PhysicalKey::F17},
    {SDL_SCANCODE_F18, PhysicalKey::F18},
    {SDL_SCANCODE_F19, PhysicalKey::F19},
    {SDL_SCANCODE_F20, PhysicalKey::F20},
    {SDL_SCANCODE_F21, PhysicalKey::F21},
    {SDL_SCANCODE_F22, PhysicalKey::F22},
    {SDL_SCANCODE_F23, PhysicalKey::F23},
    {SDL_SCANCODE_F24, PhysicalKey::F24},
    {SDL_SCANCODE_LANG3, PhysicalKey::Lang3},
    {SDL_SCANCODE_INTERNATIONAL1, PhysicalKey::International1},
    {SDL_SCANCODE_INTERNATIONAL4, PhysicalKey::International4},
    {SDL_SCANCODE_INTERNATIONAL5, PhysicalKey::International5},
    {SDL_SCANCODE_INTERNATIONAL3, PhysicalKey::International3},
    {SDL_SCANCODE_KP_COMMA, PhysicalKey::KeypadComma},
    {SDL_SCANCODE_KP_EQUALS, PhysicalKey::KeypadEquals},
    {SDL_SCANCODE_KP_EQUALSAS400, PhysicalKey::KeypadEqualsAs400},
    {SDL_SCANCODE_AUDIOPREV, PhysicalKey::AudioPrevious},
    {SDL_SCANCODE_LANG2, PhysicalKey::Lang2},
    {SDL_SCANCODE_STOP, PhysicalKey::Stop},
    {SDL_SCANCODE_AUDIONEXT, PhysicalKey::AudioNext},
    {SDL_SCANCODE_KP_ENTER, PhysicalKey::KeypadEnter},
    {SDL_SCANCODE_RCTRL, PhysicalKey::RightControl},
    {SDL_SCANCODE_MUTE, PhysicalKey::Mute},
    {SDL_SCANCODE_AUDIOMUTE, PhysicalKey::AudioMute},
    {SDL_SCANCODE_CALCULATOR, PhysicalKey::Calculator},
    {SDL_SCANCODE_AUDIOPLAY, PhysicalKey::AudioPlay},
    {SDL_SCANCODE_AUDIOSTOP, PhysicalKey::AudioStop},
    {SDL_SCANCODE_VOLUMEDOWN, PhysicalKey::VolumeDown},
    {SDL_SCANCODE_VOLUMEUP, PhysicalKey::VolumeUp},
    {SDL_SCANCODE_AC_HOME, PhysicalKey::BrowserHome},
    {SDL_SCANCODE_KP_DIVIDE, PhysicalKey::KeypadDivide},
    {SDL_SCANCODE_PRINTSCREEN, PhysicalKey::PrintScreen},
    {SDL_SCANCODE_SYSREQ, PhysicalKey::SysReq},
    {SDL_SCANCODE_RALT, PhysicalKey::RightAlt},
    {SDL_SCANCODE_PAUSE, PhysicalKey::Pause},
    {SDL_SCANCODE_HOME, PhysicalKey::Home},
    {SDL_SCANCODE_UP, PhysicalKey::Up},
    {SDL_SCANCODE_PAGEUP, PhysicalKey::PageUp},
    {SDL_SCANCODE_LEFT, PhysicalKey::Left},
    {SDL_SCANCODE_RIGHT, PhysicalKey::Right},
    {SDL_SCANCODE_END, PhysicalKey::End},
    {SDL_SCANCODE_DOWN, PhysicalKey::Down},
    {SDL_SCANCODE_PAGEDOWN, PhysicalKey::PageDown},
    {SDL_SCANCODE_INSERT, PhysicalKey::Insert},
    {SDL_SCANCODE_DELETE, PhysicalKey::Delete},
    {SDL_SCANCODE_LGUI, PhysicalKey::LeftGui},
    {SDL_SCANCODE_RGUI, PhysicalKey::RightGui},
    {SDL_SCANCODE_APPLICATION, PhysicalKey::Application},
    {SDL_SCANCODE_MENU, PhysicalKey::Menu},
    {SDL_SCANCODE_POWER, PhysicalKey::Power},
    {SDL_SCANCODE_SLEEP, PhysicalKey::Sleep},
    {SDL_SCANCODE_AC_SEARCH, PhysicalKey::BrowserSearch},
    {SDL_SCANCODE_AC_BOOKMARKS, PhysicalKey::BrowserBookmarks},
    {SDL_SCANCODE_AC_REFRESH, PhysicalKey::BrowserRefresh},
    {SDL_SCANCODE_AC_STOP, PhysicalKey::BrowserStop},
    {SDL_SCANCODE_AC_FORWARD, PhysicalKey::BrowserForward},
    {SDL_SCANCODE_AC_BACK, PhysicalKey::BrowserBack},
    {SDL_SCANCODE_COMPUTER, PhysicalKey::Computer},
    {SDL_SCANCODE_MAIL, PhysicalKey::Mail},
    {SDL_SCANCODE_MEDIASELECT, PhysicalKey::MediaSelect},
    {SDL_SCANCODE_HELP, PhysicalKey::Help},
    {SDL_SCANCODE_SELECT, PhysicalKey::Select},
    {SDL_SCANCODE_EXECUTE, PhysicalKey::Execute},
    {SDL_SCANCODE_CLEAR, PhysicalKey::Clear},
    {SDL_SCANCODE_KP_CLEAR, PhysicalKey::KeypadClear},
};

struct Tables
{
    std::array<PhysicalKey, SDL_NUM_SCANCODES> keys{};
    std::array<SDL_Scancode, static_cast<std::size_t>(PhysicalKey::Count)> scancodes{};

    Tables()
    {
        keys.fill(PhysicalKey::Unknown);
        scancodes.fill(SDL_SCANCODE_UNKNOWN);
        for (ScancodeEntry const& entry : Keys) {
            keys[entry.scancode] = entry.key;
            scancodes[static_cast<std::size_t>(entry.key)] = entry.scancode;
        }
    }
};

Tables const& GetTables()
{
    static Tables const tables;
    return tables;
}
} // namespace

PhysicalKey ScancodeToPhysicalKey(SDL_Scancode scancode)
{
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) {
        return PhysicalKey::Unknown;
    }
    return GetTables().keys[scancode];
}

SDL_Scancode VirtualKeyToScancode(int virtualKey)
{
    return GetTables().scancodes[static_cast<std::size_t>(VirtualKeyToPhysicalKey(virtualKey))];
}

std::uint8_t ScancodeToKeyCode(SDL_Scancode scancode)
{
    return KeyCodeOf(ScancodeToPhysicalKey(scancode));
}

std::uint8_t ScancodeToVirtualKey(SDL_Scancode scancode)
{
    return VirtualKeyOf(ScancodeToPhysicalKey(scancode));
}
} // namespace platform
