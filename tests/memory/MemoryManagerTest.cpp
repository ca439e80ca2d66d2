#include "core/MemoryManager.h"
#include "core/Errors.h"
#include "core/MessageManager.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr unsigned int KiB = 1024;
constexpr unsigned int MiB = 1024 * KiB;

class MemoryManagerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        messages.Create("MemoryTest", false, nullptr);
        memory.Create(&messages);
    }

    // Index of the entry that holds `block`, or -1.
    int EntryOf(void const* block) const
    {
        for (unsigned int i = 0; i < CMemoryManager::EntriesCount; ++i) {
            if (memory.GetEntryBlock(i) == block) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    // The text of the fatal error that `action` raises ("" when none).
    template <typename Action> std::string FatalTextOf(Action action)
    {
        try {
            action();
        } catch (CFatalError const& error) {
            return error.GetText();
        }
        return "";
    }

    // Pages of [block, block + size) the system holds in memory for this process.
    static std::size_t ResidentPagesOf(void const* block, std::size_t size)
    {
        auto const pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        std::uintptr_t const first = reinterpret_cast<std::uintptr_t>(block) / pageSize * pageSize;
        std::uintptr_t const end = reinterpret_cast<std::uintptr_t>(block) + size;
        std::vector<unsigned char> pages((end - first + pageSize - 1) / pageSize);
        if (mincore(reinterpret_cast<void*>(first), end - first, pages.data()) != 0) {
            return 0;
        }
        std::size_t resident = 0;
        for (unsigned char const page : pages) {
            resident += page & 1u;
        }
        return resident;
    }

    CMessageManager messages;
    CMemoryManager memory;
};

TEST_F(MemoryManagerTest, CreatePreallocatesSixteenBlocksInSizeOrder)
{
    unsigned int const expected[16] = {4 * MiB,   2 * MiB,   2 * MiB,   1 * MiB,   1 * MiB,   1 * MiB,
                                       512 * KiB, 512 * KiB, 128 * KiB, 128 * KiB, 128 * KiB, 128 * KiB,
                                       32 * KiB,  32 * KiB,  32 * KiB,  32 * KiB};
    EXPECT_FALSE(memory.IsFree());
    EXPECT_EQ(memory.GetPreallocatedEntriesCount(), 16);
    for (unsigned int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(memory.GetEntrySize(i), expected[i]);
        EXPECT_FALSE(memory.IsEntryInUse(i));
        ASSERT_NE(memory.GetEntryBlock(i), nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory.GetEntryBlock(i)) % alignof(std::max_align_t), 0u);
    }
    for (unsigned int i = 16; i < CMemoryManager::EntriesCount; ++i) {
        EXPECT_EQ(memory.GetEntryBlock(i), nullptr);
        EXPECT_FALSE(memory.IsEntryInUse(i));
    }
}

TEST_F(MemoryManagerTest, BestFitTakesTheSmallestIdleBlockThatFitsLowestEntryFirst)
{
    void* const first = memory.Allocate(100 * KiB, true);
    void* const second = memory.Allocate(100 * KiB, true);
    EXPECT_EQ(EntryOf(first), 8);
    EXPECT_EQ(EntryOf(second), 9);
    EXPECT_TRUE(memory.IsEntryInUse(8));

    EXPECT_EQ(EntryOf(memory.Allocate(32 * KiB, true)), 12);     // exact size fits
    EXPECT_EQ(EntryOf(memory.Allocate(32 * KiB + 1, true)), 10); // one byte more needs 128 KiB
    EXPECT_EQ(EntryOf(memory.Allocate(0, true)), 13);            // nothing is smaller than 32 KiB
    EXPECT_EQ(EntryOf(memory.Allocate(600 * KiB, true)), 3);
}

TEST_F(MemoryManagerTest, ExhaustedSizeClassMovesUpToTheNextLargerBlock)
{
    for (unsigned int entry = 12; entry < 16; ++entry) {
        EXPECT_EQ(EntryOf(memory.Allocate(1, true)), static_cast<int>(entry));
    }
    EXPECT_EQ(EntryOf(memory.Allocate(1, true)), 8);
}

TEST_F(MemoryManagerTest, LargeRequestsFallBackToHeapBlocks)
{
    void* const first = memory.Allocate(3 * MiB, true);
    EXPECT_EQ(EntryOf(first), 0);

    void* const second = memory.Allocate(3 * MiB, true);
    EXPECT_EQ(EntryOf(second), 16);
    EXPECT_EQ(memory.GetEntrySize(16), 3 * MiB);
    EXPECT_TRUE(memory.IsEntryInUse(16));

    void* const huge = memory.Allocate(5 * MiB, true);
    EXPECT_EQ(EntryOf(huge), 17);
    EXPECT_EQ(memory.GetEntrySize(17), 5 * MiB);
    std::memset(huge, 0xAB, 5 * MiB); // the whole block is writable
}

