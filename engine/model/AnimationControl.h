#pragma once

#include <map>

class CMessageManager;
class CMemoryManager;
class CTimerManager;

// Inclusive range of key frames played as one cycle.
struct AnimationCycle
{
    unsigned int startFrame;
    unsigned int endFrame;
};

// The animation clock of one model: named cycles, the current cycle and its time in
// frames. Every refresh yields the two key frames to blend and the blend factor.
class AnimationControl
{
public:
    // Identifier of the cycle that spans every key frame of the model.
    static constexpr unsigned int WholeModelCycle = 0xFFFFFFFFu;

    AnimationControl(CMessageManager* messageManager, CMemoryManager* memoryManager,
                     CTimerManager* timerManager, unsigned int framesCount);

    void AddCycle(unsigned int id, unsigned int startFrame, unsigned int endFrame);
    void RemoveCycle(unsigned int id);
    void SetCycle(unsigned int id);
    AnimationCycle GetCycle(unsigned int id) const;
    unsigned int GetCycleID() const { return m_cycleId; }

    void Start() { m_playing = true; }
    void Pause() { m_playing = false; }
    void Stop();

    void SetTime(float time) { m_time = time; }
    float GetTime() const { return m_time; }
    void SetSpeed(float speed) { m_speed = speed; }
    float GetSpeed() const { return m_speed; }
    void SetLoop(bool loop) { m_loop = loop; }
    bool IsLooped() const { return m_loop; }
    bool IsPlaying() const { return m_playing; }
    unsigned int GetFramesCount() const { return m_framesCount; }

    // Advances by the timer manager's elapsed frame time.
    void Refresh();
    // Advances by the given elapsed time in seconds.
    void Advance(float elapsedSeconds);

    unsigned int GetStartFrame() const { return m_startFrame; }
    unsigned int GetEndFrame() const { return m_endFrame; }
    float GetFrameTime() const { return m_frameTime; }

protected:
    CMessageManager* m_messageManager;
    CMemoryManager* m_memoryManager;
    CTimerManager* m_timerManager;
    unsigned int m_framesCount;

    float m_speed = 0.0f;
    float m_time = 0.0f;
    bool m_loop = false;
    bool m_playing = false;

    std::map<unsigned int, AnimationCycle> m_cycles;
    unsigned int m_cycleId = WholeModelCycle;

    unsigned int m_startFrame = 0;
    unsigned int m_endFrame = 0;
    float m_frameTime = 0.0f;
};
