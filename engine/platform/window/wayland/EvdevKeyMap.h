#pragma once

#include "platform/window/PhysicalKey.h"

#include <cstdint>

// Physical keys as Linux input events number them (the codes Wayland keyboards report),
// mapped onto the same keys of KeyMap.h.
namespace platform::wayland
{
PhysicalKey EvdevToPhysicalKey(std::uint32_t evdevCode);
// Keyboard code of the key, 0 for a key without one.
std::uint8_t EvdevToKeyCode(std::uint32_t evdevCode);
// Virtual-key code of the key, 0 for a key without one.
std::uint8_t EvdevToVirtualKey(std::uint32_t evdevCode);
} // namespace platform::wayland
