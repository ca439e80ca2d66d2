#include "sprites/SpriteFixture.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "../../plugins/plankton/PlanktonSwarm.h"

namespace
{
constexpr float Tolerance = 1e-4f;

class PlanktonSwarmTest : public SpriteFixture
{
protected:
    void SetUp() override
    {
        SpriteFixture::SetUp();
        group = Groups()->AddSpriteGroup(CPlanktonSwarm::SpecksCount, MakeShader(), 0);
        swarm.GetRandom().SetSeed(1234);
        swarm.Populate(group);
    }

    SSprite* Sprite(unsigned int speck) { return group->GetSprite(swarm.GetSpriteIndex(speck)); }
    static unsigned int Speck(unsigned int i, unsigned int j, unsigned int k) { return (i * 5 + j) * 15 + k; }

    CSpriteGroup* group = nullptr;
    CPlanktonSwarm swarm;
};

TEST(PlanktonRandom, FollowsTheLinearCongruentialSequence)
{
    CPlanktonRandom random(1);
    // seed 1 × 1103515245 + 12345 = 1103527590; (>> 16) & 0x7fff = 16838.
    EXPECT_FLOAT_EQ(random.Next(), 16838.0f / 32768.0f);
    EXPECT_EQ(random.GetSeed(), 1103527590u);
    for (int i = 0; i < 1000; ++i) {
        float const u = random.Next();
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
    }
}

TEST_F(PlanktonSwarmTest, VolumeIsCutIntoFiveByFiveByFifteenCells)
{
    EXPECT_NEAR(swarm.GetCellSize().x, 21.0f / 5.0f, Tolerance);
    EXPECT_NEAR(swarm.GetCellSize().y, 8.0f / 5.0f, Tolerance);
    // The bottom lies above the sand.
    EXPECT_NEAR(swarm.GetCellSize().z, 7.2f / 15.0f, Tolerance);
}

TEST_F(PlanktonSwarmTest, EverySpeckGetsItsOwnSpriteOnASquaredLayerHome)
{
    ASSERT_EQ(swarm.GetSpecksCount(), 375u);
    EXPECT_EQ(group->GetUsedCount(), 375u);
    std::set<unsigned int> sprites;
    CVector3 const& cell = swarm.GetCellSize();
    CVector3 const& min = swarm.GetMinimum();
    for (unsigned int i = 0; i < 5; ++i) {
        for (unsigned int j = 0; j < 5; ++j) {
            for (unsigned int k = 0; k < 15; ++k) {
                unsigned int const speck = Speck(i, j, k);
                sprites.insert(swarm.GetSpriteIndex(speck));
                CVector3 const& home = swarm.GetHome(speck);
                // Within ±0.3 of a cell in x and y of the cell's middle, and ±0.15 in z of the
                // squared layer lifted off the bottom.
                EXPECT_LE(std::fabs(home.x - (min.x + cell.x * (i + 0.5f))), 0.3f * cell.x + Tolerance);
                EXPECT_LE(std::fabs(home.y - (min.y + cell.y * (j + 0.5f))), 0.3f * cell.y + Tolerance);
                EXPECT_LE(
                    std::fabs(home.z - (min.z + cell.z * (0.035f * k * k + CPlanktonSwarm::LowestLayer))),
                    0.15f * cell.z + Tolerance);
                EXPECT_GT(home.z, min.z);
                SSprite const* sprite = Sprite(speck);
                EXPECT_EQ(sprite->position.x, home.x);
                EXPECT_EQ(sprite->size, swarm.GetSize(speck));
                EXPECT_EQ(sprite->color.w, swarm.GetOpacity(speck));
                EXPECT_EQ(swarm.GetMovement(speck).GetLength(), 0.0f);
            }
        }
    }
    EXPECT_EQ(sprites.size(), 375u);
}

TEST_F(PlanktonSwarmTest, FirstHomeTakesItsDrawsZFirst)
{
    CPlanktonSwarm fresh;
    fresh.GetRandom().SetSeed(1);
    CSpriteGroup* other = Groups()->AddSpriteGroup(CPlanktonSwarm::SpecksCount, MakeShader(), 0);
    fresh.Populate(other);
    CPlanktonRandom random(1);
    float const u1 = random.Next();
    float const u2 = random.Next();
    float const u3 = random.Next();
    CVector3 const& cell = fresh.GetCellSize();
    CVector3 const& home = fresh.GetHome(0);
    float const u4 = random.Next();
    EXPECT_NEAR(home.x, -10.5f + cell.x * (0.5f + u3 * 0.6f - 0.3f), Tolerance);
    EXPECT_NEAR(home.y, -2.0f + cell.y * (0.5f + u2 * 0.6f - 0.3f), Tolerance);
    EXPECT_NEAR(home.z, -1.2f + cell.z * (CPlanktonSwarm::LowestLayer + u1 * 0.3f - 0.15f), Tolerance);
    // The fourth draw sets the speck's drift speed.
    EXPECT_NEAR(fresh.GetDriftFactor(0), 0.5f + u4, Tolerance);
}

TEST_F(PlanktonSwarmTest, WithoutFishEverySpeckDriftsAtItsOwnSpeedAroundATenthOfAUnitPerSecond)
{
    std::set<float> factors;
    for (unsigned int s = 0; s < swarm.GetSpecksCount(); ++s) {
        EXPECT_GE(swarm.GetDriftFactor(s), 0.5f);
        EXPECT_LT(swarm.GetDriftFactor(s), 1.5f);
        factors.insert(swarm.GetDriftFactor(s));
    }
    EXPECT_GT(factors.size(), 100u);
    for (int frame = 0; frame < 20; ++frame) {
        std::vector<CVector3> before;
        for (unsigned int s = 0; s < swarm.GetSpecksCount(); ++s)
            before.push_back(Sprite(s)->position);
        swarm.Refresh(0.5f, nullptr, 0);
        for (unsigned int s = 0; s < swarm.GetSpecksCount(); ++s) {
            ASSERT_NEAR(swarm.GetMovement(s).GetLength(), 1.0f, Tolerance) << "speck " << s;
            // Never below the bottom; one that reaches it only turns up.
            ASSERT_GE(Sprite(s)->position.z, swarm.GetMinimum().z) << "speck " << s;
            if (Sprite(s)->position.z == swarm.GetMinimum().z)
                continue;
            ASSERT_NEAR((Sprite(s)->position - before[s]).GetLength(), 0.05f * swarm.GetDriftFactor(s),
                        Tolerance)
                << "speck " << s;
        }
    }
}

TEST_F(PlanktonSwarmTest, NearbyFishPutsSpecksToFlightAtHalfAUnitPerSecond)
{
    CVector3 const fish[] = {{0, 0, 0}};
    unsigned int const fleeing = 0;
    unsigned int const tallBox = 1;
    unsigned int const besideX = 2;
    unsigned int const aboveY = 3;
    Sprite(fleeing)->position = {0.6f, 0.0f, -0.8f};
    Sprite(tallBox)->position = {0.0f, 3.9f, 0.0f};
    Sprite(besideX)->position = {1.05f, 0.0f, 0.0f};
    Sprite(aboveY)->position = {0.0f, -4.05f, 0.0f};

    swarm.Refresh(0.2f, fish, 1);
    // Straight away from the fish from a standing start.
    EXPECT_NEAR(Sprite(fleeing)->position.x, 0.6f + 0.6f * 0.1f, Tolerance);
    EXPECT_NEAR(Sprite(fleeing)->position.z, -0.8f - 0.8f * 0.1f, Tolerance);
    EXPECT_NEAR(swarm.GetMovement(fleeing).GetLength(), 5.0f, Tolerance);
    EXPECT_NEAR(Sprite(tallBox)->position.y, 3.9f + 0.1f, Tolerance);
    EXPECT_NEAR(swarm.GetMovement(tallBox).GetLength(), 5.0f, Tolerance);
    // Outside the box: drift only.
    EXPECT_NEAR(swarm.GetMovement(besideX).GetLength(), 1.0f, Tolerance);
    EXPECT_NEAR(swarm.GetMovement(aboveY).GetLength(), 1.0f, Tolerance);

    // Still in the box: keeps fleeing at 0.5 per second.
    CVector3 const before = Sprite(fleeing)->position;
    swarm.Refresh(0.2f, fish, 1);
    EXPECT_NEAR((Sprite(fleeing)->position - before).GetLength(), 0.1f, Tolerance);

    // Once clear of every fish it slows back down to the drift.
    swarm.Refresh(0.2f, nullptr, 0);
    EXPECT_NEAR(swarm.GetMovement(fleeing).GetLength(), 1.0f, Tolerance);
}

TEST_F(PlanktonSwarmTest, OnlyTheFirstNearFishSteers)
{
    CVector3 const fish[] = {{0, 0, 0}, {1, 0, 0}};
    Sprite(0)->position = {0.5f, 0.0f, 0.0f};
    swarm.Refresh(0.1f, fish, 2);
    // Away from the first fish (+x), not from the second (−x).
    EXPECT_GT(swarm.GetMovement(0).x, 4.9f);
}

TEST_F(PlanktonSwarmTest, FarStrayFadesOutInTenStepsAndReturnsHome)
{
    unsigned int const speck = 7;
    CVector3 const home = swarm.GetHome(speck);
    Sprite(speck)->position = home + CVector3(6.0f, 0.0f, 0.0f);

    std::set<int> tenths;
    int frames = 0;
    int fadeSteps = 0;
    float const opacity = swarm.GetOpacity(speck);
    float alpha = opacity;
    while (frames < 2000) {
        swarm.Refresh(0.001f, nullptr, 0);
        ++frames;
        float const now = Sprite(speck)->color.w;
        if (now < alpha - 0.05f * opacity)
            ++fadeSteps;
        alpha = now;
        tenths.insert(static_cast<int>(std::lround(now / opacity * 10.0f)));
        if ((Sprite(speck)->position - home).GetLength() < Tolerance)
            break;
    }
    ASSERT_LT(frames, 2000) << "the speck never came home";
    EXPECT_EQ(fadeSteps, 9) << "the tenth step takes it home at once";
    EXPECT_EQ(Sprite(speck)->color.w, opacity);
    // Each check passes with chance 0.1, so the fade takes many more frames than steps.
    EXPECT_GT(frames, 30);
    EXPECT_EQ(tenths.size(), 10u); // its full opacity down to a tenth of it

    // Back within reach, a half-faded speck gets its full opacity again.
    Sprite(speck)->color.w = 0.5f * opacity;
    swarm.Refresh(0.001f, nullptr, 0);
    EXPECT_EQ(Sprite(speck)->color.w, opacity);
}

TEST_F(PlanktonSwarmTest, SpecksVaryInSizeAndBrightnessAndThinOutWithDepth)
{
    auto [smallest, largest] = std::pair{1e9f, 0.0f};
    auto [faintest, brightest] = std::pair{1e9f, 0.0f};
    float nearSum = 0.0f, farSum = 0.0f;
    unsigned int nearCount = 0, farCount = 0;
    for (unsigned int speck = 0; speck < swarm.GetSpecksCount(); ++speck) {
        smallest = std::min(smallest, Sprite(speck)->size);
        largest = std::max(largest, Sprite(speck)->size);
        faintest = std::min(faintest, Sprite(speck)->color.w);
        brightest = std::max(brightest, Sprite(speck)->color.w);
        bool const far = swarm.GetHome(speck).y > 0.5f * (swarm.GetMinimum().y + swarm.GetMaximum().y);
        (far ? farSum : nearSum) += Sprite(speck)->color.w;
        ++(far ? farCount : nearCount);
    }
    EXPECT_GT(largest, 2.0f * smallest);
    EXPECT_GT(brightest, 2.5f * faintest);
    EXPECT_LT(brightest, 1.0f);
    // Behind the middle the specks are fainter on the whole.
    ASSERT_GT(farCount * nearCount, 0u);
    EXPECT_LT(farSum / farCount, 0.8f * nearSum / nearCount);
}

TEST_F(PlanktonSwarmTest, ClearLetsGoOfTheGroup)
{
    swarm.Clear();
    EXPECT_EQ(swarm.GetSpecksCount(), 0u);
    swarm.Refresh(1.0f, nullptr, 0);
    EXPECT_EQ(group->GetUsedCount(), 375u);
}
} // namespace
