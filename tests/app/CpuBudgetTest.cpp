// The processor budget on a scripted clock and a scripted processor meter: each frame costs a
// set amount of processor time, and the frames come at the rate the budget chooses.
#include "CpuBudget.h"

#include <gtest/gtest.h>

namespace
{
constexpr int Ceiling = 60;
constexpr int BudgetPercent = 25;

class CpuBudgetTest : public ::testing::Test
{
protected:
    // Runs `seconds` of frames at the chosen rate (the ceiling while there is no limit), each
    // costing `frameCost` seconds of processor time at full size, less in proportion to the
    // pixels drawn at a smaller render scale.
    void Run(double seconds, double frameCost)
    {
        double const end = m_now + seconds;
        while (m_now < end) {
            int const rate = m_budget.GetFramesPerSecond() > 0 ? m_budget.GetFramesPerSecond() : Ceiling;
            m_now += 1.0 / rate;
            m_cpuSeconds += FrameCost(frameCost);
            m_budget.Update(m_now, m_cpuSeconds, Ceiling);
        }
    }

    double FrameCost(double fullSize) const
    {
        double const scale = m_costFollowsScale ? m_budget.GetRenderScale() : 1.0;
        return fullSize * scale * scale;
    }

    bool m_costFollowsScale = true;

    CCpuBudget m_budget;
    double m_now = 0.0;
    double m_cpuSeconds = 0.0;
};
} // namespace

TEST_F(CpuBudgetTest, RateFallsWhenOverTheBudgetAndRisesWhenThereIsRoom)
{
    constexpr double DearFrame = 0.020;  // 60 frames a second would use 120 % of a core
    constexpr double CheapFrame = 0.002; // 60 frames a second use 12 %
    m_budget.SetBudget(BudgetPercent);

    // The scale falls to its floor first, then the rate.
    Run(CCpuBudget::DecisionInterval * 3, DearFrame);
    EXPECT_FLOAT_EQ(m_budget.GetRenderScale(), CCpuBudget::LowestRenderScale);
    int const lowered = m_budget.GetFramesPerSecond();
    EXPECT_GT(lowered, 0);
    EXPECT_LE(lowered * FrameCost(DearFrame), BudgetPercent / 100.0);
    // It stays within the budget over a minute, without falling further.
    Run(CCpuBudget::WindowSeconds, DearFrame);
    EXPECT_EQ(m_budget.GetFramesPerSecond(), lowered);

    Run(CCpuBudget::WindowSeconds, CheapFrame);
    EXPECT_EQ(m_budget.GetFramesPerSecond(), 0)
        << "no limit needed at " << CheapFrame * Ceiling * 100 << " %";
}

TEST_F(CpuBudgetTest, ScaleFallsBeforeTheRateAndComesBackAfterIt)
{
    constexpr double FrameOverByAThird = 0.0055; // 60 frames a second use 33 % at full size
    constexpr double CheapFrame = 0.002;
    m_budget.SetBudget(BudgetPercent);

    // Drawing smaller is enough: the rate stays unlimited.
    Run(CCpuBudget::DecisionInterval * 2, FrameOverByAThird);
    float const lowered = m_budget.GetRenderScale();
    EXPECT_LT(lowered, 1.0f);
    EXPECT_GT(lowered, CCpuBudget::LowestRenderScale);
    EXPECT_EQ(m_budget.GetFramesPerSecond(), 0);
    Run(CCpuBudget::WindowSeconds, FrameOverByAThird);
    EXPECT_FLOAT_EQ(m_budget.GetRenderScale(), lowered) << "within the budget it stays";

    Run(CCpuBudget::WindowSeconds, CheapFrame);
    EXPECT_FLOAT_EQ(m_budget.GetRenderScale(), 1.0f);
    EXPECT_EQ(m_budget.GetFramesPerSecond(), 0);
}

TEST_F(CpuBudgetTest, ScaleThatSavesNothingIsUndoneAndTheRateFallsInstead)
{
    constexpr double DearFrame = 0.020;
    m_costFollowsScale = false; // stretching the smaller frame costs what drawing it saves
    m_budget.SetBudget(BudgetPercent);

    Run(CCpuBudget::DecisionInterval * 3, DearFrame);
    EXPECT_FLOAT_EQ(m_budget.GetRenderScale(), 1.0f);
    int const lowered = m_budget.GetFramesPerSecond();
    EXPECT_GT(lowered, 0);
    EXPECT_LE(lowered * DearFrame, BudgetPercent / 100.0);
    Run(CCpuBudget::WindowSeconds, DearFrame);
    EXPECT_FLOAT_EQ(m_budget.GetRenderScale(), 1.0f) << "not tried again";
    EXPECT_EQ(m_budget.GetFramesPerSecond(), lowered);
}
