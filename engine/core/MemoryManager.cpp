#include "core/MemoryManager.h"

#include "core/Errors.h"
#include "core/MessageManager.h"
#include "platform/os/HeapTuning.h"

#include <cstdlib>

namespace
{
constexpr unsigned int KiB = 1024;
constexpr unsigned int MiB = 1024 * KiB;

// Sizes of the pre-allocated blocks, in entry order.
constexpr unsigned int PreallocatedSizes[CMemoryManager::PreallocatedEntriesCount] = {
    4 * MiB,   2 * MiB,   2 * MiB,   1 * MiB,   1 * MiB,  1 * MiB,  512 * KiB, 512 * KiB,
    128 * KiB, 128 * KiB, 128 * KiB, 128 * KiB, 32 * KiB, 32 * KiB, 32 * KiB,  32 * KiB,
};

// A zero-byte request still gets a block of its own, so that it can be told apart and freed.
void* AllocateHeapBlock(unsigned int size)
{
    return std::malloc(size == 0 ? 1 : size);
}
} // namespace

CMemoryManager::~CMemoryManager()
{
    Destroy();
}

void CMemoryManager::Create(CMessageManager* messageManager)
{
    Destroy();
    m_messageManager = messageManager;
    m_entries = new SMemoryEntry[EntriesCount];
    m_preallocatedCount = 0;
    SetFree(false);
    for (unsigned int const size : PreallocatedSizes) {
        AddBeforehandAllocatedArray(size);
    }
}

void CMemoryManager::Destroy()
{
    if (m_free) {
        return;
    }
    for (unsigned int i = 0; i < EntriesCount; ++i) {
        std::free(m_entries[i].block);
    }
    delete[] m_entries;
    m_entries = nullptr;
    m_preallocatedCount = 0;
    m_messageManager = nullptr;
    SetFree(true);
}

void CMemoryManager::FailAllocation(int reason, unsigned int size) const
{
    if (m_messageManager == nullptr) {
        throw CFatalError("(%d)Failed to allocate memory, %d bytes not available", reason,
                          static_cast<int>(size));
    }
    m_messageManager->WriteFatalError("(%d)Failed to allocate memory, %d bytes not available", reason,
                                      static_cast<int>(size));
}

void CMemoryManager::AddBeforehandAllocatedArray(unsigned int size)
{
    void* const block = AllocateHeapBlock(size);
    if (block == nullptr) {
        FailAllocation(3, size);
    }
    SMemoryEntry& entry = m_entries[m_preallocatedCount++];
    entry.inUse = false;
    entry.size = size;
    entry.block = block;
}

int CMemoryManager::FindBestPreallocatedEntry(unsigned int size) const
{
    int best = -1;
    for (int i = 0; i < m_preallocatedCount; ++i) {
        SMemoryEntry const& entry = m_entries[i];
        if (entry.inUse || entry.size < size) {
            continue;
        }
        if (best < 0 || entry.size < m_entries[best].size) {
            best = i;
        }
    }
    return best;
}

int CMemoryManager::FindIdleHeapEntry() const
{
    for (unsigned int i = PreallocatedEntriesCount; i < EntriesCount; ++i) {
        if (!m_entries[i].inUse) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void* CMemoryManager::Allocate(unsigned int size, bool usePreallocated)
{
    if (usePreallocated) {
        int const best = FindBestPreallocatedEntry(size);
        if (best >= 0) {
            m_entries[best].inUse = true;
            return m_entries[best].block;
        }
    }
    int const index = FindIdleHeapEntry();
    if (index < 0) {
        FailAllocation(1, size);
    }
    void* const block = AllocateHeapBlock(size);
    if (block == nullptr) {
        FailAllocation(2, size);
    }
    SMemoryEntry& entry = m_entries[index];
    entry.inUse = true;
    entry.size = size;
    entry.block = block;
    return block;
}

void CMemoryManager::Free(void* block)
{
    unsigned int index = 0;
    while (index < EntriesCount && m_entries[index].block != block) {
        ++index;
    }
    if (index == EntriesCount) {
        m_messageManager->WriteFatalError("Memory Manager: Failed to free unknown memory (0)");
    }
    SMemoryEntry& entry = m_entries[index];
    if (static_cast<int>(index) < m_preallocatedCount) {
        entry.inUse = false;
        return;
    }
    if (entry.block == nullptr) {
        m_messageManager->WriteFatalError("Memory Manager: Failed to free unknown memory (1)");
    }
    std::free(entry.block);
    entry.block = nullptr;
    entry.size = 0;
    entry.inUse = false;
}

void CMemoryManager::ReleaseIdleBlockPages()
{
    for (int i = 0; i < m_preallocatedCount; ++i) {
        if (!m_entries[i].inUse) {
            platform::ReleaseBlockPages(m_entries[i].block, m_entries[i].size);
        }
    }
}

void* CMemoryManager::AllocateMemory(unsigned int size)
{
    void* const block = AllocateHeapBlock(size);
    if (block == nullptr) {
        FailAllocation(2, size);
    }
    return block;
}

unsigned int CMemoryManager::GetEntrySize(unsigned int index) const
{
    return (m_entries != nullptr && index < EntriesCount) ? m_entries[index].size : 0;
}

bool CMemoryManager::IsEntryInUse(unsigned int index) const
{
    return m_entries != nullptr && index < EntriesCount && m_entries[index].inUse;
}

void* CMemoryManager::GetEntryBlock(unsigned int index) const
{
    return (m_entries != nullptr && index < EntriesCount) ? m_entries[index].block : nullptr;
}
