#include "FishFixture.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "FishRandom.h"
#include "FishRoute.h"
#include "FishShoal.h"
#include "model/Model.h"

namespace
{
constexpr float Step = 1.0f / 30.0f;
// Fish numbers of the generated "Reef" pack.
constexpr int Clownfish = 0;
constexpr int Angelfish = 1;
constexpr int NeonTetra = 2;

class FishBehaviourTest : public FishFixture
{
protected:
    // The "Reef" fish of the given numbers in one roomy area.
    void CreateSchool(std::vector<int> const& numbers)
    {
        std::vector<std::pair<int, int>> slots;
        for (int number : numbers)
            slots.emplace_back(2, number);
        UseReefOnly(slots);
        SetAreas({{{-10.0f, -8.0f, -1.0f}, {10.0f, 6.0f, 7.0f}}});
        school.Create(&engine, camera, 2024, 0.0f);
        ASSERT_EQ(school.GetFishesCount(), numbers.size());
    }

    // Runs the school for `seconds`, calling `check` after every step.
    template <typename Check> void Swim(float seconds, Check check)
    {
        for (float now = m_now + Step; now <= m_now + seconds; now += Step) {
            school.Refresh(now, Step);
            check(now);
        }
        m_now += seconds;
    }

    void Aim(unsigned int fish, CVector3 const& position, CVector3 const& heading)
    {
        school.GetFish(fish)->SetPosition(position);
        school.GetFish(fish)->SetHeading(heading);
    }

    // Mean distance of fish 1 and 2 to fish 0, their school's first fish.
    float MatesDistance()
    {
        CVector3 const& first = school.GetFish(0)->GetPosition();
        return ((school.GetFish(1)->GetPosition() - first).GetLength() +
                (school.GetFish(2)->GetPosition() - first).GetLength()) *
               0.5f;
    }

