#include "ScriptedClock.h"

#include "core/Timer.h"

#include <gtest/gtest.h>

namespace
{
class TimerTest : public testing::TestWithParam<bool>
{
protected:
    bool HighResolution() const { return GetParam(); }

    ScriptedClock clock;
};

TEST_P(TimerTest, ReadsTheTimeSinceItsStart)
{
    CTimer timer;
    EXPECT_TRUE(timer.IsFree());
    timer.Create(3.0f, HighResolution(), clock);
    EXPECT_FALSE(timer.IsFree());
    EXPECT_EQ(timer.IsHighResolution(), HighResolution());
    EXPECT_FLOAT_EQ(timer.GetTime(), 3.0f);
    clock.AdvanceMilliseconds(1500);
    EXPECT_FLOAT_EQ(timer.GetTime(), 4.5f);
    timer.SetTime(0.25f);
    EXPECT_FLOAT_EQ(timer.GetTime(), 0.25f);
    clock.AdvanceMilliseconds(250);
    EXPECT_FLOAT_EQ(timer.GetTime(), 0.5f);
    timer.Destroy();
    EXPECT_TRUE(timer.IsFree());
}

TEST_P(TimerTest, PausedTimeIsLeftOut)
{
    CTimer running;
    CTimer paused;
    running.Create(0.0f, HighResolution(), clock);
    paused.Create(0.0f, HighResolution(), clock);
    clock.AdvanceMilliseconds(2000);

    paused.Pause(true);
    EXPECT_TRUE(paused.IsPaused());
    clock.AdvanceMilliseconds(3000);
    paused.Pause(true); // no change: the pause keeps its start
    clock.AdvanceMilliseconds(2000);
    EXPECT_FLOAT_EQ(paused.GetTime(), 2.0f);
    paused.Pause(false);
    EXPECT_FALSE(paused.IsPaused());
    paused.Pause(false); // no change
    clock.AdvanceMilliseconds(1000);

    EXPECT_FLOAT_EQ(running.GetTime(), 8.0f);
    EXPECT_FLOAT_EQ(paused.GetTime(), 3.0f);
}

TEST_P(TimerTest, SetTimeOnAPausedTimerRunsItFromTheNewTime)
{
    CTimer timer;
    timer.Create(1.0f, HighResolution(), clock);
    timer.Pause(true);
    clock.AdvanceMilliseconds(4000);
    timer.SetTime(10.0f);
    EXPECT_FALSE(timer.IsPaused());
    EXPECT_FLOAT_EQ(timer.GetTime(), 10.0f);
    clock.AdvanceMilliseconds(500);
    EXPECT_FLOAT_EQ(timer.GetTime(), 10.5f);
}

TEST_P(TimerTest, CopyReadsTheSameClock)
{
    CTimer timer;
    timer.Create(2.0f, HighResolution(), clock);
    CTimer copy(timer);
    clock.AdvanceMilliseconds(100);
    EXPECT_FLOAT_EQ(copy.GetTime(), 2.1f);
}

INSTANTIATE_TEST_SUITE_P(BothClocks, TimerTest, testing::Bool(),
                         [](testing::TestParamInfo<bool> const& info) {
                             return info.param ? "HighResolution" : "Milliseconds";
                         });

TEST(MillisecondTimer, SetTimeTruncatesToWholeMilliseconds)
{
    ScriptedClock clock;
    CTimer timer;
    timer.Create(0.0029f, false, clock);
    EXPECT_FLOAT_EQ(timer.GetTime(), 0.002f);
}

TEST(MillisecondTimer, SurvivesTheClockWrappingAround)
{
    ScriptedClock clock;
    clock.tick = 0xFFFFFF00u;
    CTimer timer;
    timer.Create(1.0f, false, clock);
    clock.AdvanceMilliseconds(0x200); // the tick wraps past zero
    EXPECT_FLOAT_EQ(timer.GetTime(), 1.512f);
    timer.Pause(true);
    clock.AdvanceMilliseconds(0x100);
    timer.Pause(false);
    EXPECT_FLOAT_EQ(timer.GetTime(), 1.512f);
}

TEST(HighResolutionTimer, FallsBackToTheMillisecondClockWithoutACounter)
{
    ScriptedClock clock;
    clock.frequency = 0;
    CTimer timer;
    timer.Create(0.0f, true, clock);
    EXPECT_FALSE(timer.IsHighResolution());
    clock.tick += 750;
    EXPECT_FLOAT_EQ(timer.GetTime(), 0.75f);
}

TEST(HighResolutionTimer, KeepsFrameSizedStepsAfterDaysOfRunning)
{
    ScriptedClock clock;
    CTimer timer;
    timer.Create(0.0f, true, clock);
    clock.AdvanceCounts(3 * 86400 * clock.frequency);
    double const before = timer.GetPreciseTime();
    clock.AdvanceCounts(clock.frequency / 60);
    EXPECT_NEAR(timer.GetPreciseTime() - before, 1.0 / 60.0, 1e-6);
}

TEST(SystemClockTimer, RunsForward)
{
    for (bool const highResolution : {false, true}) {
        CTimer timer;
        timer.Create(5.0f, highResolution);
        float const first = timer.GetTime();
        EXPECT_GE(first, 5.0f);
        EXPECT_LT(first, 6.0f);
        EXPECT_GE(timer.GetTime(), first);
    }
}
} // namespace
