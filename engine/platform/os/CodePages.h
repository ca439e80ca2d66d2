#pragma once

#include <cstddef>

namespace platform
{
// Much of the code the loaded libraries ran while the program started (the GL driver's shader
// compiler above all, 40 MiB and more) is not run again while it draws, yet stays resident.
// Drops the resident pages of every loaded object's code segments; the code that still runs
// reads them back from the file cache as it goes (file pages of segments that are never
// written, so nothing is lost). Objects whose code is patched at load time are left alone.
// Returns the bytes dropped.
std::size_t ReleaseCodePages();
} // namespace platform
