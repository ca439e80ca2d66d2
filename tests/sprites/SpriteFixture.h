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
#include "render/ShaderDescriptor.h"
#include "support/EngineFixture.h"
#include "support/FakeDirect3D8.h"

// An engine in a small window on the scripted device (or the OpenGL one), its files in a
// private folder, with camera 0 in use.
class SpriteFixture : public CEngineFixture
{
protected:
    explicit SpriteFixture(bool useFakeDevice = true) : CEngineFixture("Sprite", useFakeDevice) {}

    void SetUp() override
    {
        CEngineFixture::SetUp();
        if (HasFatalFailure())
            return;
        std::filesystem::create_directories(directory / "data" / "textures");
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

    CCamera* camera = nullptr;
};
