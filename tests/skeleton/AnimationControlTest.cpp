#include "model/AnimationControl.h"
#include "core/TimerManager.h"
#include "platform/os/Clock.h"

#include <gtest/gtest.h>

namespace
{
AnimationControl MakeControl(unsigned int framesCount = 20)
{
    return AnimationControl(nullptr, nullptr, nullptr, framesCount);
}

void ExpectFrames(AnimationControl const& control, unsigned int start, unsigned int end, float t)
{
    EXPECT_EQ(control.GetStartFrame(), start);
    EXPECT_EQ(control.GetEndFrame(), end);
    EXPECT_NEAR(control.GetFrameTime(), t, 1e-5f);
}

// A looping cycle {10, 13} played at 2 frames per second.
AnimationControl MakeCycleTenToThirteen(bool loop)
{
    AnimationControl control = MakeControl();
    control.AddCycle(1, 10, 13);
    control.SetCycle(1);
    control.SetSpeed(2.0f);
    control.SetLoop(loop);
    control.Start();
    return control;
}
} // namespace

TEST(AnimationControl, StartsOnWholeModelCycleStopped)
{
    AnimationControl control = MakeControl(12);
    EXPECT_EQ(control.GetCycleID(), AnimationControl::WholeModelCycle);
    EXPECT_EQ(control.GetCycle(AnimationControl::WholeModelCycle).startFrame, 0u);
    EXPECT_EQ(control.GetCycle(AnimationControl::WholeModelCycle).endFrame, 11u);
    EXPECT_EQ(control.GetFramesCount(), 12u);
    EXPECT_FALSE(control.IsPlaying());
    EXPECT_FALSE(control.IsLooped());
    EXPECT_EQ(control.GetSpeed(), 0.0f);
    ExpectFrames(control, 0, 0, 0.0f);
}

TEST(AnimationControl, LoopingCycleBlendsAndWraps)
{
    AnimationControl control = MakeCycleTenToThirteen(true);
    control.Advance(0.5f);
    ExpectFrames(control, 11, 12, 0.0f);
    EXPECT_FLOAT_EQ(control.GetTime(), 1.0f);

    control.Advance(1.1f);
    // 3.2 frames wrap by the three frame steps of the cycle to 0.2.
    EXPECT_NEAR(control.GetTime(), 0.2f, 1e-5f);
    ExpectFrames(control, 10, 11, 0.2f);
    EXPECT_TRUE(control.IsPlaying());
}

TEST(AnimationControl, LoopingCycleReachesLastFrameOnlyAsBlendTarget)
{
    AnimationControl control = MakeCycleTenToThirteen(true);
    control.Advance(1.25f);
    ExpectFrames(control, 12, 13, 0.5f);
    control.Advance(0.25f);
    ExpectFrames(control, 10, 11, 0.0f);
}

TEST(AnimationControl, LoopingCycleWrapsManyTimesInOneStep)
{
    AnimationControl control = MakeCycleTenToThirteen(true);
    control.SetTime(301.5f);
    control.Advance(0.0f);
    EXPECT_NEAR(control.GetTime(), 1.5f, 1e-4f);
    ExpectFrames(control, 11, 12, 0.5f);
}

TEST(AnimationControl, NonLoopingCycleStopsOnItsLastFrame)
{
    AnimationControl control = MakeCycleTenToThirteen(false);
    control.Advance(1.4f);
    ExpectFrames(control, 12, 13, 0.8f);
    EXPECT_TRUE(control.IsPlaying());

    control.Advance(0.1f);
    ExpectFrames(control, 13, 10, 0.0f);
    EXPECT_FALSE(control.IsPlaying());
    EXPECT_FLOAT_EQ(control.GetTime(), 3.0f);

    control.Advance(5.0f);
    ExpectFrames(control, 13, 10, 0.0f);
    EXPECT_FLOAT_EQ(control.GetTime(), 3.0f);
}

TEST(AnimationControl, OneFrameCycle)
{
    AnimationControl looping = MakeControl();
    looping.AddCycle(4, 7, 7);
    looping.SetCycle(4);
    looping.SetLoop(true);
    looping.SetSpeed(1.0f);
    looping.Start();
    looping.Advance(2.75f);
    ExpectFrames(looping, 7, 7, 0.75f);

    AnimationControl once = MakeControl();
    once.AddCycle(4, 7, 7);
    once.SetCycle(4);
    once.SetSpeed(1.0f);
    once.Start();
    once.Advance(0.3f);
    ExpectFrames(once, 7, 7, 0.0f);
    EXPECT_FALSE(once.IsPlaying());
    EXPECT_EQ(once.GetTime(), 0.0f);
}

