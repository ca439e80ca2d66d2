#include "platform/window/wayland/EvdevKeyMap.h"

#include "platform/window/KeyMap.h"

#include <array>
#include <linux/input-event-codes.h>

namespace platform::wayland
{
namespace
{
struct EvdevEntry
{
    std::uint16_t evdevCode;
    PhysicalKey key;
};

constexpr EvdevEntry Keys[] = {
    {KEY_ESC, PhysicalKey::Escape},
    {KEY_1, PhysicalKey::Digit1},
    {KEY_2, PhysicalKey::Digit2},
    {KEY_3, PhysicalKey::Digit3},
    {KEY_4, PhysicalKey::Digit4},
    {KEY_5, PhysicalKey::Digit5},
    {KEY_6, PhysicalKey::Digit6},
    {KEY_7, PhysicalKey::Digit7},
    {KEY_8, PhysicalKey::Digit8},
    {KEY_9, PhysicalKey::Digit9},
    {KEY_0, PhysicalKey::Digit0},
    {KEY_MINUS, PhysicalKey::Minus},
    {KEY_EQUAL, PhysicalKey::Equals},
    {KEY_BACKSPACE, PhysicalKey::Backspace},
    {KEY_TAB, PhysicalKey::Tab},
    {KEY_Q, PhysicalKey::Q},
    {KEY_W, PhysicalKey::W},
    {KEY_E, PhysicalKey::E},
    {KEY_R, PhysicalKey::R},
    {KEY_T, PhysicalKey::T},
    {KEY_Y, PhysicalKey::Y},
    {KEY_U, PhysicalKey::U},
    {KEY_I, PhysicalKey::I},
    {KEY_O, PhysicalKey::O},
    {KEY_P, PhysicalKey::P},
    {KEY_LEFTBRACE, PhysicalKey::LeftBracket},
    {KEY_RIGHTBRACE, PhysicalKey::RightBracket},
    {KEY_ENTER, PhysicalKey::Return},
    {KEY_LEFTCTRL, PhysicalKey::LeftControl},
    {KEY_A, PhysicalKey::A},
    {KEY_S, PhysicalKey::S},
    {KEY_D, PhysicalKey::D},
    {KEY_F, PhysicalKey::F},
    {KEY_G, PhysicalKey::G},
    {KEY_H, PhysicalKey::H},
    {KEY_J, PhysicalKey::J},
    {KEY_K, PhysicalKey::K},
    {KEY_L, PhysicalKey::L},
    {KEY_SEMICOLON, PhysicalKey::Semicolon},
    {KEY_APOSTROPHE, PhysicalKey::Apostrophe},
    {KEY_GRAVE, PhysicalKey::Grave},
    {KEY_LEFTSHIFT, PhysicalKey::LeftShift},
    {KEY_BACKSLASH, PhysicalKey::Backslash},
    {KEY_Z, PhysicalKey::Z},
    {KEY_X, PhysicalKey::X},
    {KEY_C, PhysicalKey::C},
    {KEY_V, PhysicalKey::V},
    {KEY_B, PhysicalKey::B},
    {KEY_N, PhysicalKey::N},
    {KEY_M, PhysicalKey::M},
    {KEY_COMMA, PhysicalKey::Comma},
    {KEY_DOT, PhysicalKey::Period},
    {KEY_SLASH, PhysicalKey::Slash},
    {KEY_RIGHTSHIFT, PhysicalKey::RightShift},
    {KEY_KPASTERISK, PhysicalKey::KeypadMultiply},
    {KEY_LEFTALT, PhysicalKey::LeftAlt},
    {KEY_SPACE, PhysicalKey::Space},
    {KEY_CAPSLOCK, PhysicalKey::CapsLock},
    {KEY_F1, PhysicalKey::F1},
    {KEY_F2, PhysicalKey::F2},
    {KEY_F3, PhysicalKey::F3},
    {KEY_F4, PhysicalKey::F4},
    {KEY_F5, PhysicalKey::F5},
    {KEY_F6, PhysicalKey::F6},
    {KEY_F7, PhysicalKey::F7},
    {KEY_F8, PhysicalKey::F8},
    {KEY_F9, PhysicalKey::F9},
    {KEY_F10, PhysicalKey::F10},
    {KEY_NUMLOCK, PhysicalKey::NumLock},
    {KEY_SCROLLLOCK, PhysicalKey::ScrollLock},
    {KEY_KP7, PhysicalKey::Keypad7},
    {KEY_KP8, PhysicalKey::Keypad8},
    {KEY_KP9, PhysicalKey::Keypad9},
    {KEY_KPMINUS, PhysicalKey::KeypadMinus},
    {KEY_KP4, PhysicalKey::Keypad4},
    {KEY_KP5, PhysicalKey::Keypad5},
    {KEY_KP6, PhysicalKey::Keypad6},
    {KEY_KPPLUS, PhysicalKey::KeypadPlus},
    {KEY_KP1, PhysicalKey::Keypad1},
    {KEY_KP2, PhysicalKey::Keypad2},
    {KEY_KP3, PhysicalKey::Keypad3},
    {KEY_KP0, PhysicalKey::Keypad0},
    {KEY_KPDOT, PhysicalKey::KeypadPeriod},
    {KEY_102ND, PhysicalKey::NonUsBackslash},
    {KEY_F11, PhysicalKey::F11},
    {KEY_F12, PhysicalKey::F12},
    {KEY_RO, PhysicalKey::International1},
    {KEY_KATAKANAHIRAGANA, PhysicalKey::Lang3},
    {KEY_HENKAN, PhysicalKey::International4},
    {KEY_MUHENKAN, PhysicalKey::International5},
    {KEY_KPENTER, PhysicalKey::KeypadEnter},
    {KEY_RIGHTCTRL, PhysicalKey::RightControl},
    {KEY_KPSLASH, PhysicalKey::KeypadDivide},
    {KEY_SYSRQ, PhysicalKey::PrintScreen},
    {KEY_RIGHTALT, PhysicalKey::RightAlt},
    {KEY_HOME, PhysicalKey::Home},
    {KEY_UP, PhysicalKey::Up},
    {KEY_PAGEUP, PhysicalKey::PageUp},
    {KEY_LEFT, PhysicalKey::Left},
    {KEY_RIGHT, PhysicalKey::Right},
    {KEY_END, PhysicalKey::End},
    {KEY_DOWN, PhysicalKey::Down},
    {KEY_PAGEDOWN, PhysicalKey::PageDown},
    {KEY_INSERT, PhysicalKey::Insert},
    {KEY_DELETE, PhysicalKey::Delete},
    {KEY_MUTE, PhysicalKey::Mute},
    {KEY_VOLUMEDOWN, PhysicalKey::VolumeDown},
    {KEY_VOLUMEUP, PhysicalKey::VolumeUp},
    {KEY_POWER, PhysicalKey::Power},
    {KEY_KPEQUAL, PhysicalKey::KeypadEquals},
    {KEY_PAUSE, PhysicalKey::Pause},
    {KEY_KPCOMMA, PhysicalKey::KeypadComma},
    {KEY_YEN, PhysicalKey::International3},
    {KEY_LEFTMETA, PhysicalKey::LeftGui},
    {KEY_RIGHTMETA, PhysicalKey::RightGui},
    {KEY_COMPOSE, PhysicalKey::Application},
    {KEY_STOP, PhysicalKey::Stop},
    {KEY_HELP, PhysicalKey::Help},
    {KEY_MENU, PhysicalKey::Menu},
    {KEY_CALC, PhysicalKey::Calculator},
    {KEY_SLEEP, PhysicalKey::Sleep},
    {KEY_MAIL, PhysicalKey::Mail},
    {KEY_COMPUTER, PhysicalKey::Computer},
    {KEY_BACK, PhysicalKey::BrowserBack},
    {KEY_FORWARD, PhysicalKey::BrowserForward},
    {KEY_NEXTSONG, PhysicalKey::AudioNext},
    {KEY_PLAYPAUSE, PhysicalKey::AudioPlay},
    {KEY_PREVIOUSSONG, PhysicalKey::AudioPrevious},
    {KEY_STOPCD, PhysicalKey::AudioStop},
    {KEY_HOMEPAGE, PhysicalKey::BrowserHome},
    {KEY_REFRESH, PhysicalKey::BrowserRefresh},
    {KEY_F13, PhysicalKey::F13},
    {KEY_F14, PhysicalKey::F14},
    {KEY_F15, PhysicalKey::F15},
    {KEY_F16, PhysicalKey::F16},
    {KEY_F17, PhysicalKey::F17},
    {KEY_F18, PhysicalKey::F18},
    {KEY_F19, PhysicalKey::F19},
    {KEY_F20, PhysicalKey::F20},
    {KEY_F21, PhysicalKey::F21},
    {KEY_F22, PhysicalKey::F22},
    {KEY_F23, PhysicalKey::F23},
    {KEY_F24, PhysicalKey::F24},
    {KEY_SEARCH, PhysicalKey::BrowserSearch},
    {KEY_BOOKMARKS, PhysicalKey::BrowserBookmarks},
    {KEY_MEDIA, PhysicalKey::MediaSelect},
};

// Every code in the table is below KEY_MAX, the range input events number keys in.
std::array<PhysicalKey, KEY_MAX + 1> const& KeyTable()
{
    static auto const table = [] {
        std::array<PhysicalKey, KEY_MAX + 1> keys{};
        keys.fill(PhysicalKey::Unknown);
        for (EvdevEntry const& entry : Keys) {
            keys[entry.evdevCode] = entry.key;
        }
        return keys;
    }();
    return table;
}
} // namespace

PhysicalKey EvdevToPhysicalKey(std::uint32_t evdevCode)
{
    if (evdevCode > KEY_MAX) {
        return PhysicalKey::Unknown;
    }
    return KeyTable()[evdevCode];
}

std::uint8_t EvdevToKeyCode(std::uint32_t evdevCode)
{
    return KeyCodeOf(EvdevToPhysicalKey(evdevCode));
}

std::uint8_t EvdevToVirtualKey(std::uint32_t evdevCode)
{
    return VirtualKeyOf(EvdevToPhysicalKey(evdevCode));
}
} // namespace platform::wayland
