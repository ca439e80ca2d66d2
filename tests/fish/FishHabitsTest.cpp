#include "FishFixture.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "FishHabits.h"
#include "FishRhythm.h"
#include "input/Controls.h"

namespace
{
constexpr unsigned int FKey = 0x21, LeftButton = SControlsState::KeyCount;
constexpr float Step = 1.0f / 30.0f;
constexpr float Night = 3.0f, Dawn = 7.0f, Noon = 12.0f, Dusk = 19.0f;

// Ten "Reef" fish in the tank's main area, on a scripted clock and hour.
class FishHabitsTest : public FishFixture
{
protected:
    void CreateSchool()
    {
        UseReefOnly({{2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}});
        SetAreas({{{-11.0f, -9.0f, -0.8f}, {11.0f, 7.0f, 8.5f}}});
        school.Create(&engine, camera, 2026, 0.0f);
        ASSERT_EQ(school.GetFishesCount(), 10u);
    }

    template <typename Check> void Swim(float seconds, Check check)
    {
        float const end = m_now + seconds;
        for (m_now += Step; m_now <= end; m_now += Step) {
            school.Refresh(m_now, Step);
            check();
        }
    }
    void Swim(float seconds)
    {
        Swim(seconds, [] {});
    }

    float Distance(unsigned int fish, CVector3 const& point)
    {
        return (school.GetFish(fish)->GetPosition() - point).GetLength();
    }

    // Mean height and speed of the fish the rhythm lets rest, over `seconds` after a minute
    // at `hour`.
    std::pair<float, float> RestingHeightAndSpeed(float hour, float seconds)
    {
        school.SetHour(hour);
        Swim(60.0f);
        float height = 0.0f, speed = 0.0f;
        int samples = 0;
        Swim(seconds, [&] {
            for (unsigned int i = 0; i < school.GetFishesCount(); ++i) {
                if (!CFishRhythm::RestsAt(i, school.GetFishesCount(), 1.0f))
                    continue;
                height += school.GetFish(i)->GetPosition().z;
                speed += school.GetFish(i)->GetSpeed();
                ++samples;
            }
        });
        return {height / static_cast<float>(samples), speed / static_cast<float>(samples)};
    }

    // Presses a key or mouse button (by its index in the controls' state) for one frame.
    void Press(unsigned int index)
    {
        SControlsState* state = engine.GetControls()->GetControlsState();
        state->previousState[index] = 0;
        state->currentState[index] = 1;
        Swim(Step);
        state->currentState[index] = 0;
    }

    float m_now = 0.0f;
    // The program's feeding settings.
    char feedKey[SConfigCommand::TextLength] = {};
    bool feedOnClick = false;
};

TEST_F(FishHabitsTest, MostFishRestAtNightAndNoneByDayOrAtDawnAndDusk)
{
    CreateSchool();
    auto restingAt = [&](float hour) {
        school.SetHour(hour);
        Swim(Step);
        unsigned int resting = 0;
        for (unsigned int i = 0; i < school.GetFishesCount(); ++i)
            resting += school.GetHabits()->GetRhythm().IsResting(i) ? 1u : 0u;
        return resting;
    };
    EXPECT_GE(restingAt(Night), 7u);
    EXPECT_LT(restingAt(Night), 10u); // one in a few stays up
    EXPECT_EQ(restingAt(Dawn), 0u);
    EXPECT_EQ(restingAt(Noon), 0u);
    EXPECT_EQ(restingAt(Dusk), 0u);
}

TEST_F(FishHabitsTest, RestingFishSwimLowerAndSlowerAtNightThanAtNoon)
{
    CreateSchool();
    auto const [dayHeight, daySpeed] = RestingHeightAndSpeed(Noon, 30.0f);
    auto const [nightHeight, nightSpeed] = RestingHeightAndSpeed(Night, 30.0f);
    EXPECT_LT(nightHeight, dayHeight - 1.0f);
    EXPECT_LT(nightSpeed, daySpeed * 0.6f);
}

TEST_F(FishHabitsTest, FoodClickedAtAPointDrawsTheThreeNearestFishWithinSeconds)
{
    CreateSchool();
    Swim(5.0f);
    CVector3 const food(0.0f, CFishHabits::DropDepth, 5.0f);
    // The pointer's ray from in front of the glass through the point.
    CVector3 const eye(1.0f, -18.3f, 3.0f);
    ASSERT_TRUE(
        school.GetHabits()->DropAlong(CRay(eye, food - eye), *school.GetArea(0), school.GetSpreadRandom()));
    ASSERT_EQ(school.GetHabits()->GetFood().GetFlakesCount(), CFishFood::FlakesPerDrop);

    std::vector<unsigned int> order(school.GetFishesCount());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [&](unsigned int a, unsigned int b) { return Distance(a, food) < Distance(b, food); });
    std::vector<float> before;
    for (unsigned int i = 0; i < 3; ++i)
        before.push_back(Distance(order[i], food));
    std::vector<bool> fed(3, false);
    std::vector<float> closest = before;
    Swim(5.0f, [&] {
        for (unsigned int i = 0; i < 3; ++i) {
            fed[i] = fed[i] || school.GetHabits()->GetFood().IsFeeding(order[i]);
            closest[i] = std::min(closest[i], Distance(order[i], food));
        }
    });
    for (unsigned int i = 0; i < 3; ++i) {
        EXPECT_TRUE(fed[i]) << "fish " << order[i];
        EXPECT_LT(closest[i], std::max(before[i] - 1.0f, 2.0f)) << "fish " << order[i];
    }
}