TEST_F(MemoryManagerTest, WithoutPreallocatedFlagEveryRequestGetsItsOwnHeapBlock)
{
    void* const block = memory.Allocate(16, false);
    EXPECT_EQ(EntryOf(block), 16);
    EXPECT_EQ(memory.GetEntrySize(16), 16u);
    for (unsigned int i = 0; i < 16; ++i) {
        EXPECT_FALSE(memory.IsEntryInUse(i));
    }
    void* const empty = memory.Allocate(0, false);
    EXPECT_NE(empty, nullptr);
    EXPECT_EQ(EntryOf(empty), 17);
    memory.Free(empty);
    EXPECT_FALSE(memory.IsEntryInUse(17));
}

TEST_F(MemoryManagerTest, FreedPreallocatedBlockIsLentAgainWithItsContents)
{
    auto* const block = static_cast<unsigned char*>(memory.Allocate(200 * KiB, true));
    EXPECT_EQ(EntryOf(block), 6);
    block[0] = 0x5A;
    memory.Free(block);
    EXPECT_FALSE(memory.IsEntryInUse(6));
    EXPECT_EQ(memory.GetEntryBlock(6), block); // the block stays allocated

    auto* const again = static_cast<unsigned char*>(memory.Allocate(200 * KiB, true));
    EXPECT_EQ(again, block);
    EXPECT_EQ(again[0], 0x5A);
}

TEST_F(MemoryManagerTest, FreedHeapEntryIsReleasedAndReusedFirst)
{
    void* const a = memory.Allocate(10, false);
    void* const b = memory.Allocate(20, false);
    void* const c = memory.Allocate(30, false);
    ASSERT_EQ(EntryOf(c), 18);
    memory.Free(b);
    EXPECT_EQ(memory.GetEntryBlock(17), nullptr);
    EXPECT_FALSE(memory.IsEntryInUse(17));

    void* const d = memory.Allocate(40, false);
    EXPECT_EQ(EntryOf(d), 17);
    EXPECT_EQ(memory.GetEntrySize(17), 40u);
    memory.Free(a);
    memory.Free(c);
    memory.Free(d);
    for (unsigned int i = 16; i < CMemoryManager::EntriesCount; ++i) {
        EXPECT_FALSE(memory.IsEntryInUse(i));
    }
}

TEST_F(MemoryManagerTest, FreeingUnknownOrNullOrTwiceIsFatal)
{
    int local = 0;
    EXPECT_EQ(FatalTextOf([&] { memory.Free(&local); }), "Memory Manager: Failed to free unknown memory (0)");
    EXPECT_EQ(FatalTextOf([&] { memory.Free(nullptr); }),
              "Memory Manager: Failed to free unknown memory (1)");

    void* const block = memory.Allocate(64, false);
    memory.Free(block);
    EXPECT_EQ(FatalTextOf([&] { memory.Free(block); }), "Memory Manager: Failed to free unknown memory (0)");

    // An address inside a lent block is not a block of its own.
    auto* const lent = static_cast<char*>(memory.Allocate(64, true));
    EXPECT_EQ(FatalTextOf([&] { memory.Free(lent + 1); }),
              "Memory Manager: Failed to free unknown memory (0)");
}

TEST_F(MemoryManagerTest, FatalErrorIsLoggedAsProgramAborting)
{
    messages.ClearMessagesBuffer();
    EXPECT_THROW(memory.Free(nullptr), CFatalError);
    ASSERT_EQ(messages.GetMessagesCount(), 1u);
    EXPECT_EQ(messages.GetMessageType(0), MT_FATAL_ERROR);
    EXPECT_STREQ(messages.GetMessageText(0),
                 "PROGRAM ABORTING: Memory Manager: Failed to free unknown memory (1)\n");
}

TEST_F(MemoryManagerTest, AtMost240HeapBlocksLiveAtOnce)
{
    std::vector<void*> blocks;
    for (unsigned int i = 0; i < CMemoryManager::HeapEntriesCount; ++i) {
        blocks.push_back(memory.Allocate(8, false));
    }
    EXPECT_EQ(EntryOf(blocks.back()), 255);
    EXPECT_EQ(FatalTextOf([&] { memory.Allocate(12345, false); }),
              "(1)Failed to allocate memory, 12345 bytes not available");
    // Preallocated blocks still serve requests that fit them.
    EXPECT_EQ(EntryOf(memory.Allocate(8, true)), 12);
    EXPECT_EQ(FatalTextOf([&] { memory.Allocate(5 * MiB, true); }),
              "(1)Failed to allocate memory, 5242880 bytes not available");
    // With no idle heap entry left, no entry holds null: freeing null finds nothing.
    EXPECT_EQ(FatalTextOf([&] { memory.Free(nullptr); }),
              "Memory Manager: Failed to free unknown memory (0)");

    memory.Free(blocks[100]);
    EXPECT_EQ(EntryOf(memory.Allocate(8, false)), 116);
}

