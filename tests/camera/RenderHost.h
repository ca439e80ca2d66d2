#pragma once

// The managers a camera, light or triangle set needs, on the scripted device or on the
// OpenGL device in a real window.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "core/Config.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "core/TimerManager.h"
#include "render/CameraManager.h"
#include "render/Direct3DSubsystem.h"
#include "render/LightManager.h"
#include "render/ShaderManager.h"
#include "render/Texture2D.h"
#include "render/Window.h"
#include "support/FakeDirect3D8.h"

struct SRenderHost
{
    static bool HasDisplay() { return std::getenv("DISPLAY") != nullptr; }

    // With `fake` the scripted device stands in for the runtime.
    void Create(bool fake, unsigned int width = 640, unsigned int height = 480)
    {
        directory =
            std::filesystem::temp_directory_path() / ("tidewell_render_" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
        messages.Create("render", false, nullptr);
        memory.Create(&messages);
        files.Create(&messages, &memory, directory.string().c_str(), nullptr);
        config.Create(&messages, &memory, nullptr, nullptr, "render", "640x480x32");
        SMainSettings* settings = config.GetMainSettings();
        settings->v_fullscreen = false;
        std::snprintf(settings->v_mode, sizeof settings->v_mode, "%ux%ux32", width, height);
        if (fake) {
            fakeRuntime.adapters.push_back(FakeDirect3D8::MakeAdapter(
                {1280, 1024, 60, D3DFMT_X8R8G8B8}, {{640, 480, 60, D3DFMT_X8R8G8B8},
                                                    {800, 600, 60, D3DFMT_X8R8G8B8},
                                                    {width, height, 60, D3DFMT_X8R8G8B8}}));
            fakeRuntime.Install();
            installed = true;
        }
        window.Create(&messages, &memory, &config, nullptr, "render test", nullptr, 0, width, height, false);
        direct3D.Create(&messages, &memory, &config, &window);
        timers.Create();
        lights.Create(&messages, &memory, &direct3D);
        shaders.Create(&messages, &memory, &files, &timers, &config, &direct3D, &lights);
        cameras.Create(&messages, &memory, &window, &direct3D);
    }

    void Destroy()
    {
        cameras.Destroy();
        shaders.Destroy();
        lights.Destroy();
        timers.Destroy();
        direct3D.Destroy();
        window.Destroy();
        config.Destroy();
        files.Destroy();
        if (installed)
            fakeRuntime.Uninstall();
        installed = false;
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    FakeDirect3DDevice8* FakeDevice() { return fakeRuntime.GetDevice(); }

    std::filesystem::path directory;
    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
    CConfig config;
    FakeDirect3D8 fakeRuntime;
    bool installed = false;
    CWindow window;
    CDirect3DSubsystem direct3D;
    CTimerManager timers;
    CLightManager lights;
    CShaderManager shaders;
    CCameraManager cameras;
};
