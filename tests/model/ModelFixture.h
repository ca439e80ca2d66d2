#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Config.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "core/TimerManager.h"
#include "model/Model.h"
#include "model/ModelFile.h"
#include "model/ModelManager.h"
#include "render/CameraManager.h"
#include "render/Direct3DSubsystem.h"
#include "render/LightManager.h"
#include "render/ShaderDescriptor.h"
#include "render/ShaderManager.h"
#include "render/Window.h"
#include "support/FakeDirect3D8.h"

// An engine in a small window with its files in a private folder, on the scripted device
// (or on the real one with `useFakeDevice` false), and camera 0 in use.
class ModelFixture : public ::testing::Test
{
protected:
    explicit ModelFixture(bool useFakeDevice = true) : m_useFakeDevice(useFakeDevice) {}

    void SetUp() override
    {
        directory = std::filesystem::temp_directory_path() /
                    ("tidewell_model_" +
                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) +
                     "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory / "data" / "models");
        std::ofstream(directory / "ModelTest.ini") << "v_fullscreen 0\nv_mode " << VideoMode() << "\n";
        if (m_useFakeDevice) {
            D3DDISPLAYMODE const desktop{1280, 1024, 60, D3DFMT_X8R8G8B8};
            std::vector<D3DDISPLAYMODE> const modes{{640, 480, 60, D3DFMT_X8R8G8B8},
                                                    {1280, 1024, 60, D3DFMT_X8R8G8B8}};
            fake.adapters.push_back(FakeDirect3D8::MakeAdapter(desktop, modes));
            fake.Install();
        }
        directoryText = directory.string();
        CreateManagers();
        camera = Cameras()->GetCamera(Cameras()->AddCamera(CT_PERSPECTIVE));
    }

    void TearDown() override
    {
        DestroyManagers();
        if (m_useFakeDevice)
            fake.Uninstall();
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    virtual char const* VideoMode() const { return "640x480x32"; }

    // The managers of the scene in the engine's order of creation.
    void CreateManagers()
    {
        messages.Create("ModelTest", false, nullptr);
        memory.Create(&messages);
        files.Create(&messages, &memory, directoryText.c_str(), nullptr);
        timers.Create();
        config.Create(&messages, &memory, &files, directoryText.c_str(), "ModelTest", VideoMode());
        config.Load();
        // Pixels are compared exactly, and a background is kept only in a single-sampled window.
        config.ExecuteCommand("r_multisample 0");
        unsigned long width = 0;
        unsigned long height = 0;
        CConfig::ParseVideoModeString(config.GetMainSettings()->v_mode, &width, &height, nullptr);
        window.Create(&messages, &memory, &config, nullptr, "Model test", nullptr, 0, width, height, false);
        direct3D.Create(&messages, &memory, &config, &window);
        cameras.Create(&messages, &memory, &window, &direct3D);
        lights.Create(&messages, &memory, &direct3D);
        shaders.Create(&messages, &memory, &files, &timers, &config, &direct3D, &lights);
        models.Create(&messages, &memory, &files, &timers, &direct3D, &cameras, &lights, &shaders);
    }

    void DestroyManagers()
    {
        models.Destroy();
        shaders.Destroy();
        lights.Destroy();
        cameras.Destroy();
        direct3D.Destroy();
        window.Destroy();
        config.Destroy();
        files.Destroy();
        memory.Destroy();
        messages.Destroy();
    }

    // One frame of the scene as the engine runs it.
    void RunFrame()
    {
        direct3D.Refresh();
        cameras.Refresh();
        lights.Refresh();
        shaders.Refresh();
        models.BeginFrame();
        models.FinishFrame();
    }

    CModelManager* Models() { return &models; }
    CCameraManager* Cameras() { return &cameras; }
    CShaderManager* Shaders() { return &shaders; }
    CMessageManager* Messages() { return &messages; }
    CMemoryManager* Memory() { return &memory; }
    CFileManager* Files() { return &files; }
    CTimerManager* Timers() { return &timers; }
    CDirect3DSubsystem* Direct3D() { return &direct3D; }
    CLightManager* Lights() { return &lights; }
    FakeDirect3DDevice8* Device() { return fake.GetDevice(); }

    void WriteFile(std::string const& name, std::vector<std::uint8_t> const& bytes)
    {
        std::ofstream out(directory / "data" / "models" / name, std::ios::binary);
        out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void WriteModel(std::string const& name, SModelFile const& model)
    {
        WriteFile(name, WriteModelFileImage(model));
    }

    bool HasMessage(EMessageType type, std::string const& text)
    {
        CMessageManager* messages = Messages();
        for (unsigned int i = 0; i < messages->GetMessagesCount(); ++i) {
            if (messages->GetMessageType(i) == type && std::strstr(messages->GetMessageText(i), text.c_str()))
                return true;
        }
        return false;
    }

    CShaderDescriptor MakeShader(unsigned int properties = 0)
    {
        CShaderDescriptor descriptor;
        Shaders()->CreateShaderDescriptor(&descriptor, properties);
        return descriptor;
    }

    // Places camera 0 at `position` looking along −z (no rotation) and refreshes it.
    void PlaceCamera(CVector3 const& position)
    {
        camera->SetPosition(position);
        camera->SetAngles({0.0f, 0.0f, 0.0f});
        Cameras()->Refresh();
    }

    std::filesystem::path directory;
    std::string directoryText;
    FakeDirect3D8 fake;
    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
    CTimerManager timers;
    CConfig config;
    CWindow window;
    CDirect3DSubsystem direct3D;
    CCameraManager cameras;
    CLightManager lights;
    CShaderManager shaders;
    CModelManager models;
    CCamera* camera = nullptr;

private:
    bool m_useFakeDevice;
};
