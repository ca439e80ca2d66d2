#pragma once

#include <cstddef>

namespace platform
{
// The software renderer frees and re-allocates its large vertex buffers on every draw. With
// the C library's defaults the freed top of the heap goes back to the system at once and the
// next frame faults every page in again (a fifth of a frame's CPU time). Keeps freed heap for
// reuse up to a bound; blocks of 32 MiB or more still come straight from the system.
void KeepFreedHeapForReuse();

// Gives the whole pages inside [block, block + size) back to the system: they stop counting
// as resident and read as zeroes when next touched (pages of a file mapping that were never
// written read from the file again). The block itself stays allocated. Returns the bytes given.
std::size_t ReleaseBlockPages(void const* block, std::size_t size);

// Gives freed heap memory back to the system (the bound above keeps it otherwise).
void ReturnFreedHeap();
} // namespace platform
