#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Engine.h"
#include "core/Errors.h"
#include "core/TimerManager.h"
#include "model/ParticleSystem.h"
#include "model/ParticleSystemManager.h"
#include "model/SpriteGroup.h"
#include "platform/Clock.h"
#include "platform/FakeDirect3D8.h"
#include "render/ShaderDescriptor.h"

// A clock that moves only when told to, one microsecond per counter step.
class ManualClock : public platform::ClockSource
{
public:
    std::uint32_t GetTickMilliseconds() const override { return std::uint32_t(counter / 1000); }
    std::int64_t GetPerformanceCounter() const override { return counter; }
    std::int64_t GetPerformanceFrequency() const override { return 1000000; }
    bool GetTimerMinimumPeriod(std::uint32_t& period) const override
    {
        period = 1;
        return true;
    }
    void BeginTimerPeriod(std::uint32_t) override {}
    void EndTimerPeriod(std::uint32_t) override {}

    std::int64_t counter = 1000000;
};

// An engine on the scripted device with a particle system manager of its own whose frame
// time comes from a manual clock.
class ParticleFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto const* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = std::filesystem::temp_directory_path() /
                    (std::string("coralume_particles_") + test->test_suite_name() + "_" + test->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory / "Data" / "Particle Systems");
        std::ofstream(directory / "ParticleTest.ini") << "v_fullscreen 0\nv_mode 640x480x32\n";
        D3DDISPLAYMODE const desktop{1280, 1024, 60, D3DFMT_X8R8G8B8};
        std::vector<D3DDISPLAYMODE> const modes{{640, 480, 60, D3DFMT_X8R8G8B8}};
        fake.adapters.push_back(FakeDirect3D8::MakeAdapter(desktop, modes));
        fake.Install();
        directoryText = directory.string();
        settings.applicationName = "ParticleTest";
        settings.applicationVersion = 100;
        settings.engineDirectory = directoryText.c_str();
        settings.configFileName = "ParticleTest";
        settings.configDirectory = directoryText.c_str();
        settings.createLogFile = false;
        settings.logDirectory = directoryText.c_str();
        settings.defaultVideoMode = "640x480x32";
        try {
            engine.Create(settings);
        } catch (CError const& error) {
            FAIL() << "engine creation: " << error.GetText();
        }
        CCameraManager* cameras = engine.GetCameraManager();
        cameras->AddCamera(CT_PERSPECTIVE);
        timers.Create(clock);
        timers.Refresh();
        systems.Create(engine.GetMessageManager(), engine.GetMemoryManager(), engine.GetFileManager(),
                       &timers, engine.GetShaderManager(), engine.GetSpriteGroupManager());
    }

    void TearDown() override
    {
        systems.Destroy();
        timers.Destroy();
        engine.Destroy();
        fake.Uninstall();
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    // One frame of `microseconds`, then a refresh of every system.
    void Frame(std::int64_t microseconds = 16000)
    {
        clock.counter += microseconds;
        timers.Refresh();
        systems.Refresh();
    }

    CShaderDescriptor MakeShader()
    {
        CShaderDescriptor descriptor;
        engine.GetShaderManager()->CreateShaderDescriptor(&descriptor, 0u);
        return descriptor;
    }

    CParticleSystem* AddSystem(unsigned int capacity)
    {
        return systems.AddParticleSystem(capacity, MakeShader(), 0);
    }

    void WriteFile(std::string const& name, std::vector<unsigned char> const& bytes)
    {
        std::ofstream out(directory / "Data" / "Particle Systems" / name, std::ios::binary);
        out.write(reinterpret_cast<char const*>(bytes.data()), std::streamsize(bytes.size()));
    }

    static std::vector<unsigned char> MakeFile(ParticleSystemSettings const& settings)
    {
        std::vector<unsigned char> bytes(ParticleSystemFile::FileSize);
        bytes[0] = ParticleSystemFile::FileSize & 0xFF;
        bytes[1] = ParticleSystemFile::FileSize >> 8;
        std::memcpy(&bytes[4], "TWPSF", 5);
        bytes[9] = ParticleSystemFile::Version & 0xFF;
        ParticleSystemFile::Encode(settings, &bytes[ParticleSystemFile::HeaderSize]);
        return bytes;
    }

    std::filesystem::path directory;
    std::string directoryText;
    FakeDirect3D8 fake;
    SEngineSettings settings{};
    CEngine engine;
    ManualClock clock;
    CTimerManager timers;
    CParticleSystemManager systems;
};
