#include "platform/os/HeapTuning.h"

#include <cstdlib> // defines __GLIBC__ on the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

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

std::size_t ReleaseBlockPages(void const* block, std::size_t size)
{
    auto const pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    auto const start = reinterpret_cast<std::uintptr_t>(block);
    std::uintptr_t const first = (start + pageSize - 1) / pageSize * pageSize;
    std::uintptr_t const end = (start + size) / pageSize * pageSize;
    if (block == nullptr || end <= first ||
        madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED) != 0) {
        return 0;
    }
    return end - first;
}

void ReturnFreedHeap()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
} // namespace platform
