#pragma once

#include "platform/window/PhysicalKey.h"

#include <cstdint>

// Key codes of the engine: the keyboard codes the controls index their state with, and the
// virtual-key codes carried by key messages.
namespace platform
{
// Keyboard code of a physical key, 0 for a key without one.
std::uint8_t KeyCodeOf(PhysicalKey key);
// Virtual-key code of a physical key, 0 for a key without one.
std::uint8_t VirtualKeyOf(PhysicalKey key);
// Virtual-key code of a keyboard code, for back ends that know keys by their keyboard code.
std::uint8_t KeyCodeToVirtualKey(std::uint8_t keyCode);
// Physical key of a virtual-key code (the first one for codes several keys share).
PhysicalKey VirtualKeyToPhysicalKey(int virtualKey);

constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_F10 = 0x79;
} // namespace platform
