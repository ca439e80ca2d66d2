#include "ParticleFixture.h"

#include <cmath>
#include <cstring>

#include "model/Model.h"

namespace
{
constexpr float Tolerance = 1e-4f;

void ExpectNear(CVector3 const& actual, CVector3 const& expected, float tolerance = Tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void SetAll(float* keys, float value)
{
    for (unsigned int k = 0; k < ParticleKeysCount; ++k)
        keys[k] = value;
}

// The generator's next values from a given seed, as the engine draws them.
class PredictedRandom
{
public:
    explicit PredictedRandom(std::uint32_t seed) : m_seed(seed) {}
    float Next()
    {
        m_seed = m_seed * 1103515245u + 12345u;
        return float((m_seed >> 16) & 0x7FFF) / 32768.0f;
    }

private:
    std::uint32_t m_seed;
};

class ParticleSystemTest : public ParticleFixture
{
protected:
    // The single live particle's index.
    unsigned int LiveParticle(CParticleSystem* system)
    {
        for (unsigned int i = 0; i < system->GetMaxParticlesCount(); ++i) {
            if (!system->GetParticle(i)->dead)
                return i;
        }
        ADD_FAILURE() << "no live particle";
        return 0;
    }
};

// --- emission --------------------------------------------------------------------------------

TEST_F(ParticleSystemTest, FirstParticleComesInTheSeventhFrameAndTheRemainderIsKept)
{
    CParticleSystem* system = AddSystem(50);
    SetAll(system->GetSettings()->emissionRate, 10.0f);
    SetAll(system->GetSettings()->lifetime, 5.0f);
    system->StartAnimation();
    for (int frame = 1; frame <= 6; ++frame) {
        Frame();
        EXPECT_EQ(system->GetAliveParticlesCount(), 0u) << "frame " << frame;
    }
    EXPECT_NEAR(system->GetNewParticlesCount(), 0.96f, Tolerance);
    Frame();
    EXPECT_EQ(system->GetAliveParticlesCount(), 1u);
    EXPECT_EQ(system->GetSpriteGroup()->GetUsedCount(), 1u);
    EXPECT_NEAR(system->GetNewParticlesCount(), 0.12f, Tolerance);
    // Index 0 is handed out first.
    EXPECT_EQ(system->GetParticle(0)->dead, 0);
}

TEST_F(ParticleSystemTest, DefaultSystemEmitsButLifetimeZeroRemovesEachParticleAtOnce)
{
    CParticleSystem system;
    systems.CreateParticleSystemDefault(&system, 0);
    EXPECT_EQ(system.GetMaxParticlesCount(), 1000u);
    EXPECT_EQ(system.GetSettings()->emissionRate[3], 10.0f);
    system.StartAnimation();
    for (int frame = 0; frame < 20; ++frame) {
        Frame();
        system.Refresh();
    }
    EXPECT_LT(system.GetNewParticlesCount(), 1.0f);
    EXPECT_EQ(system.GetAliveParticlesCount(), 0u);
    EXPECT_EQ(system.GetMaxAliveParticlesCount(), 0u);
    EXPECT_EQ(system.GetSpriteGroup()->GetUsedCount(), 0u);
}

TEST_F(ParticleSystemTest, OwedParticlesBeyondTheCapacityAreDropped)
{
    CParticleSystem* system = AddSystem(3);
    SetAll(system->GetSettings()->lifetime, 10.0f);
    system->StartAnimation();
    system->SetNewParticlesCount(7.5f);
    Frame();
    EXPECT_EQ(system->GetAliveParticlesCount(), 3u);
    EXPECT_NEAR(system->GetNewParticlesCount(), 0.5f, Tolerance);
    system->AddNewParticles(2.0f);
    Frame();
    EXPECT_EQ(system->GetAliveParticlesCount(), 3u);
    EXPECT_NEAR(system->GetNewParticlesCount(), 0.5f, Tolerance);
    EXPECT_EQ(system->GetMaxAliveParticlesCount(), 3u);

    system->Clear();
    EXPECT_EQ(system->GetSpriteGroup()->GetUsedCount(), 0u);
    system->AddNewParticles(1.0f);
    Frame();
    EXPECT_EQ(system->GetAliveParticlesCount(), 1u);
}

TEST_F(ParticleSystemTest, NothingIsEmittedWhileNotPlayingButLiveParticlesKeepMoving)
{
    CParticleSystem* system = AddSystem(4);
    ParticleSystemSettings* settings = system->GetSettings();
    SetAll(settings->lifetime, 10.0f);
    for (CVector3& spread : settings->directionSpread)
        spread = {0.0f, 0.0f, 0.0f};
    for (CVector3& direction : settings->direction)
        direction = {1.0f, 0.0f, 0.0f};
    system->SetNewParticlesCount(3.0f);
    Frame();
    EXPECT_EQ(system->GetAliveParticlesCount(), 0u);

    system->StartAnimation();
    Frame();
    ASSERT_EQ(system->GetAliveParticlesCount(), 3u);
    system->StopAnimation();
    EXPECT_EQ(system->GetAnimationTime(), 0.0f);
    EXPECT_EQ(system->GetNewParticlesCount(), 0.0f);
    SSprite const* sprite = system->GetSpriteGroup()->GetSprite(system->GetParticle(0)->spriteIndex);
    float const before = sprite->position.x;
    Frame();
    EXPECT_EQ(system->GetAliveParticlesCount(), 3u);
    EXPECT_NEAR(sprite->position.x - before, 100.0f * 0.016f, 1e-3f);
}

// --- keys ------------------------------------------------------------------------------------

TEST_F(ParticleSystemTest, ZeroDirectionAndSpreadKeyRepeatsThePreviousKey)
{
    CParticleSystem* system = AddSystem(2);
    ParticleSystemSettings* settings = system->GetSettings();
    SetAll(settings->lifetime, 10.0f);
    for (unsigned int k = 0; k < ParticleKeysCount; ++k) {
        settings->direction[k] = {0.0f, 1.0f, 0.0f};
        settings->directionSpread[k] = {0.5f, 0.5f, 0.5f};
    }
    settings->direction[3] = {0.0f, 0.0f, 0.0f};
    settings->directionSpread[3] = {0.0f, 0.0f, 0.0f};
    // Short but not zero: still a key of its own.
    settings->direction[4] = {0.0f, 0.0f, 0.06f};
    settings->directionSpread[4] = {0.0f, 0.0f, 0.0f};
    system->StartAnimation();
    system->SetNewParticlesCount(1.0f);
    Frame();
    SParticle const* particle = system->GetParticle(LiveParticle(system));
    ExpectNear(particle->directionKeys[3], particle->directionKeys[2]);
    ExpectNear(particle->directionKeys[4], {0.0f, 0.0f, 1.0f});
    for (unsigned int k = 0; k < ParticleKeysCount; ++k)
        EXPECT_NEAR(particle->directionKeys[k].GetLength(), 1.0f, Tolerance) << k;
}

TEST_F(ParticleSystemTest, EmissionDrawsBoxPointThenLifeThenDirectionsFromTheSharedGenerator)
{
    CParticleSystem* system = AddSystem(2);
    ParticleSystemSettings* settings = system->GetSettings();
    SetAll(settings->lifetime, 10.0f);
    settings->direction[0] = {1.0f, 0.0f, 0.0f};
    settings->directionSpread[0] = {0.5f, 0.25f, 2.0f};
    system->SetPosition({10.0f, 20.0f, 30.0f});
    system->SetSourceType(PSST_BOUNDING_BOX);
    system->SetSourceBoundingBox(CBoundingBox({-1.0f, -2.0f, -3.0f}, {1.0f, 2.0f, 3.0f}));
    system->StartAnimation();
    system->SetNewParticlesCount(1.0f);

    PredictedRandom random(CParticleSystem::GetRandomSeed());
    CVector3 start;
    start.x = 10.0f + (-1.0f + random.Next() * 2.0f);
    start.y = 20.0f + (-2.0f + random.Next() * 4.0f);
    start.z = 30.0f + (-3.0f + random.Next() * 6.0f);
    random.Next(); // life
    CVector3 key0;
    key0.x = 1.0f + (random.Next() * 2.0f - 1.0f) * 0.5f;
    key0.y = (random.Next() * 2.0f - 1.0f) * 0.25f;
    key0.z = (random.Next() * 2.0f - 1.0f) * 2.0f;
    key0.SetLength(1.0f);

    Frame();
    SParticle const* particle = system->GetParticle(LiveParticle(system));
    ExpectNear(particle->directionKeys[0], key0);
    // The sprite started at the drawn point and moved one frame along key 0 (age near 0).
    SSprite const* sprite = system->GetSpriteGroup()->GetSprite(particle->spriteIndex);
    ExpectNear(sprite->position, start + particle->currentDirection * (100.0f * 0.016f), 1e-3f);
}

TEST_F(ParticleSystemTest, SpeedColourAndSizeFollowTheParticleAge)
{
    CParticleSystem* system = AddSystem(1);
    ParticleSystemSettings* settings = system->GetSettings();
    SetAll(settings->lifetime, 1.0f);
    for (unsigned int k = 0; k < ParticleKeysCount; ++k) {
        settings->direction[k] = {0.0f, 0.0f, 1.0f};
        settings->directionSpread[k] = {0.0f, 0.0f, 0.0f};
        settings->speed[k] = float(k);
        settings->size[k] = 2.0f * float(k);
        settings->color[k] = {float(k) / 5.0f, 1.0f, 0.0f, 1.0f - float(k) / 5.0f};
    }
    system->StartAnimation();
    system->SetNewParticlesCount(1.0f);
    Frame(50000);
    SSprite const* sprite = system->GetSpriteGroup()->GetSprite(system->GetParticle(0)->spriteIndex);
    float const z = sprite->position.z;
    // Age 0.05 of a life of 1: u = 0.25 between keys 0 and 1.
    EXPECT_NEAR(sprite->size, 0.5f, Tolerance);
    EXPECT_NEAR(sprite->color.x, 0.05f, Tolerance);
    EXPECT_NEAR(sprite->color.w, 0.95f, Tolerance);
    EXPECT_NEAR(z, 0.25f * 100.0f * 0.05f, 1e-3f);
    Frame(50000);
    // Age 0.1: u = 0.5, speed 0.5.
    EXPECT_NEAR(sprite->position.z - z, 0.5f * 100.0f * 0.05f, 1e-3f);
    EXPECT_NEAR(sprite->size, 1.0f, Tolerance);
}

// --- time ------------------------------------------------------------------------------------

TEST_F(ParticleSystemTest, LoopingTimeReachingThePeriodExactlyStartsAgainAtZero)
{
    CParticleSystem* system = AddSystem(1);
    Frame(50000);
    float const elapsed = timers.GetElapsedTime();
    system->GetSettings()->animationPeriod = 0.5f + elapsed;
    system->SetAnimationLoop(true);
    system->StartAnimation();
    system->SetAnimationTime(0.5f);
    Frame(50000);
    ASSERT_EQ(timers.GetElapsedTime(), elapsed);
    EXPECT_EQ(system->GetAnimationTime(), 0.0f);
    EXPECT_TRUE(system->IsAnimationPlaying());
    Frame(50000);
    EXPECT_EQ(system->GetAnimationTime(), elapsed);
}

TEST_F(ParticleSystemTest, WithoutLoopingPlayingStopsAtThePeriod)
{
    CParticleSystem* system = AddSystem(4);
    system->GetSettings()->animationPeriod = 0.25f;
    SetAll(system->GetSettings()->emissionRate, 100.0f);
    SetAll(system->GetSettings()->lifetime, 10.0f);
    system->StartAnimation();
    for (int frame = 0; frame < 3; ++frame)
        Frame(62500);
    EXPECT_TRUE(system->IsAnimationPlaying());
    unsigned int const emitted = system->GetAliveParticlesCount();
    Frame(62500);
    EXPECT_FALSE(system->IsAnimationPlaying());
    EXPECT_EQ(system->GetAliveParticlesCount(), emitted);
}

TEST_F(ParticleSystemTest, HostilePeriodsNeitherHangNorIndexOutsideTheKeys)
{
    CParticleSystem* system = AddSystem(8);
    SetAll(system->GetSettings()->emissionRate, 1000.0f);
    SetAll(system->GetSettings()->lifetime, NAN);
    system->SetAnimationLoop(true);
    for (float period : {0.0f, -1.0f, NAN, INFINITY, 1e-30f}) {
        system->GetSettings()->animationPeriod = period;
        system->StartAnimation();
        Frame();
        Frame();
        EXPECT_TRUE(std::isfinite(system->GetAnimationTime())) << period;
    }
    // A NaN life ends the particle rather than keeping it for ever.
    EXPECT_EQ(system->GetAliveParticlesCount(), 0u);
}

TEST_F(ParticleSystemTest, HiddenSystemDoesNotAdvance)
{
    CParticleSystem* system = AddSystem(4);
    SetAll(system->GetSettings()->emissionRate, 100.0f);
    SetAll(system->GetSettings()->lifetime, 10.0f);
    system->StartAnimation();
    Frame();
    ASSERT_EQ(system->GetAliveParticlesCount(), 1u);
    SParticle const particle = *system->GetParticle(0);
    float const time = system->GetAnimationTime();
    float const owed = system->GetNewParticlesCount();
    CVector3 const position = system->GetSpriteGroup()->GetSprite(particle.spriteIndex)->position;

    system->Show(false);
    EXPECT_FALSE(system->IsVisible());
    for (int frame = 0; frame < 5; ++frame)
        Frame();
    EXPECT_EQ(system->GetAnimationTime(), time);
    EXPECT_EQ(system->GetNewParticlesCount(), owed);
    EXPECT_EQ(system->GetParticle(0)->age, particle.age);
    EXPECT_EQ(system->GetSpriteGroup()->GetUsedCount(), 1u);
    ExpectNear(system->GetSpriteGroup()->GetSprite(particle.spriteIndex)->position, position, 0.0f);

    system->Show(true);
    Frame();
    EXPECT_GT(system->GetAnimationTime(), time);
}

// --- copies and the manager ------------------------------------------------------------------

TEST_F(ParticleSystemTest, CopyHasItsOwnSpriteGroupAndTheSameParticles)
{
    CParticleSystem* system = AddSystem(4);
    SetAll(system->GetSettings()->lifetime, 10.0f);
    system->StartAnimation();
    system->SetNewParticlesCount(2.0f);
    Frame();
    CParticleSystem* copy = systems.AddParticleSystem(*system);
    ASSERT_NE(copy->GetSpriteGroup(), system->GetSpriteGroup());
    EXPECT_EQ(copy->GetSpriteGroup()->GetUsedCount(), 2u);
    EXPECT_EQ(copy->GetMaxParticlesCount(), 4u);
    EXPECT_TRUE(copy->IsAnimationPlaying());

    unsigned int const groups = engine.GetSpriteGroupManager()->GetOccupiedSpriteGroupsIndicesCount();
    systems.RemoveParticleSystem(system);
    EXPECT_EQ(engine.GetSpriteGroupManager()->GetOccupiedSpriteGroupsIndicesCount(), groups - 1);
    Frame();
    EXPECT_EQ(copy->GetAliveParticlesCount(), 2u);
}

TEST_F(ParticleSystemTest, ManagerReusesTheLastFreedSlot)
{
    CParticleSystem* a = AddSystem(1);
    CParticleSystem* b = AddSystem(1);
    AddSystem(1);
    systems.RemoveParticleSystem(a);
    systems.RemoveParticleSystem(b);
    CParticleSystem* again = AddSystem(1);
    EXPECT_EQ(systems.GetParticleSystem(1), again);
    ASSERT_EQ(systems.GetOccupiedParticleSystemsIndicesCount(), 2u);
    EXPECT_EQ(systems.GetOccupiedParticleSystemIndex(0), 2u);
    EXPECT_EQ(systems.GetOccupiedParticleSystemIndex(1), 1u);
    systems.RemoveParticleSystem(nullptr);
    EXPECT_EQ(systems.GetOccupiedParticleSystemsIndicesCount(), 2u);
}
} // namespace
