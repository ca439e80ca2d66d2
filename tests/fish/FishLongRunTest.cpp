#include "FishFixture.h"

#include "timers/ScriptedClock.h"

// Sixty days of aquarium frames on a scripted clock, warped forward a day at a time: past the
// day a 32-bit millisecond count would wrap, the frame clock, the frame figures and the
// school's re-planning and speed changes carry on as on the first day.
namespace
{
constexpr std::uint32_t DayMilliseconds = 86400u * 1000u;
constexpr std::uint32_t FrameMilliseconds = 20; // 50 frames per second
constexpr int Days = 60;
constexpr int FramesPerDay = 20;
constexpr int FinalFrames = 50 * 30; // half a minute on the last day

class FishLongRunTest : public FishFixture
{
protected:
    void SetUp() override
    {
        settings.clock = &clock;
        FishFixture::SetUp();
        if (HasFatalFailure())
            return;
        SetAreas(
            {{{-10.5f, -8.0f, -1.0f}, {10.5f, 0.0f, 6.0f}}, {{-7.0f, -6.0f, 0.5f}, {7.0f, -1.0f, 4.5f}}});
    }

    // One frame of the wallpaper's loop as far as the school is concerned.
    void RunFrame(std::uint32_t milliseconds)
    {
        clock.AdvanceMilliseconds(milliseconds);
        engine.BeginFrame();
        CTimerManager* timers = engine.GetTimerManager();
        school.RefreshOnClock(timers->GetPreciseTime(), timers->GetElapsedTime());
        engine.FinishFrame();
    }

    // Fish whose target cell or next speed change differs from the snapshot.
    struct SPlans
    {
        std::vector<vec3i> targets;
        std::vector<float> speedChanges;
    };
    SPlans TakePlans()
    {
        SPlans plans;
        for (unsigned int i = 0; i < school.GetFishesCount(); ++i) {
            plans.targets.push_back(school.GetFish(i)->GetTargetCell());
            plans.speedChanges.push_back(school.GetFish(i)->GetNextSpeedChange());
        }
        return plans;
    }

    ScriptedClock clock;
};
} // namespace

TEST_F(FishLongRunTest, SchoolAndFrameFiguresCarryOnAfterSixtyDays)
{
    CTimerManager* timers = engine.GetTimerManager();
    double const start = timers->GetPreciseTime();
    school.Create(&engine, camera, 20261208u, timers->GetTime());
    ASSERT_EQ(school.GetFishesCount(), 10u);

    unsigned int replans = 0;
    unsigned int speedChanges = 0;
    auto countChanges = [&](SPlans const& before, SPlans const& after) {
        for (unsigned int i = 0; i < school.GetFishesCount(); ++i) {
            vec3i const& a = before.targets[i];
            vec3i const& b = after.targets[i];
            replans += a.x != b.x || a.y != b.y || a.z != b.z ? 1u : 0u;
            speedChanges += before.speedChanges[i] != after.speedChanges[i] ? 1u : 0u;
        }
    };
    for (int day = 1; day <= Days; ++day) {
        clock.AdvanceMilliseconds(DayMilliseconds - FramesPerDay * FrameMilliseconds);
        for (int frame = 0; frame < FramesPerDay; ++frame) {
            SPlans const before = TakePlans();
            RunFrame(FrameMilliseconds);
            if (day > 50)
                countChanges(before, TakePlans());
        }
    }
    // Each warped day changes every fish's speed pattern; a stalled school changes none.
    EXPECT_GE(speedChanges, 10u * (Days - 50));

    replans = 0;
    speedChanges = 0;
    for (int frame = 0; frame < FinalFrames; ++frame) {
        SPlans const before = TakePlans();
        RunFrame(FrameMilliseconds);
        countChanges(before, TakePlans());
    }
    EXPECT_GE(replans, school.GetFishesCount());
    EXPECT_GE(speedChanges, school.GetFishesCount());

    double const expected = Days * 86400.0 + FinalFrames * FrameMilliseconds / 1000.0;
    EXPECT_NEAR(timers->GetPreciseTime() - start, expected, 1e-6);
    EXPECT_NEAR(timers->GetTime(), static_cast<float>(timers->GetPreciseTime()), 1.0f);
    EXPECT_NEAR(timers->GetElapsedTime(), FrameMilliseconds / 1000.0f, 1e-6f);
    EXPECT_EQ(timers->GetFps(), 50);
    EXPECT_LT(timers->GetFrame(), 50);
}
