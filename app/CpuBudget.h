#pragma once

#include <deque>

class CMessageManager;

// Keeps the wallpaper within a share of one processor core that the user chose ("g_cpu_budget",
// in per cent; 0: no budget). It measures the process's processor time over the last minute (or
// since its last change) and picks a render scale and a frame rate from what a frame has cost
// there. Over the budget it draws smaller first, down to a scale whose softening the eye does not
// see, and only then fewer frames; with room it raises the rate first, then the scale, a step at
// a time. A smaller scale that did not make frames cheaper is undone and not tried again.
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
    // The smallest render scale chosen (of the window's size, each way; side by side with full-size
    // frames at 1920x1080 the eye does not tell them apart), and the steps between.
    static constexpr float LowestRenderScale = 0.75f;
    static constexpr float RenderScaleStep = 0.05f;
    // A rise of the scale is at most this much at a time.
    static constexpr float LargestRenderScaleRise = 0.25f;
    // A lowered scale is kept only where it cuts a frame's cost by at least this part (stretching
    // the smaller frame over the window costs too, more than it saves on some renderers).
    static constexpr double LeastScaleSaving = 0.05;

    void SetMessages(CMessageManager* messages) { m_messages = messages; }
    // Per cent of one core; 0 or less: no budget (measuring starts again on a change).
    void SetBudget(int percent);
    int GetBudget() const { return m_percent; }

    // Once per frame drawn: `now` in seconds on a steady clock, `cpuSeconds` the process's
    // processor time so far, `ceiling` the rate it may not exceed (0: none). Returns the rate
    // chosen; 0: no limit of its own.
    int Update(double now, double cpuSeconds, int ceiling);
    int GetFramesPerSecond() const { return m_framesPerSecond; }
    // The part of the window's size to draw at (1 without a budget).
    float GetRenderScale() const { return m_renderScale; }

private:
    struct SSample
    {
        double time = 0.0;
        double cpuSeconds = 0.0;
        long frames = 0;
    };

    void Decide(SSample const& now, int ceiling);
    // The scale whose frames would cost `ratio` times the present ones (the drawing's cost
    // follows the pixels drawn), in whole steps.
    float ScaleFor(double ratio) const;

    CMessageManager* m_messages = nullptr;
    int m_percent = 0;
    int m_framesPerSecond = 0;
    float m_renderScale = 1.0f;
    // Scaling is tried while it pays; after lowering the scale, what a frame cost before.
    bool m_scalingPays = true;
    float m_scaleBefore = 1.0f;
    double m_frameCostBefore = 0.0;
    long m_frames = 0;
    std::deque<SSample> m_samples;
};