TEST_F(FishHabitsTest, TheFeedingKeyDropsFoodAndAClickDoesWhereTheProgramAllowsIt)
{
    CreateSchool();
    CConfig* config = engine.GetConfig();
    config->CreateCommand(CFishHabits::FeedKeyVariable, CCT_STRING, false, false, feedKey, "F");
    config->CreateCommand(CFishHabits::FeedOnClickVariable, CCT_BOOL, true, false, &feedOnClick, "0");
    CFishFood const& food = school.GetHabits()->GetFood();
    Press(LeftButton);
    EXPECT_EQ(food.GetFlakesCount(), 0u);
    Press(FKey);
    EXPECT_EQ(food.GetFlakesCount(), CFishFood::FlakesPerDrop);
    feedOnClick = true;
    Press(LeftButton);
    EXPECT_EQ(food.GetFlakesCount(), 2 * CFishFood::FlakesPerDrop);
}

TEST_F(FishHabitsTest, EveryFlakeIsEatenOrOnTheSandWithinAMinute)
{
    CreateSchool();
    school.GetHabits()->DropAt(CVector3(-4.0f, -2.0f, 7.5f), school.GetSpreadRandom());
    school.GetHabits()->DropAt(CVector3(5.0f, 2.0f, 7.0f), school.GetSpreadRandom());
    Swim(60.0f);
    CFishFood const& food = school.GetHabits()->GetFood();
    EXPECT_GT(food.GetEatenCount(), 0u);
    for (unsigned int i = 0; i < food.GetFlakesCount(); ++i)
        EXPECT_TRUE(food.GetFlake(i).IsSettled()) << "flake " << i;
    // The feeders have gone back to their own ways.
    for (unsigned int i = 0; i < school.GetFishesCount(); ++i)
        EXPECT_FALSE(food.IsFeeding(i)) << "fish " << i;
}

TEST_F(FishHabitsTest, FishNearestThePointerComeToTheGlassAndAFastSweepStartlesThem)
{
    CreateSchool();
    Swim(3.0f);
    CVector3 const eye(0.0f, -18.3f, 3.0f);
    CFishAttention::SPointer pointer;
    pointer.over = true;
    pointer.position = CVector2(400.0f, 300.0f);
    pointer.ray = CRay(eye, CVector3(0.1f, 1.0f, 0.05f));
    school.GetHabits()->SetPointer(pointer);
    Swim(Step);
    CFishAttention const& attention = school.GetHabits()->GetAttention();
    CVector3 const look = attention.GetLookPoint();
    EXPECT_NEAR(look.y, school.GetArea(0)->GetMin().y + CFishAttention::GlassGap, 1e-4f);
    std::vector<unsigned int> lookers;
    for (unsigned int i = 0; i < school.GetFishesCount(); ++i) {
        if (attention.IsLooking(i))
            lookers.push_back(i);
    }
    ASSERT_EQ(lookers.size(), CFishAttention::LookersCount);
    std::vector<float> before;
    for (unsigned int fish : lookers)
        before.push_back(Distance(fish, look));
    std::vector<float> closest = before;
    Swim(10.0f, [&] {
        for (std::size_t i = 0; i < lookers.size(); ++i)
            closest[i] = std::min(closest[i], Distance(lookers[i], look));
    });
    for (std::size_t i = 0; i < lookers.size(); ++i)
        EXPECT_LT(closest[i], std::max(before[i] * 0.6f, 2.0f)) << "fish " << lookers[i];

    // A sweep of 300 pixels within one frame, over a looker.
    EXPECT_EQ(attention.GetStartlesCount(), 0u);
    pointer.position = CVector2(700.0f, 300.0f);
    pointer.ray = CRay(eye, school.GetFish(lookers[0])->GetPosition() - eye);
    school.GetHabits()->SetPointer(pointer);
    float const speed = school.GetFish(lookers[0])->GetSpeed();
    Swim(Step);
    EXPECT_GT(attention.GetStartlesCount(), 0u);
    EXPECT_GT(school.GetFish(lookers[0])->GetSpeed(), speed);
}

} // namespace
