#pragma once

#include <cstddef>

// When the process gives back memory that start-up needed and drawing does not: the one place
// that decides which heap, code and linking pages go back at each phase of a run.
namespace platform
{
// The graphics driver is loaded and resolved (its context is current): freed heap is kept for
// reuse from now on, and the linking tables and code that only loading ran go back.
void EnterDriverLoadedPhase();

// The phases of a run after the driver: the program reports each as it happens.
class MemoryPhases
{
public:
    // Loading finished: the heap freed while loading and the code only loading ran go back.
    void LoadingFinished();
    // The scene settled: start-up code goes back. With keptFramesFollow the first frame that
    // keeps the background may still build code, which goes back at the frame after it.
    // Returns the bytes given back.
    std::size_t SceneSettled(bool keptFramesFollow);
    // A frame is about to be drawn.
    void FrameStarting();

private:
    bool m_releaseCodeAtNextFrame = false;
};
} // namespace platform
