#include "platform/os/HeapWarmup.h"

#include "platform/os/HeapTuning.h"

#include <cstdlib>
#include <cstring>
#include <system_error>

namespace platform
{
void CHeapWarmup::Begin(std::size_t bytes)
{
    End();
    if (bytes == 0) {
        return;
    }
    // Below the bound of KeepFreedHeapForReuse the block is part of the heap and stays there
    // when freed.
    KeepFreedHeapForReuse();
    m_block = std::malloc(bytes);
    if (m_block == nullptr) {
        return;
    }
    try {
        m_writer = std::thread([block = m_block, bytes] { std::memset(block, 0, bytes); });
    } catch (std::system_error const&) {
        std::free(m_block);
        m_block = nullptr;
    }
}

void CHeapWarmup::End()
{
    if (m_writer.joinable()) {
        m_writer.join();
    }
    std::free(m_block);
    m_block = nullptr;
}
} // namespace platform
