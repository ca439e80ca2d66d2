#include "platform/os/MemoryPhases.h"

#include "platform/os/CodePages.h"
#include "platform/os/HeapTuning.h"
#include "platform/os/LinkingTables.h"

namespace platform
{
namespace
{
// Tables this long are worth a system call (the compiler library's are about 14 MiB, the
// driver's 1.5 MiB).
constexpr std::size_t LargeLinkingTablesBytes = std::size_t(64) << 10;
} // namespace

void EnterDriverLoadedPhase()
{
    KeepFreedHeapForReuse();
    ReleaseLinkingTables(LargeLinkingTablesBytes);
    ReleaseCodePages();
}

void MemoryPhases::LoadingFinished()
{
    ReturnFreedHeap();
    ReleaseCodePages();
}

std::size_t MemoryPhases::SceneSettled(bool keptFramesFollow)
{
    m_releaseCodeAtNextFrame = keptFramesFollow;
    return ReleaseCodePages();
}

void MemoryPhases::FrameStarting()
{
    if (m_releaseCodeAtNextFrame) {
        ReleaseCodePages();
        m_releaseCodeAtNextFrame = false;
    }
}
} // namespace platform
