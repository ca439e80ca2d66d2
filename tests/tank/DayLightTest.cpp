#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "../../plugins/base/LocalDay.h"
#include "../../plugins/tank/DayLight.h"

namespace
{
constexpr float SecondsPerHour = 3600.0f;
// The most any colour of the light may change within one minute.
constexpr float MaxChangePerMinute = 0.015f;

float Components(SDayLight const& light, int index)
{
    CVector3 const* parts[] = {&light.sun, &light.ambient, &light.water, &light.lamp};
    return (*parts[index / 3])[index % 3];
}

TEST(DayLightTest, NightIsDimBlueDawnWarmNoonBrightestDuskRed)
{
    SDayLight const night = CDayLight::At(3.0f);
    SDayLight const dawn = CDayLight::At(7.0f);
    SDayLight const noon = CDayLight::At(12.0f);
    SDayLight const dusk = CDayLight::At(19.0f);
    float const brightest = CDayLight::GetBrightness(noon);

    EXPECT_LT(CDayLight::GetBrightness(night), brightest * 0.3f);
    EXPECT_GT(night.sun.z, night.sun.x);
    EXPECT_GT(night.ambient.z, night.ambient.x);
    EXPECT_GT(night.lamp.x + night.lamp.y + night.lamp.z, 0.1f) << "the tank's lamp is on";
    EXPECT_EQ(noon.lamp.x + noon.lamp.y + noon.lamp.z, 0.0f);

    EXPECT_GT(dawn.sun.x, dawn.sun.z) << "dawn warms the water";
    EXPECT_GT(CDayLight::GetBrightness(dawn), CDayLight::GetBrightness(night));
    EXPECT_LT(CDayLight::GetBrightness(dawn), brightest);

    EXPECT_GT(dusk.sun.x, dusk.sun.y);
    EXPECT_GT(dusk.sun.y, dusk.sun.z);
    EXPECT_LT(CDayLight::GetBrightness(dusk), brightest * 0.8f);
    for (float hour = 0.0f; hour < 24.0f; hour += 0.25f)
        EXPECT_LE(CDayLight::GetBrightness(CDayLight::At(hour)), brightest + 1e-5f) << hour;
}

TEST(DayLightTest, NoColourJumpsWithinAnyMinuteOfTheDay)
{
    // Every second of the day against the light of a minute before, across midnight too.
    float worst = 0.0f;
    for (int second = 0; second < 24 * 3600; ++second) {
        SDayLight const now = CDayLight::At(static_cast<float>(second) / SecondsPerHour);
        SDayLight const before =
            CDayLight::At(static_cast<float>((second + 24 * 3600 - 60) % (24 * 3600)) / SecondsPerHour);
        for (int component = 0; component < 12; ++component)
            worst = std::max(worst, std::abs(Components(now, component) - Components(before, component)));
    }
    EXPECT_LT(worst, MaxChangePerMinute);
    EXPECT_GT(worst, 0.0f);
}

TEST(DayLightTest, CausticsAreStrongAtNoonWeakerAtDawnAndDuskFaintAtNightAndNeverJump)
{
    auto const strength = [](float hour) { return CDayLight::GetCausticStrength(CDayLight::At(hour)); };
    EXPECT_NEAR(strength(12.0f), 1.0f, 1e-4f);
    EXPECT_NEAR(strength(3.0f), CDayLight::NightCaustics, 1e-4f);
    EXPECT_GT(CDayLight::NightCaustics, 0.0f) << "faint, not gone";
    for (float const twilight : {6.5f, 19.0f}) {
        EXPECT_GT(strength(twilight), strength(3.0f) + 0.1f) << twilight;
        EXPECT_LT(strength(twilight), 0.6f) << twilight;
    }
    float worst = 0.0f;
    for (int minute = 0; minute < 24 * 60; ++minute)
        worst = std::max(worst, std::abs(strength(static_cast<float>(minute + 1) / 60.0f) -
                                         strength(static_cast<float>(minute) / 60.0f)));
    EXPECT_LT(worst, MaxChangePerMinute);
}

TEST(DayLightTest, ModeFixesTheHourAndAFixedHourWinsOverIt)
{
    std::time_t const anyTime = 0;
    EXPECT_EQ(CLocalDay::GetHour("day", -1.0f, anyTime), CLocalDay::DayHour);
    EXPECT_EQ(CLocalDay::GetHour("night", -1.0f, anyTime), CLocalDay::NightHour);
    EXPECT_EQ(CLocalDay::GetHour("clock", -1.0f, anyTime), CLocalDay::GetClockHour(anyTime));
    EXPECT_EQ(CLocalDay::GetHour("night", 19.0f, anyTime), 19.0f);
    EXPECT_EQ(CLocalDay::GetDaylight(CLocalDay::DayHour), 1.0f);
    EXPECT_EQ(CLocalDay::GetDaylight(CLocalDay::NightHour), 0.0f);
}

} // namespace
