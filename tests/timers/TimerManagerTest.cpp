#include "ScriptedClock.h"

#include "core/Timer.h"
#include "core/TimerManager.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
class TimerManagerTest : public testing::Test
{
protected:
    void SetUp() override { timers.Create(clock); }

    // One frame of `milliseconds` on the clock the frame clock reads.
    void RunFrame(std::uint32_t milliseconds)
    {
        clock.AdvanceMilliseconds(milliseconds);
        timers.Refresh();
    }

    ScriptedClock clock;
    CTimerManager timers;
};

TEST_F(TimerManagerTest, CreateRequestsTheMinimumTimerPeriodAndDestroyEndsIt)
{
    EXPECT_FALSE(timers.IsFree());
    EXPECT_EQ(clock.begunPeriods, std::vector<std::uint32_t>{1});
    EXPECT_EQ(timers.GetTimersCount(), 1u); // the frame clock
    EXPECT_FLOAT_EQ(timers.GetElapsedTime(), 0.0f);
    EXPECT_EQ(timers.GetFps(), 0);
    EXPECT_EQ(timers.GetFrame(), 0);

    timers.Destroy();
    EXPECT_TRUE(timers.IsFree());
    EXPECT_EQ(clock.endedPeriods, std::vector<std::uint32_t>{1});
    EXPECT_EQ(timers.GetTimersCount(), 0u);
    timers.Destroy();
    EXPECT_EQ(clock.endedPeriods.size(), 1u);
}

TEST_F(TimerManagerTest, FrameClockUsesTheMillisecondClockWhenTheMultimediaTimerWorks)
{
    clock.AdvanceCounts(123456); // the counter alone does not move the frame clock
    EXPECT_FLOAT_EQ(timers.GetTime(), 0.0f);
    clock.tick += 400;
    EXPECT_FLOAT_EQ(timers.GetTime(), 0.4f);
}

TEST(TimerManagerWithoutMultimediaTimer, FrameClockUsesTheCounterAndNoPeriodIsRequested)
{
    ScriptedClock clock;
    clock.multimediaTimer = false;
    CTimerManager timers;
    timers.Create(clock);
    clock.tick += 5000; // the millisecond clock alone does not move the frame clock
    EXPECT_FLOAT_EQ(timers.GetTime(), 0.0f);
    clock.AdvanceCounts(clock.frequency / 4);
    EXPECT_FLOAT_EQ(timers.GetTime(), 0.25f);
    timers.Destroy();
    EXPECT_TRUE(clock.begunPeriods.empty());
    EXPECT_TRUE(clock.endedPeriods.empty());
}

TEST_F(TimerManagerTest, ElapsedTimeIsClampedToATenthOfASecondAndAboveZero)
{
    RunFrame(50);
    EXPECT_FLOAT_EQ(timers.GetElapsedTime(), 0.05f);
    RunFrame(2000);
    EXPECT_FLOAT_EQ(timers.GetElapsedTime(), 0.1f);
    RunFrame(0);
    EXPECT_FLOAT_EQ(timers.GetElapsedTime(), 0.0001f);
    RunFrame(100);
    EXPECT_FLOAT_EQ(timers.GetElapsedTime(), 0.1f);
}

TEST_F(TimerManagerTest, GetTimeReadsTheClockNowNotAtTheLastRefresh)
{
    RunFrame(30);
    clock.AdvanceMilliseconds(20);
    EXPECT_FLOAT_EQ(timers.GetTime(), 0.05f);
    EXPECT_FLOAT_EQ(timers.GetElapsedTime(), 0.03f);
}

TEST_F(TimerManagerTest, APausedFrameClockLeavesThePauseOutOfTimeAndTheNextFrame)
{
    RunFrame(30);
    timers.PauseFrameClock(true);
    clock.AdvanceMilliseconds(5000);
    timers.PauseFrameClock(false);
    RunFrame(20);
    EXPECT_FLOAT_EQ(timers.GetElapsedTime(), 0.02f);
    EXPECT_FLOAT_EQ(timers.GetTime(), 0.05f);
}

TEST_F(TimerManagerTest, FpsCountsTheFramesThatFillASecondAndCarriesTheRest)
{
    for (int i = 0; i < 3; ++i) {
        RunFrame(250);
        EXPECT_EQ(timers.GetFrame(), i + 1);
        EXPECT_EQ(timers.GetFps(), 0);
    }
    RunFrame(250);
    EXPECT_EQ(timers.GetFps(), 4);
    EXPECT_EQ(timers.GetFrame(), 0);

    // 0.3 s frames: four reach 1.2 s, 0.2 s carries over, so three more reach 1.1 s.
    for (int i = 0; i < 4; ++i) {
        RunFrame(300);
    }
    EXPECT_EQ(timers.GetFps(), 4);
    for (int i = 0; i < 2; ++i) {
        RunFrame(300);
    }
    EXPECT_EQ(timers.GetFrame(), 2);
    RunFrame(300);
    EXPECT_EQ(timers.GetFps(), 3);
    EXPECT_EQ(timers.GetFrame(), 0);
}

