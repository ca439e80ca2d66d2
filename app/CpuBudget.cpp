#include "CpuBudget.h"

#include "core/MessageManager.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double PerCent = 100.0;
}

void CCpuBudget::SetBudget(int percent)
{
    percent = std::max(percent, 0);
    if (percent == m_percent)
        return;
    m_percent = percent;
    m_framesPerSecond = 0;
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
    int const affordable = int(std::floor(drawn * budget * Headroom / used));
    int const highest = ceiling > 0 ? ceiling : UnlimitedFramesPerSecond;
    int chosen = m_framesPerSecond > 0 ? m_framesPerSecond : highest;
    if (used > budget) {
        chosen = std::min(chosen, affordable);
    } else if (used < budget * RoomBelow && m_framesPerSecond > 0) {
        int const rise = std::max(1, int(m_framesPerSecond * LargestRise));
        chosen = std::max(chosen, std::min(affordable, m_framesPerSecond + rise));
    }
    chosen = std::clamp(chosen, LowestFramesPerSecond, highest);
    int const next = chosen >= highest ? 0 : chosen;
    if (next == m_framesPerSecond)
        return;
    m_framesPerSecond = next;
    // The minute measured so far was at the old rate.
    m_samples.clear();
    if (m_messages == nullptr)
        return;
    if (next > 0)
        m_messages->Write(
            "CPU budget %d %%: %d frames per second (used %.0f %% at %.1f frames per second over %.0f s)",
            m_percent, next, used * PerCent, drawn, seconds);
    else
        m_messages->Write(
            "CPU budget %d %%: no limit needed (used %.0f %% at %.1f frames per second over %.0f s)",
            m_percent, used * PerCent, drawn, seconds);
}
