#pragma once

namespace platform
{
// The software renderer frees and re-allocates its large vertex buffers on every draw. With
// the C library's defaults the freed top of the heap goes back to the system at once and the
// next frame faults every page in again (a fifth of a frame's CPU time). Keeps freed heap for
// reuse up to a bound; blocks of 32 MiB or more still come straight from the system.
void KeepFreedHeapForReuse();
} // namespace platform
