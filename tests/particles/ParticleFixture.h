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
#include "platform/os/Clock.h"
#include "render/ShaderDescriptor.h"
#include "support/EngineFixture.h"
#include "support/FakeDirect3D8.h"
#include "support/SteppedClock.h"

// An engine on the scripted device with a particle system manager of its own whose frame
// time comes from a manual clock.
class ParticleFixture : public CEngineFixture
{
protected:
    ParticleFixture() : CEngineFixture("Particle", true, {{640, 480, 60, D3DFMT_X8R8G8B8}}) {}

    void SetUp() override
    {
        CEngineFixture::SetUp();
        if (HasFatalFailure())
            return;
        std::filesystem::create_directories(directory / "Data" / "Particle Systems");
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
        CEngineFixture::TearDown();
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

    SteppedClock clock;
    CTimerManager timers;
    CParticleSystemManager systems;
};
