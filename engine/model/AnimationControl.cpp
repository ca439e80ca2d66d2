#include "model/AnimationControl.h"

#include "core/TimerManager.h"

namespace
{
// Whole frames in a non-negative time; negative or huge times are pinned to the range.
unsigned int WholeFrames(float time)
{
    if (!(time > 0.0f))
        return 0;
    if (time >= 4294967040.0f)
        return 0xFFFFFF00u;
    return static_cast<unsigned int>(time);
}
} // namespace

AnimationControl::AnimationControl(CMessageManager* messageManager, CMemoryManager* memoryManager,
                                   CTimerManager* timerManager, unsigned int framesCount)
    : m_messageManager(messageManager), m_memoryManager(memoryManager), m_timerManager(timerManager),
      m_framesCount(framesCount)
{
    m_cycles[WholeModelCycle] = AnimationCycle{0, framesCount - 1};
}

void AnimationControl::AddCycle(unsigned int id, unsigned int startFrame, unsigned int endFrame)
{
    m_cycles.try_emplace(id, AnimationCycle{startFrame, endFrame});
}

void AnimationControl::RemoveCycle(unsigned int id)
{
    m_cycles.erase(id);
    if (id == m_cycleId) {
        m_cycleId = WholeModelCycle;
        m_time = 0.0f;
    }
}

void AnimationControl::SetCycle(unsigned int id)
{
    m_cycleId = id;
    m_time = 0.0f;
}

AnimationCycle AnimationControl::GetCycle(unsigned int id) const
{
    auto const found = m_cycles.find(id);
    return found != m_cycles.end() ? found->second : AnimationCycle{0, 0};
}

void AnimationControl::Stop()
{
    m_playing = false;
    m_time = 0.0f;
}

void AnimationControl::Refresh()
{
    Advance(m_timerManager ? m_timerManager->GetElapsedTime() : 0.0f);
}

void AnimationControl::Advance(float elapsedSeconds)
{
    AnimationCycle const cycle = m_cycles.try_emplace(m_cycleId, AnimationCycle{0, 0}).first->second;
    unsigned int const count = cycle.endFrame - cycle.startFrame + 1;
    m_frameTime = 0.0f;
    m_startFrame = 0;
    m_endFrame = 0;

    if (m_playing)
        m_time += elapsedSeconds * m_speed;

    // A cycle whose end lies before its start has no frames to blend.
    if (count == 0) {
        m_startFrame = m_endFrame = cycle.startFrame;
        return;
    }

    if (!m_loop && static_cast<float>(count) <= m_time + 1.0f) {
        m_playing = false;
        m_time = static_cast<float>(count - 1);
        m_startFrame = cycle.startFrame + count - 1;
        m_endFrame = cycle.startFrame;
        return;
    }

    unsigned int frame = WholeFrames(m_time);
    if (count > 1 && frame >= count - 1) {
        // Wrap by whole cycle lengths; the last key frame is only ever a blend target.
        unsigned int const span = count - 1;
        unsigned int const wraps = frame / span;
        m_time -= static_cast<float>(wraps) * static_cast<float>(span);
        frame -= wraps * span;
    }

    frame = WholeFrames(m_time);
    m_frameTime = m_time - static_cast<float>(frame);
    if (frame >= count)
        frame %= count;

    unsigned int next = frame + 1;
    if (next >= count)
        next = 0;

    m_startFrame = frame + cycle.startFrame;
    m_endFrame = next + cycle.startFrame;
}
