#pragma once

#include "platform/os/PowerWatch.h"

#include <string_view>

class CMessageManager;

// What the wallpaper does on battery or under the power-saver profile ("g_power_saving").
enum class EPowerSaving
{
    Pause,     // "pause": draws nothing until the computer is plugged in again
    Slow,      // "slow": at most SlowFramesPerSecond
    Unchanged, // "off": as on line power
};

// Lowers the wallpaper's frame rate while the computer saves power, and says so in the log once
// per change.
class CPowerSaving
{
public:
    static constexpr int SlowFramesPerSecond = 15;
    static constexpr char const* DefaultModeText = "slow";

    // The setting's text; anything unknown is the default.
    static EPowerSaving ParseMode(std::string_view text);

    void SetMode(EPowerSaving mode) { m_mode = mode; }
    void SetMessages(CMessageManager* messages) { m_messages = messages; }

    // Takes the power state in; logs when what it asks for changes.
    void Update(platform::PowerState const& state);

    bool IsSaving() const { return m_state.onBattery || m_state.powerSaver; }
    bool IsPaused() const { return IsSaving() && m_mode == EPowerSaving::Pause; }
    // The frame rate ceiling it asks for; 0 for none.
    int GetFramesPerSecond() const;

private:
    void Report() const;

    EPowerSaving m_mode = EPowerSaving::Slow;
    CMessageManager* m_messages = nullptr;
    platform::PowerState m_state;
    bool m_paused = false;
    int m_framesPerSecond = 0;
};