TEST_F(MemoryManagerTest, DestroyReleasesEverythingAndCreateStartsOver)
{
    memory.Allocate(100, false);
    memory.Allocate(100, true);
    memory.Destroy();
    EXPECT_TRUE(memory.IsFree());
    EXPECT_EQ(memory.GetPreallocatedEntriesCount(), 0);
    memory.Destroy(); // nothing when free

    memory.Create(&messages);
    EXPECT_EQ(memory.GetPreallocatedEntriesCount(), 16);
    EXPECT_FALSE(memory.IsEntryInUse(8));
    EXPECT_EQ(memory.GetEntryBlock(16), nullptr);
    memory.Create(&messages); // Create over a live manager destroys it first
    EXPECT_FALSE(memory.IsFree());
}

TEST_F(MemoryManagerTest, AllocateMemoryIsNotTracked)
{
    void* const block = memory.AllocateMemory(100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(EntryOf(block), -1);
    std::free(block);
}

// Address space already reserved by this process, in bytes.
std::size_t CurrentAddressSpace()
{
    std::FILE* const statm = std::fopen("/proc/self/statm", "r");
    unsigned long pages = 0;
    if (statm != nullptr) {
        if (std::fscanf(statm, "%lu", &pages) != 1) {
            pages = 0;
        }
        std::fclose(statm);
    }
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Runs `action` with the address space capped just above what is in use and exits
// with the text of the fatal error it raised on stderr.
template <typename Action> [[noreturn]] void RunOutOfAddressSpace(std::size_t headroom, Action action)
{
    rlimit const limit{CurrentAddressSpace() + headroom, RLIM_INFINITY};
    if (setrlimit(RLIMIT_AS, &limit) != 0) {
        std::fprintf(stderr, "setrlimit failed");
        _exit(2);
    }
    try {
        action();
    } catch (CFatalError const& error) {
        std::fprintf(stderr, "[%s]", error.GetText());
        _exit(0);
    }
    _exit(1);
}

// Address-space limits do not mix with the sanitizers' shadow memory.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORALUME_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CORALUME_ADDRESS_SANITIZER 1
#endif

#if !defined(CORALUME_ADDRESS_SANITIZER)
TEST(MemoryManagerExhaustion, FailingHeapBlockIsFatal)
{
    CMessageManager messages;
    messages.Create("MemoryTest", false, nullptr);
    CMemoryManager memory;
    memory.Create(&messages);
    EXPECT_EXIT(RunOutOfAddressSpace(64 * MiB, [&] { memory.Allocate(1024 * MiB, false); }),
                testing::ExitedWithCode(0),
                "\\[\\(2\\)Failed to allocate memory, 1073741824 bytes not available\\]");
    EXPECT_EXIT(RunOutOfAddressSpace(64 * MiB, [&] { memory.AllocateMemory(1024 * MiB); }),
                testing::ExitedWithCode(0),
                "\\[\\(2\\)Failed to allocate memory, 1073741824 bytes not available\\]");
}

TEST(MemoryManagerExhaustion, FailingPreallocatedBlockIsFatal)
{
    CMessageManager messages;
    messages.Create("MemoryTest", false, nullptr);
    CMemoryManager memory;
    EXPECT_EXIT(RunOutOfAddressSpace(1 * MiB, [&] { memory.Create(&messages); }), testing::ExitedWithCode(0),
                "\\[\\(3\\)Failed to allocate memory, 4194304 bytes not available\\]");
}
#endif
} // namespace

TEST_F(MemoryManagerTest, ReleasingIdleBlockPagesEmptiesIdleBlocksAndKeepsLentOnes)
{
    auto* const idle = static_cast<unsigned char*>(memory.Allocate(4 * MiB, true));
    auto* const lent = static_cast<unsigned char*>(memory.Allocate(2 * MiB, true));
    ASSERT_EQ(EntryOf(idle), 0);
    ASSERT_EQ(EntryOf(lent), 1);
    std::memset(idle, 0x5A, 4 * MiB);
    std::memset(lent, 0x6B, 2 * MiB);
    memory.Free(idle);
    ASSERT_GT(ResidentPagesOf(idle, 4 * MiB), 1000u);

    memory.ReleaseIdleBlockPages();

    EXPECT_LE(ResidentPagesOf(idle, 4 * MiB), 2u); // at most the partial pages at the ends
    EXPECT_GT(ResidentPagesOf(lent, 2 * MiB), 500u);
    EXPECT_EQ(lent[MiB], 0x6B);
    auto* const again = static_cast<unsigned char*>(memory.Allocate(4 * MiB, true));
    EXPECT_EQ(again, idle);
    EXPECT_EQ(again[2 * MiB], 0); // the released pages read as zeroes
    again[2 * MiB] = 1;           // and can be written again
    EXPECT_EQ(again[2 * MiB], 1);
}
