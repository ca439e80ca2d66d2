#include "LocalDay.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/Config.h"

namespace
{
constexpr float SecondsPerHour = 3600.0f;
constexpr float MinutesPerHour = 60.0f;

float SmoothStep(float from, float to, float value)
{
    float const t = std::fmin(1.0f, std::fmax(0.0f, (value - from) / (to - from)));
    return t * t * (3.0f - 2.0f * t);
}
} // namespace

float CLocalDay::GetClockHour(std::time_t time)
{
    std::tm local{};
    if (!localtime_r(&time, &local))
        return DayHour;
    return static_cast<float>(local.tm_hour) + static_cast<float>(local.tm_min) / MinutesPerHour +
           static_cast<float>(local.tm_sec) / SecondsPerHour;
}

float CLocalDay::GetHour(char const* mode, float fixedHour, std::time_t now)
{
    if (fixedHour >= 0.0f && std::isfinite(fixedHour))
        return std::fmod(fixedHour, HoursPerDay);
    if (mode && std::strcmp(mode, DayMode) == 0)
        return DayHour;
    if (mode && std::strcmp(mode, NightMode) == 0)
        return NightHour;
    return GetClockHour(now);
}

float CLocalDay::GetHour(CConfig* config, std::time_t now)
{
    char const* fixedText = config->GetValue(HourVariable);
    float const fixedHour = *fixedText ? static_cast<float>(std::atof(fixedText)) : -1.0f;
    // The value text is overwritten by the next read.
    char mode[16] = {};
    std::strncpy(mode, config->GetValue(ModeVariable), sizeof mode - 1);
    return GetHour(mode, fixedHour, now);
}

float CLocalDay::GetDaylight(float hour)
{
    return SmoothStep(DawnStart, DawnEnd, hour) * (1.0f - SmoothStep(DuskStart, DuskEnd, hour));
}
