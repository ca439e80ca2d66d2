#include "platform/HeapTuning.h"

#include <cstdlib> // defines __GLIBC__ on the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform
{
void KeepFreedHeapForReuse()
{
#if defined(__GLIBC__)
    constexpr int MappedBlockBytes = 32 << 20;
    constexpr int KeptFreeBytes = 64 << 20;
    mallopt(M_MMAP_THRESHOLD, MappedBlockBytes);
    mallopt(M_TRIM_THRESHOLD, KeptFreeBytes);
#endif
}
} // namespace platform
