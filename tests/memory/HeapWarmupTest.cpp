#include "platform/os/HeapWarmup.h"
#include "support/ProcessMemory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace
{
constexpr std::size_t MiB = 1024 * 1024;

std::size_t ResidentBytes()
{
    return static_cast<std::size_t>(ProcessStatusKilobytes("self", "VmRSS")) * 1024;
}

// The warmed block's pages stay with the process once it is freed, and the allocations that
// follow take them instead of faulting fresh ones in.
TEST(HeapWarmupTest, FreedBlockStaysResidentAndServesLaterAllocations)
{
    std::size_t const before = ResidentBytes();
    platform::CHeapWarmup warmup;
    warmup.Begin(16 * MiB);
    warmup.End();
    std::size_t const warmed = ResidentBytes();
    EXPECT_GE(warmed, before + 15 * MiB);

    void* const later = std::malloc(12 * MiB);
    ASSERT_NE(later, nullptr);
    std::memset(later, 1, 12 * MiB);
    EXPECT_LE(ResidentBytes(), warmed + MiB);
    std::free(later);
}
} // namespace
