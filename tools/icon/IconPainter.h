#pragma once

#include <cstdint>
#include <vector>

// The icon: an orange fish with a few bubbles in a round, deep-blue aquarium, drawn from
// shapes so that every size is sharp. Returns size x size RGBA pixels, top row first.
std::vector<std::uint8_t> PaintIcon(unsigned int size);
