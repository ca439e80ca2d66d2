#include "CpuBudget.h"

#include "core/MessageManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr double PerCent = 100.0;
// Scales within this many steps of a whole step count as on it.
constexpr double StepTolerance = 1e-3;
constexpr std::size_t RateTextLength = 32;
} // namespace

void CCpuBudget::SetBudget(int percent)
{
    percent = std::max(percent, 0);
    if (percent == m_percent)
        return;
    m_percent = percent;
    m_framesPerSecond = 0;
    m_renderScale = 1.0f;
    m_scalingPays = true;
    m_frameCostBefore = 0.0;
    m_samples.clear();
}

int CCpuBudget::Update(double now, double cpuSeconds, int ceiling)
{
    if (m_percent <= 0)
        return 0;
    ++m_frames;
    SSample const sample{now, cpuSeconds, m_frames};
    if (m_samples.empty()) {
        m_samples.push_back(sample);
        return m_framesPerSecond;
    }
    if (now - m_samples.back().time < DecisionInterval)
        return m_framesPerSecond;
    // The oldest sample kept is the last one at least a window old.
    while (m_samples.size() > 1 && now - m_samples[1].time >= WindowSeconds)
        m_samples.pop_front();
    Decide(sample, ceiling);
    m_samples.push_back(sample);
    return m_framesPerSecond;
}

float CCpuBudget::ScaleFor(double ratio) const
{
    double const wanted = m_renderScale * std::sqrt(ratio);
    // Rounded down, to stay under the budget.
    return float(std::floor(wanted / RenderScaleStep + StepTolerance)) * RenderScaleStep;
}

void CCpuBudget::Decide(SSample const& now, int ceiling)
{
    SSample const& first = m_samples.front();
    double const seconds = now.time - first.time;
    long const frames = now.frames - first.frames;
    if (seconds <= 0.0 || frames <= 0 || now.cpuSeconds <= first.cpuSeconds)
        return;
    double const used = (now.cpuSeconds - first.cpuSeconds) / seconds;
    // The share scales with the rate drawn (a part of it, such as the sound, does not: the
    // next decisions make up for that).
    double const budget = m_percent / PerCent;
    double const drawn = double(frames) / seconds;
    double const aim = budget * Headroom / used;
    double frameCost = used / drawn;
    float scale = m_renderScale;
    bool undone = false;
    if (m_frameCostBefore > 0.0) {
        // The first measure since the scale was lowered.
        if (frameCost > m_frameCostBefore * (1.0 - LeastScaleSaving)) {
            scale = m_scaleBefore;
            frameCost = m_frameCostBefore;
            m_scalingPays = false;
            undone = true;
        }
        m_frameCostBefore = 0.0;
    }
    double const overBudget = used / budget;
    int const affordable = int(std::floor(budget * Headroom / frameCost));
    int const highest = ceiling > 0 ? ceiling : UnlimitedFramesPerSecond;
    int chosen = m_framesPerSecond > 0 ? m_framesPerSecond : highest;
    if (undone || overBudget > 1.0) {
        if (!undone && m_scalingPays && scale > LowestRenderScale) {
            m_scaleBefore = scale;
            m_frameCostBefore = frameCost;
            scale = std::min(ScaleFor(aim), scale - RenderScaleStep);
        } else {
            chosen = std::min(chosen, affordable);
        }
    } else if (overBudget < RoomBelow) {
        if (m_framesPerSecond > 0) {
            int const rise = std::max(1, int(m_framesPerSecond * LargestRise));
            chosen = std::max(chosen, std::min(affordable, m_framesPerSecond + rise));
        } else if (scale < 1.0f && m_scalingPays) {
            scale = std::min(ScaleFor(aim), scale + LargestRenderScaleRise);
        }
    }
    scale = std::clamp(scale, LowestRenderScale, 1.0f);
    chosen = std::clamp(chosen, LowestFramesPerSecond, highest);
    int const next = chosen >= highest ? 0 : chosen;
    if (next == m_framesPerSecond && scale == m_renderScale)
        return;
    m_framesPerSecond = next;
    m_renderScale = scale;
    // The minute measured so far was at the old rate and scale.
    m_samples.clear();
    if (m_messages == nullptr)
        return;
    char rate[RateTextLength];
    if (next > 0)
        std::snprintf(rate, sizeof(rate), "%d frames per second", next);
    else
        std::snprintf(rate, sizeof(rate), "no frame limit needed");
    m_messages->Write(
        "CPU budget %d %%: render scale %.2f%s, %s (used %.0f %% at %.1f frames per second over %.0f s)",
        m_percent, double(scale), undone ? " (drawing smaller saved nothing)" : "", rate, used * PerCent,
        drawn, seconds);
}
