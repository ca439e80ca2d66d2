#pragma once

#include <cstddef>
#include <thread>

namespace platform
{
// The first write to a fresh page of memory costs a fault (under a hypervisor, a few
// milliseconds per MiB). Writes a block of heap on a thread of its own while the caller does
// other work; once the block is freed, its pages, already resident, serve the allocations that
// follow (freed heap is kept for reuse, see KeepFreedHeapForReuse).
class CHeapWarmup
{
public:
    CHeapWarmup() = default;
    ~CHeapWarmup() { End(); }
    CHeapWarmup(CHeapWarmup const&) = delete;
    CHeapWarmup& operator=(CHeapWarmup const&) = delete;

    // Nothing for zero bytes, or when the block cannot be had.
    void Begin(std::size_t bytes);
    // Waits for the writes and frees the block.
    void End();

private:
    void* m_block = nullptr;
    std::thread m_writer;
};
} // namespace platform
