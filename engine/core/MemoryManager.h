#pragma once

class CMessageManager;

// Lends large temporary blocks from a table of tracked allocations: sixteen blocks of
// fixed sizes allocated once and reused (best fit), plus individual heap blocks for
// requests the fixed blocks cannot serve. Every failure is fatal.
class CMemoryManager
{
public:
    static constexpr unsigned int EntriesCount = 256;
    static constexpr unsigned int PreallocatedEntriesCount = 16;
    static constexpr unsigned int HeapEntriesCount = EntriesCount - PreallocatedEntriesCount;

    CMemoryManager() = default;
    ~CMemoryManager();
    CMemoryManager(CMemoryManager const&) = delete;
    CMemoryManager& operator=(CMemoryManager const&) = delete;

    void Create(CMessageManager* messageManager);
    void Destroy();
    bool IsFree() const { return m_free; }

    // A block of at least `size` bytes. With `usePreallocated` the smallest idle
    // pre-allocated block that fits is lent (its contents are left as they were);
    // otherwise, or when none fits, a heap block of exactly `size` bytes.
    void* Allocate(unsigned int size, bool usePreallocated);
    void Free(void* block);

    // Gives the memory pages of the idle pre-allocated blocks back to the system, for when a
    // loading phase is over: the blocks stay lent out as before, but their old contents are
    // gone (they read as zeroes) and each page counts as resident again only once touched.
    void ReleaseIdleBlockPages();

    // A plain heap allocation the manager does not track; release it with std::free.
    void* AllocateMemory(unsigned int size);

    // Inspection of the entry table.
    unsigned int GetEntrySize(unsigned int index) const;
    bool IsEntryInUse(unsigned int index) const;
    void* GetEntryBlock(unsigned int index) const;
    int GetPreallocatedEntriesCount() const { return m_preallocatedCount; }

protected:
    void AddBeforehandAllocatedArray(unsigned int size);
    void SetFree(bool free) { m_free = free; }

private:
    struct SMemoryEntry
    {
        bool inUse = false;
        unsigned int size = 0;
        void* block = nullptr;
    };

    int FindBestPreallocatedEntry(unsigned int size) const;
    int FindIdleHeapEntry() const;
    // Fatal "(reason)Failed to allocate memory, ..." for the request of `size` bytes.
    [[noreturn]] void FailAllocation(int reason, unsigned int size) const;

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    SMemoryEntry* m_entries = nullptr;
    int m_preallocatedCount = 0;
};
