#include "PowerSaving.h"

#include "core/MessageManager.h"

EPowerSaving CPowerSaving::ParseMode(std::string_view text)
{
    if (text == "pause")
        return EPowerSaving::Pause;
    if (text == "off")
        return EPowerSaving::Unchanged;
    return EPowerSaving::Slow;
}

int CPowerSaving::GetFramesPerSecond() const
{
    return IsSaving() && m_mode == EPowerSaving::Slow ? SlowFramesPerSecond : 0;
}

void CPowerSaving::Update(platform::PowerState const& state)
{
    m_state = state;
    bool const paused = IsPaused();
    int const framesPerSecond = GetFramesPerSecond();
    if (paused == m_paused && framesPerSecond == m_framesPerSecond)
        return;
    m_paused = paused;
    m_framesPerSecond = framesPerSecond;
    Report();
}

void CPowerSaving::Report() const
{
    if (m_messages == nullptr)
        return;
    char const* reason = m_state.onBattery ? "on battery" : "power-saver profile";
    if (m_paused)
        m_messages->Write("Power saving (%s): the wallpaper pauses", reason);
    else if (m_framesPerSecond > 0)
        m_messages->Write("Power saving (%s): at most %d frames per second", reason, m_framesPerSecond);
    else
        m_messages->Write("Power saving ended: the usual frame rate");
}
