#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/Engine.h"
#include "model/ModelManager.h"
#include "render/Camera.h"
#include "render/CameraManager.h"
#include "render/Direct3DSubsystem.h"
#include "render/Light.h"
#include "render/LightManager.h"

// The program's view of the tank on the OpenGL device, for tests that check drawn pixels: its
// camera in front of the glass, the water's clear colour, one directional light, and the
// frame read back after every render.
class CTankView
{
public:
    static constexpr float EyeHeight = 2.165f;
    static constexpr int WaterRed = 94, WaterGreen = 174, WaterBlue = 243;
    static CVector4 GetWater()
    {
        return CVector4(WaterRed / 255.0f, WaterGreen / 255.0f, WaterBlue / 255.0f, 1.0f);
    }

    struct SLight
    {
        CVector3 direction;
        float diffuse;
        CVector3 ambient;
    };

    // The engine's first camera, made a perspective one where none is set up yet.
    static CCamera* GetFirstCamera(CEngine& engine)
    {
        CCameraManager* cameras = engine.GetCameraManager();
        CCamera* camera = cameras->GetCamera(0);
        if (camera->IsFree())
            camera = cameras->GetCamera(cameras->AddCamera(CT_PERSPECTIVE));
        return camera;
    }

    // In front of the tank, looking along +y with z up, the water's colour behind everything.
    void Place(CEngine& engine, CCamera* camera, SLight const& light)
    {
        m_camera = camera;
        camera->SetPosition(CVector3(0.0f, -18.316f, EyeHeight));
        camera->SetAngles(CVector3(1.5707964f, 0.0f, 0.0f));
        camera->SetFOV(57.5f);
        engine.GetModelManager()->SetClearColor(GetWater());
        CLightManager* lights = engine.GetLightManager();
        CLight* sun = lights->GetLight(lights->AddLight());
        sun->SetType(LT_DIRECTIONAL);
        sun->SetDirection(light.direction);
        sun->SetDiffuseColor({light.diffuse, light.diffuse, light.diffuse, 1.0f});
        sun->SetAmbientColor({0.0f, 0.0f, 0.0f, 1.0f});
        sun->SetSpecularColor({0.0f, 0.0f, 0.0f, 1.0f});
        sun->Enable();
        lights->SetGlobalAmbient(light.ambient);
    }

    // Draws one frame and reads it back.
    void Render(CEngine& engine)
    {
        // The test reads frames the engine's capture did not ask for.
        engine.GetDirect3DSubsystem()->GetDevice()->SetFrameKeeping(true);
        engine.BeginFrame();
        engine.FinishFrame();
        D3DPRESENT_PARAMETERS const& parameters = engine.GetDirect3DSubsystem()->GetPresentParameters();
        width = parameters.BackBufferWidth;
        height = parameters.BackBufferHeight;
        frame.assign(std::size_t(width) * height, 0);
        ASSERT_EQ(engine.GetDirect3DSubsystem()->GetDevice()->GetFrontBuffer(frame.data(), width * 4),
                  D3D_OK);
    }

    // The pixel where `point` is drawn; the water's colour off the frame.
    std::uint32_t PixelAt(CVector3 const& point) const
    {
        CVector4 const clip = m_camera->GetClipMatrix() * CVector4(point.x, point.y, point.z, 1.0f);
        float const x = (clip.x / clip.w + 1.0f) * 0.5f * static_cast<float>(width);
        float const y = (1.0f - clip.y / clip.w) * 0.5f * static_cast<float>(height);
        if (clip.w <= 0.0f || x < 0.0f || y < 0.0f || x >= float(width) || y >= float(height))
            return (std::uint32_t(WaterRed) << 16) | (std::uint32_t(WaterGreen) << 8) | WaterBlue;
        return frame[std::size_t(y) * width + std::size_t(x)];
    }

    static int Channel(std::uint32_t pixel, int shift) { return int((pixel >> shift) & 0xFF); }
    static int Brightness(std::uint32_t pixel)
    {
        return Channel(pixel, 16) + Channel(pixel, 8) + Channel(pixel, 0);
    }
    // How far a pixel's colour lies from the water's.
    static int FromWater(std::uint32_t pixel)
    {
        return std::abs(Channel(pixel, 16) - WaterRed) + std::abs(Channel(pixel, 8) - WaterGreen) +
               std::abs(Channel(pixel, 0) - WaterBlue);
    }
    // Blue over red: the bluer, the larger.
    static int Blueness(std::uint32_t pixel) { return Channel(pixel, 0) - Channel(pixel, 16); }

    // Pixels that differ clearly from the water colour.
    unsigned int CountNonWaterPixels(int threshold) const
    {
        unsigned int count = 0;
        for (std::uint32_t value : frame)
            count += FromWater(value) > threshold;
        return count;
    }

    unsigned int width = 0;
    unsigned int height = 0;
    std::vector<std::uint32_t> frame;

private:
    CCamera* m_camera = nullptr;
};
