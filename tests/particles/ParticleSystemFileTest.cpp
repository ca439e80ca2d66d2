#include "ParticleFixture.h"

#include <cmath>
#include <cstring>
#include <iterator>

namespace
{
class ParticleSystemFileTest : public ParticleFixture
{
protected:
    std::vector<unsigned char> ReadBack(std::filesystem::path const& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The fatal error's text, or "" when loading did not throw one.
    std::string LoadFatal(char const* name)
    {
        CParticleSystem system;
        try {
            systems.CreateParticleSystem(&system, name, 0);
        } catch (CFatalError const& error) {
            return error.GetText();
        }
        return "";
    }
};

ParticleSystemSettings EightyParticles()
{
    ParticleSystemSettings settings;
    float const rates[ParticleKeysCount] = {20, 20, 0, 0, 0, 0};
    float const lifetimes[ParticleKeysCount] = {2, 2, 0, 0, 0, 0};
    std::memcpy(settings.emissionRate, rates, sizeof(rates));
    std::memcpy(settings.lifetime, lifetimes, sizeof(lifetimes));
    settings.animationPeriod = 3.5f;
    settings.color[2] = {0.1f, 0.2f, 0.3f, 0.4f};
    settings.direction[5] = {0.0f, -1.0f, 0.5f};
    return settings;
}

TEST_F(ParticleSystemFileTest, CapacityIsTheSumOfRateTimesLifetimeOverTheKeys)
{
    WriteFile("eighty.psf", MakeFile(EightyParticles()));
    CParticleSystem* system = systems.AddParticleSystem("eighty.psf", 0);
    EXPECT_EQ(system->GetMaxParticlesCount(), 80u);
    EXPECT_EQ(system->GetSpriteGroup()->GetCapacity(), 80u);
    EXPECT_EQ(system->GetSettings()->animationPeriod, 3.5f);
    EXPECT_EQ(system->GetSettings()->color[2].z, 0.3f);
    EXPECT_FALSE(system->IsAnimationPlaying());
    EXPECT_FALSE(system->IsAnimationLooped());
    EXPECT_EQ(system->GetSourceType(), PSST_POINT);
    EXPECT_EQ(system->GetSourceBoundingBox().GetMinPoint().x, -0.5f);

    ParticleSystemSettings truncated;
    truncated.emissionRate[0] = 2.5f;
    truncated.lifetime[0] = 1.9f;
    truncated.emissionRate[1] = -3.0f;
    truncated.lifetime[1] = 4.0f;
    EXPECT_EQ(ParticleSystemFile::GetCapacity(truncated), 4u);
}

TEST_F(ParticleSystemFileTest, SavedFileIsTheSame353BytesWithTheShaderBeside)
{
    std::vector<unsigned char> const original = MakeFile(EightyParticles());
    WriteFile("eighty.psf", original);
    CParticleSystem* system = systems.AddParticleSystem("eighty.psf", 0);
    std::filesystem::path const saved = directory / "saved.psf";
    ASSERT_TRUE(system->Save(saved.string().c_str()));
    EXPECT_EQ(ReadBack(saved), original);
    EXPECT_TRUE(std::filesystem::exists(directory / "saved.srf"));
}

TEST_F(ParticleSystemFileTest, WrongMagicSizeOrVersionIsFatal)
{
    std::vector<unsigned char> bytes = MakeFile(EightyParticles());
    bytes[5] = 'X';
    WriteFile("magic.psf", bytes);
    EXPECT_EQ(LoadFatal("magic.psf"), "Incorrect magic.psf file format");

    bytes = MakeFile(EightyParticles());
    bytes[0] = 0x60;
    WriteFile("size.psf", bytes);
    EXPECT_EQ(LoadFatal("size.psf"), "Incorrect size.psf file format");

    bytes = MakeFile(EightyParticles());
    bytes[9] = 199;
    WriteFile("version.psf", bytes);
    EXPECT_EQ(LoadFatal("version.psf"), "Incorrect version.psf format version, current is 200");
}

TEST_F(ParticleSystemFileTest, MissingOrShortFilesGiveTheDefaultSystem)
{
    CParticleSystem direct;
    EXPECT_FALSE(systems.CreateParticleSystem(&direct, "missing.psf", 0));
    EXPECT_TRUE(direct.IsFree());
    CParticleSystem* missing = systems.AddParticleSystem("missing.psf", 0);
    EXPECT_EQ(missing->GetMaxParticlesCount(), CParticleSystem::DefaultCapacity);
    EXPECT_EQ(missing->GetSettings()->emissionRate[0], CParticleSystem::DefaultEmissionRate);

    // The size field agrees with the file, which ends inside the settings.
    std::vector<unsigned char> bytes = MakeFile(EightyParticles());
    bytes.resize(200);
    bytes[0] = 200;
    bytes[1] = 0;
    WriteFile("short.psf", bytes);
    EXPECT_EQ(LoadFatal("short.psf"), "");
    EXPECT_EQ(systems.AddParticleSystem("short.psf", 0)->GetMaxParticlesCount(),
              CParticleSystem::DefaultCapacity);

    WriteFile("tiny.psf", {4, 0, 0, 0, 'T', 'W'});
    EXPECT_EQ(systems.AddParticleSystem("tiny.psf", 0)->GetMaxParticlesCount(),
              CParticleSystem::DefaultCapacity);
}

TEST_F(ParticleSystemFileTest, HugeOrNonFiniteRatesAskForABoundedCapacity)
{
    ParticleSystemSettings settings;
    settings.emissionRate[0] = 1e30f;
    settings.lifetime[0] = 1e30f;
    EXPECT_EQ(ParticleSystemFile::GetCapacity(settings), ParticleSystemFile::MaximumCapacity);
    settings.emissionRate[0] = NAN;
    settings.emissionRate[1] = INFINITY;
    settings.lifetime[1] = 0.0f;
    settings.emissionRate[2] = 3.0f;
    settings.lifetime[2] = 2.0f;
    EXPECT_EQ(ParticleSystemFile::GetCapacity(settings), 6u);

    settings.emissionRate[3] = 5e9f;
    settings.lifetime[3] = 1.0f;
    WriteFile("huge.psf", MakeFile(settings));
    EXPECT_EQ(systems.AddParticleSystem("huge.psf", 0)->GetMaxParticlesCount(),
              ParticleSystemFile::MaximumCapacity);
}

TEST(ParticleKeyPositionTest, PositionsOutsideTheKeysComeToTheEnds)
{
    SParticleKeyPosition at = SParticleKeyPosition::At(2.25f);
    EXPECT_EQ(at.key, 2u);
    EXPECT_EQ(at.next, 3u);
    EXPECT_EQ(at.weight, 0.25f);
    at = SParticleKeyPosition::At(5.0f);
    EXPECT_EQ(at.key, 5u);
    EXPECT_EQ(at.next, 0u);
    EXPECT_EQ(at.weight, 0.0f);
    for (float u : {-3.0f, NAN, -INFINITY}) {
        at = SParticleKeyPosition::At(u);
        EXPECT_EQ(at.key, 0u);
        EXPECT_EQ(at.weight, 0.0f);
    }
    at = SParticleKeyPosition::At(INFINITY);
    EXPECT_EQ(at.key, 5u);
}
} // namespace
