#pragma once

#include <deque>

class CMessageManager;

// Keeps the wallpaper within a share of one processor core that the user chose ("g_cpu_budget",
// in per cent; 0: no budget). It measures the process's processor time over the last minute (or
// since its last change of rate) and picks a frame rate from what a frame has cost there: lower
// as soon as the budget is exceeded, higher, a step at a time, while there is room.
class CCpuBudget
{
public:
    static constexpr double WindowSeconds = 60.0;
    // Seconds between decisions; the first comes after one interval of measuring.
    static constexpr double DecisionInterval = 5.0;
    // The rate aims this far under the budget, so that small swings stay inside it.
    static constexpr double Headroom = 0.9;
    // Room is there when the share used is under this part of the budget.
    static constexpr double RoomBelow = 0.8;
    // A rise is at most this part of the current rate (and at least one frame per second).
    static constexpr double LargestRise = 0.5;
    static constexpr int LowestFramesPerSecond = 5;
    // The ceiling taken for a rate without one.
    static constexpr int UnlimitedFramesPerSecond = 240;

    void SetMessages(CMessageManager* messages) { m_messages = messages; }
    // Per cent of one core; 0 or less: no budget (measuring starts again on a change).
    void SetBudget(int percent);
    int GetBudget() const { return m_percent; }

    // Once per frame drawn: `now` in seconds on a steady clock, `cpuSeconds` the process's
    // processor time so far, `ceiling` the rate it may not exceed (0: none). Returns the rate
    // chosen; 0: no limit of its own.
    int Update(double now, double cpuSeconds, int ceiling);
    int GetFramesPerSecond() const { return m_framesPerSecond; }

private:
    struct SSample
    {
        double time = 0.0;
        double cpuSeconds = 0.0;
        long frames = 0;
    };

    void Decide(SSample const& now, int ceiling);

    CMessageManager* m_messages = nullptr;
    int m_percent = 0;
    int m_framesPerSecond = 0;
    long m_frames = 0;
    std::deque<SSample> m_samples;
};