TEST_F(TimerManagerTest, LongFrameCountsItsFullLengthTowardsFps)
{
    RunFrame(2500); // loading: the clamp does not shorten the second
    EXPECT_EQ(timers.GetFps(), 1);
    EXPECT_FLOAT_EQ(timers.GetElapsedTime(), 0.1f);
    // Only the part of a second carries over (0.5 s): the next frames are counted again
    // rather than each completing a second of its own.
    RunFrame(10);
    EXPECT_EQ(timers.GetFps(), 1);
    EXPECT_EQ(timers.GetFrame(), 1);
}

TEST(TimerManagerAtSixtyFps, ReportsAboutSixty)
{
    ScriptedClock clock;
    clock.multimediaTimer = false;
    clock.frequency = 600000;
    CTimerManager timers;
    timers.Create(clock);
    for (int frame = 0; frame < 600; ++frame) {
        clock.AdvanceCounts(clock.frequency / 60);
        timers.Refresh();
        EXPECT_NEAR(timers.GetElapsedTime(), 1.0f / 60.0f, 1e-5f);
    }
    EXPECT_GE(timers.GetFps(), 59);
    EXPECT_LE(timers.GetFps(), 61);
}

TEST(TimerManagerAfterDays, FrameStepsKeepTheirLength)
{
    ScriptedClock clock;
    CTimerManager timers;
    timers.Create(clock);
    clock.tick += 3u * 86400u * 1000u;
    timers.Refresh();
    for (int frame = 0; frame < 10; ++frame) {
        clock.tick += 17;
        timers.Refresh();
        EXPECT_NEAR(timers.GetElapsedTime(), 0.017f, 1e-5f);
    }
}

TEST_F(TimerManagerTest, AddedTimersRunOnTheManagersClockAndAreRemovedOnce)
{
    CTimer* const load = timers.AddTimer(0.0f, false);
    CTimer* const precise = timers.AddTimer(2.0f, true);
    ASSERT_NE(load, nullptr);
    ASSERT_NE(precise, nullptr);
    EXPECT_EQ(timers.GetTimersCount(), 3u);
    EXPECT_TRUE(precise->IsHighResolution());
    clock.AdvanceMilliseconds(500);
    EXPECT_FLOAT_EQ(load->GetTime(), 0.5f);
    EXPECT_FLOAT_EQ(precise->GetTime(), 2.5f);

    timers.RemoveTimer(load);
    EXPECT_EQ(timers.GetTimersCount(), 2u);
    timers.RemoveTimer(load); // no longer owned: ignored
    timers.RemoveTimer(nullptr);
    CTimer stranger;
    timers.RemoveTimer(&stranger);
    EXPECT_EQ(timers.GetTimersCount(), 2u);

    CTimer* const reused = timers.AddTimer(1.0f, false);
    EXPECT_FLOAT_EQ(reused->GetTime(), 1.0f);
    EXPECT_EQ(timers.GetTimersCount(), 3u);
    RunFrame(40); // the frame clock has run since Create, untouched by the others
    EXPECT_FLOAT_EQ(timers.GetElapsedTime(), 0.1f);
    EXPECT_FLOAT_EQ(timers.GetTime(), 0.54f);
}

TEST_F(TimerManagerTest, CreateAgainStartsFresh)
{
    timers.AddTimer(0.0f, false);
    RunFrame(1000);
    timers.Create(clock);
    EXPECT_EQ(timers.GetTimersCount(), 1u);
    EXPECT_EQ(timers.GetFps(), 0);
    EXPECT_FLOAT_EQ(timers.GetElapsedTime(), 0.0f);
    EXPECT_EQ(clock.begunPeriods.size(), 2u);
    EXPECT_EQ(clock.endedPeriods.size(), 1u);
}

TEST(TimerManagerOnTheSystemClock, MeasuresFrames)
{
    CTimerManager timers;
    timers.Create();
    timers.Refresh();
    EXPECT_GE(timers.GetElapsedTime(), CTimerManager::MinimumElapsedTime);
    EXPECT_LE(timers.GetElapsedTime(), CTimerManager::MaximumElapsedTime);
    EXPECT_GE(timers.GetTime(), 0.0f);
}
} // namespace
