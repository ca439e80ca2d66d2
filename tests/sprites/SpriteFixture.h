#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Engine.h"
#include "core/Errors.h"
#include "model/SpriteGroup.h"
#include "model/SpriteGroupManager.h"
#include "platform/FakeDirect3D8.h"
#include "render/ShaderDescriptor.h"

// An engine in a small window on the scripted device (or the OpenGL one), its files in a
// private folder, with camera 0 in use.
class SpriteFixture : public ::testing::Test
{
protected:
    explicit SpriteFixture(bool useFakeDevice = true) : m_useFakeDevice(useFakeDevice) {}

    void SetUp() override
    {
        auto const* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = std::filesystem::temp_directory_path() /
                    (std::string("coralume_sprites_") + test->test_suite_name() + "_" + test->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory / "data" / "textures");
        std::ofstream(directory / "SpriteTest.ini") << "v_fullscreen 0\nv_mode 640x480x32\n";
        if (m_useFakeDevice) {
            D3DDISPLAYMODE const desktop{1280, 1024, 60, D3DFMT_X8R8G8B8};
            std::vector<D3DDISPLAYMODE> const modes{{640, 480, 60, D3DFMT_X8R8G8B8},
                                                    {1280, 1024, 60, D3DFMT_X8R8G8B8}};
            fake.adapters.push_back(FakeDirect3D8::MakeAdapter(desktop, modes));
            fake.Install();
        }
        directoryText = directory.string();
        settings.applicationName = "SpriteTest";
        settings.applicationVersion = 100;
        settings.engineDirectory = directoryText.c_str();
        settings.configFileName = "SpriteTest";
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
        // Camera 0, which the groups follow (the engine may have put it in use already).
        camera = cameras->GetCamera(0);
        if (camera->IsFree())
            camera = cameras->GetCamera(cameras->AddCamera(CT_PERSPECTIVE));
        ASSERT_EQ(camera, cameras->GetCamera(0));
        // The GUI may have taken slot 0 for its flat camera; the scene needs a perspective.
        camera->SetType(CT_PERSPECTIVE);
        camera->SetNearPlaneDistance(1.0f);
        camera->SetFarPlaneDistance(1000.0f);
        PlaceCamera({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f});
    }

    void TearDown() override
    {
        engine.Destroy();
        if (m_useFakeDevice)
            fake.Uninstall();
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    CSpriteGroupManager* Groups() { return engine.GetSpriteGroupManager(); }
    CModelManager* Models() { return engine.GetModelManager(); }

    CShaderDescriptor MakeShader(unsigned int properties = 0)
    {
        CShaderDescriptor descriptor;
        engine.GetShaderManager()->CreateShaderDescriptor(&descriptor, properties);
        return descriptor;
    }

    // Camera 0 at `position` with `angles` (x pitch, z yaw); at zero angles it looks along −z.
    void PlaceCamera(CVector3 const& position, CVector3 const& angles)
    {
        camera->SetPosition(position);
        camera->SetAngles(angles);
        engine.GetCameraManager()->Refresh();
    }

    std::filesystem::path directory;
    std::string directoryText;
    FakeDirect3D8 fake;
    SEngineSettings settings{};
    CEngine engine;
    CCamera* camera = nullptr;

private:
    bool m_useFakeDevice;
};
