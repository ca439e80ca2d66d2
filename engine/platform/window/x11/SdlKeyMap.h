#pragma once

#include "platform/window/PhysicalKey.h"

#include <SDL_scancode.h>

#include <cstdint>

// SDL's scan codes (the keys the X11 back end reports) as the engine's physical keys.
namespace platform
{
PhysicalKey ScancodeToPhysicalKey(SDL_Scancode scancode);
// The scan code of a virtual-key code's physical key (KeyMap.h), SDL_SCANCODE_UNKNOWN for none.
SDL_Scancode VirtualKeyToScancode(int virtualKey);
// Keyboard code of the key, 0 for a key without one.
std::uint8_t ScancodeToKeyCode(SDL_Scancode scancode);
// Virtual-key code of the key, 0 for a key without one.
std::uint8_t ScancodeToVirtualKey(SDL_Scancode scancode);
} // namespace platform
