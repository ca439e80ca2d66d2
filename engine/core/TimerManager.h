#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CTimer;

namespace platform
{
class ClockSource;
}

// Owns the engine's frame clock (clamped frame time, frames per second) and the
// stopwatches handed out to the engine, the application and the plug-ins.
class CTimerManager
{
public:
    static constexpr float MinimumElapsedTime = 0.0001f;
    static constexpr float MaximumElapsedTime = 0.1f;

    CTimerManager();
    ~CTimerManager();
    CTimerManager(CTimerManager const&) = delete;
    CTimerManager& operator=(CTimerManager const&) = delete;

    void Create();
    // `clock` must outlive the manager; tests pass their own.
    void Create(platform::ClockSource& clock);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Once per frame: measures the last frame and counts frames per second.
    void Refresh();

    CTimer* AddTimer(float time, bool highResolution);
    void RemoveTimer(CTimer* timer);

    // The frame clock's current reading.
    float GetTime() const;
    // The same reading in double precision: after weeks of running a float reading moves in
    // steps of a second and more, too coarse to compare against.
    double GetPreciseTime() const;
    // Stops the frame clock while nothing is drawn, so the first frame after it measures no
    // more than its own length and the scene carries on where it stopped.
    void PauseFrameClock(bool paused);
    // The clamped length of the last frame in seconds.
    float GetElapsedTime() const { return m_elapsedTime; }
    // Frames counted in the last completed second.
    int GetFps() const { return m_fps; }
    // Frames counted so far in the current second.
    int GetFrame() const { return m_frame; }

    unsigned int GetTimersCount() const { return static_cast<unsigned int>(m_usedSlots.size()); }

private:
    bool m_free = true;
    std::uint32_t m_timerPeriod = 0;
    std::vector<unsigned int> m_freeSlots;
    std::vector<unsigned int> m_usedSlots;
    std::vector<std::unique_ptr<CTimer>> m_timers;
    CTimer* m_frameClock = nullptr;
    double m_lastFrameTime = 0.0;
    float m_elapsedTime = 0.0f;
    int m_fps = 0;
    int m_frame = 0;
    float m_secondTime = 0.0f;
    platform::ClockSource* m_clock = nullptr;
};
