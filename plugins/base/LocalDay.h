#pragma once

#include <ctime>

class CConfig;

// The hour of the day the tank shows, shared by every plug-in so that the light, the fish and
// the plankton keep the same day: the local clock, or always day, or always night.
// "g_day_mode" is "clock", "day" or "night"; "g_day_hour" (0 to 24, negative for none) fixes
// the hour over the mode, for a run that must show a given time.
class CLocalDay
{
public:
    static constexpr char const* ModeVariable = "g_day_mode";
    static constexpr char const* HourVariable = "g_day_hour";
    static constexpr char const* ClockMode = "clock";
    static constexpr char const* DayMode = "day";
    static constexpr char const* NightMode = "night";
    static constexpr float HoursPerDay = 24.0f;
    // The hours "always day" and "always night" show.
    static constexpr float DayHour = 12.5f;
    static constexpr float NightHour = 1.5f;
    // Daylight rises from nothing to full between these hours of the morning and falls between
    // those of the evening.
    static constexpr float DawnStart = 5.0f, DawnEnd = 7.5f;
    static constexpr float DuskStart = 18.5f, DuskEnd = 21.0f;

    // Local hour of `time`, from 0 up to 24.
    static float GetClockHour(std::time_t time);
    // The hour shown for a mode (unknown modes follow the clock) and a fixed hour (negative:
    // none), at `now`.
    static float GetHour(char const* mode, float fixedHour, std::time_t now);
    // The same from the configuration's variables.
    static float GetHour(CConfig* config, std::time_t now);
    // How much of the day's light is up at `hour`: 0 by night, 1 by day, easing between.
    static float GetDaylight(float hour);
};