TEST(AnimationControl, UnknownCycleIsAddedAsFrameZero)
{
    AnimationControl control = MakeControl();
    control.SetCycle(99);
    control.SetLoop(true);
    control.SetSpeed(5.0f);
    control.Start();
    control.Advance(0.5f);
    ExpectFrames(control, 0, 0, 0.5f);
    EXPECT_EQ(control.GetCycle(99).startFrame, 0u);
    EXPECT_EQ(control.GetCycle(99).endFrame, 0u);
}

TEST(AnimationControl, RemovingCurrentCycleFallsBackToWholeModel)
{
    AnimationControl control = MakeCycleTenToThirteen(true);
    control.Advance(0.5f);
    control.RemoveCycle(1);
    EXPECT_EQ(control.GetCycleID(), AnimationControl::WholeModelCycle);
    EXPECT_EQ(control.GetTime(), 0.0f);
    control.Advance(0.25f);
    ExpectFrames(control, 0, 1, 0.5f);

    control.AddCycle(2, 3, 4);
    control.SetCycle(2);
    control.SetTime(0.5f);
    control.RemoveCycle(1);
    EXPECT_EQ(control.GetCycleID(), 2u);
    EXPECT_EQ(control.GetTime(), 0.5f);
}

TEST(AnimationControl, AddingAnExistingCycleKeepsItsRange)
{
    AnimationControl control = MakeControl();
    control.AddCycle(1, 10, 13);
    control.AddCycle(1, 2, 5);
    EXPECT_EQ(control.GetCycle(1).startFrame, 10u);
    EXPECT_EQ(control.GetCycle(1).endFrame, 13u);
    control.AddCycle(AnimationControl::WholeModelCycle, 3, 4);
    EXPECT_EQ(control.GetCycle(AnimationControl::WholeModelCycle).endFrame, 19u);
}

TEST(AnimationControl, PauseKeepsTimeStopRewinds)
{
    AnimationControl control = MakeCycleTenToThirteen(true);
    control.Advance(0.25f);
    control.Pause();
    control.Advance(1.0f);
    EXPECT_FLOAT_EQ(control.GetTime(), 0.5f);
    ExpectFrames(control, 10, 11, 0.5f);
    control.Start();
    control.Stop();
    EXPECT_FALSE(control.IsPlaying());
    EXPECT_EQ(control.GetTime(), 0.0f);
}

TEST(AnimationControl, CopiesAreIndependent)
{
    AnimationControl original = MakeCycleTenToThirteen(true);
    AnimationControl copy(original);
    copy.AddCycle(2, 0, 1);
    copy.Advance(0.5f);
    EXPECT_EQ(copy.GetCycle(1).endFrame, 13u);
    EXPECT_EQ(copy.GetStartFrame(), 11u);
    EXPECT_EQ(original.GetTime(), 0.0f);
    original = copy;
    EXPECT_EQ(original.GetCycle(2).endFrame, 1u);
    EXPECT_EQ(original.GetStartFrame(), 11u);
}

TEST(AnimationControl, EmptyRangesDoNotDivideByZero)
{
    AnimationControl noFrames = MakeControl(0);
    noFrames.SetLoop(true);
    noFrames.SetSpeed(3.0f);
    noFrames.Start();
    noFrames.Advance(1.0f);
    ExpectFrames(noFrames, 0, 0, 0.0f);

    AnimationControl reversed = MakeControl();
    reversed.AddCycle(1, 5, 4);
    reversed.SetCycle(1);
    reversed.SetLoop(true);
    reversed.Advance(0.0f);
    ExpectFrames(reversed, 5, 5, 0.0f);
}

namespace
{
class ScriptedClock : public platform::ClockSource
{
public:
    std::uint64_t GetTickMilliseconds() const override { return ticks; }
    std::int64_t GetPerformanceCounter() const override { return ticks; }
    std::int64_t GetPerformanceFrequency() const override { return 1000; }
    bool GetTimerMinimumPeriod(std::uint32_t& period) const override
    {
        period = 1;
        return true;
    }
    void BeginTimerPeriod(std::uint32_t) override {}
    void EndTimerPeriod(std::uint32_t) override {}

    std::uint32_t ticks = 1000;
};
} // namespace

TEST(AnimationControl, RefreshAdvancesByTheFrameTime)
{
    ScriptedClock clock;
    CTimerManager timers;
    timers.Create(clock);
    timers.Refresh();

    AnimationControl control(nullptr, nullptr, &timers, 20);
    control.SetSpeed(10.0f);
    control.SetLoop(true);
    control.Start();

    clock.ticks += 50;
    timers.Refresh();
    control.Refresh();
    EXPECT_NEAR(control.GetTime(), 10.0f * timers.GetElapsedTime(), 1e-5f);
    EXPECT_NEAR(control.GetTime(), 0.5f, 1e-3f);
    timers.Destroy();
}