    float m_now = 0.0f;
};

TEST_F(FishBehaviourTest, TwoFishOnACollisionCourseKeepApart)
{
    CreateSchool({Clownfish, Angelfish});
    Aim(0, CVector3(-3.0f, -2.0f, 3.0f), CVector3(1.0f, 0.0f, 0.0f));
    Aim(1, CVector3(3.0f, -2.0f, 3.0f), CVector3(-1.0f, 0.0f, 0.0f));
    float closest = 1e9f;
    Swim(20.0f, [&](float) {
        // Both keep heading for each other's side of the tank.
        CVector3 direction;
        closest = std::min(closest, CFishShoal::GetGap(*school.GetFish(0), *school.GetFish(1), &direction));
    });
    EXPECT_GT(closest, 0.0f);
}

TEST_F(FishBehaviourTest, TailBeatRisesWithSpeedAndIsFasterForASlenderSpecies)
{
    CreateSchool({NeonTetra, Angelfish});
    CFish* tetra = school.GetFish(0);
    CFish* angelfish = school.GetFish(1);
    tetra->SetSpeed(0.2f);
    float const slow = tetra->GetTailBeatRate();
    tetra->SetSpeed(1.5f);
    float const fast = tetra->GetTailBeatRate();
    EXPECT_GT(fast, slow * 1.5f);
    angelfish->SetSpeed(1.5f);
    EXPECT_GT(fast, angelfish->GetTailBeatRate());
    // The swim cycle keeps beating long after its first round.
    Swim(5.0f, [](float) {});
    EXPECT_TRUE(tetra->GetModel()->GetAnimationControl()->IsPlaying());
    EXPECT_GT(tetra->GetModel()->GetAnimationControl()->GetSpeed(), 0.0f);
}

TEST_F(FishBehaviourTest, FishOfOneSpeciesStayTogetherAndStrangersKeepTheirDistance)
{
    CreateSchool({NeonTetra, NeonTetra, NeonTetra, Clownfish});
    Aim(0, CVector3(-6.0f, -5.0f, 1.0f), CVector3(1.0f, 0.0f, 0.0f));
    Aim(1, CVector3(5.0f, 3.0f, 5.0f), CVector3(0.0f, 1.0f, 0.0f));
    Aim(2, CVector3(6.0f, -6.0f, 2.0f), CVector3(-1.0f, 0.0f, 0.0f));
    Swim(30.0f, [](float) {});
    double mateDistance = 0, strangerDistance = 0;
    int frames = 0;
    Swim(60.0f, [&](float) {
        mateDistance += MatesDistance();
        strangerDistance += (school.GetFish(3)->GetPosition() - school.GetFish(0)->GetPosition()).GetLength();
        ++frames;
    });
    float const length = school.GetFish(0)->GetLength();
    EXPECT_LT(mateDistance / frames, CFishShoal::MateReach * length * 0.6f);
    EXPECT_GT(strangerDistance / frames, mateDistance / frames);
    EXPECT_EQ(school.GetFish(1)->GetInfluence().leader, 0);
    EXPECT_EQ(school.GetFish(3)->GetInfluence().leader, -1);
}

// A school sent at a rock too tall to swim over goes round it, no body inside it, and closes up
// again behind it.
TEST_F(FishBehaviourTest, ASchoolGoesRoundARockAndClosesUpBehindIt)
{
    CreateSchool({NeonTetra, NeonTetra, NeonTetra});
    school.GetArea(0)->AddObstacle(CVector3(-1.5f, -4.0f, -1.0f), CVector3(1.5f, 0.0f, 7.0f));
    CBoundingBox const rock = school.GetArea(0)->GetObstacles().back();
    Aim(0, CVector3(-6.0f, -2.0f, 3.0f), CVector3(1.0f, 0.0f, 0.0f));
    Aim(1, CVector3(-7.0f, -2.5f, 3.5f), CVector3(1.0f, 0.0f, 0.0f));
    Aim(2, CVector3(-7.0f, -1.5f, 2.5f), CVector3(1.0f, 0.0f, 0.0f));
    int insideFrames = 0;
    std::set<unsigned int> pastTheRock;
    double mateDistance = 0;
    int frames = 0;
    Swim(90.0f, [&](float now) {
        for (unsigned int i = 0; i < school.GetFishesCount(); ++i) {
            CVector3 const& at = school.GetFish(i)->GetPosition();
            insideFrames += rock.IsPointInside(at) ? 1 : 0;
            if (at.x > rock.GetMaxPoint().x)
                pastTheRock.insert(i);
        }
        if (now > 60.0f) {
            mateDistance += MatesDistance();
            ++frames;
        }
    });
    EXPECT_EQ(insideFrames, 0);
    EXPECT_EQ(pastTheRock.size(), 3u);
    EXPECT_LT(mateDistance / frames, CFishShoal::MateReach * school.GetFish(0)->GetLength() * 0.6f);
}

TEST_F(FishBehaviourTest, TurnsKeepABodyLengthOfRadiusAtCruisingSpeed)
{
    CreateSchool({Clownfish});
    CFish* fish = school.GetFish(0);
    float tightest = 1e9f;
    Swim(120.0f, [&](float) {
        float const speed = fish->GetSpeed();
        float const rate = std::abs(fish->GetTurnRate());
        if (speed > CFish::HoverTurnRate * fish->GetLength() && rate > 1e-3f)
            tightest = std::min(tightest, speed / rate);
    });
    EXPECT_GE(tightest, CFish::MinimumTurnRadius * fish->GetLength() * 0.95f);
}

TEST(FishRouteTest, DestinationsLeadEverywhereInTheArea)
{
    CFishRoute route;
    CVector3 const min(-10.0f, -8.0f, -1.0f), max(10.0f, 6.0f, 7.0f);
    route.Create(min, max, CVector3(1.0f, 1.0f, 0.5f));
    CFishRandom random(77);
    auto const anywhere = [](CVector3 const&) { return true; };
    std::set<int> regions;
    CVector3 position(0.0f, 0.0f, 0.0f);
    float now = 0.0f;
    for (int leg = 0; leg < 2 * CFishRoute::RegionsCount; ++leg) {
        route.Refresh(position, now, random, anywhere);
        ASSERT_TRUE(route.HasDestination());
        position = route.GetDestination();
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GT(position[axis], min[axis]);
            EXPECT_LT(position[axis], max[axis]);
        }
        int const x = static_cast<int>((position.x - min.x) / (max.x - min.x) * CFishRoute::RegionsX);
        int const y = static_cast<int>((position.y - min.y) / (max.y - min.y) * CFishRoute::RegionsY);
        int const z = static_cast<int>((position.z - min.z) / (max.z - min.z) * CFishRoute::RegionsZ);
        regions.insert((x * CFishRoute::RegionsY + y) * CFishRoute::RegionsZ + z);
        now += 10.0f;
    }
    EXPECT_EQ(regions.size(), static_cast<std::size_t>(CFishRoute::RegionsCount));
}
} // namespace
