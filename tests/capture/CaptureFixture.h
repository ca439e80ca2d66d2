#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/Config.h"
#include "core/Engine.h"
#include "core/Errors.h"
#include "platform/FakeDirect3D8.h"
#include "render/ScreenCapture.h"

// An engine in a 640 x 480 window on the scripted device (or the OpenGL one) whose files,
// screenshots and recordings go to a private folder.
class CaptureFixture : public ::testing::Test
{
protected:
    explicit CaptureFixture(bool useFakeDevice = true) : m_useFakeDevice(useFakeDevice) {}

    void SetUp() override
    {
        auto const* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = std::filesystem::temp_directory_path() /
                    (std::string("coralume_capture_") + test->test_suite_name() + "_" + test->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        std::ofstream(directory / "CaptureTest.ini") << "v_fullscreen 0\nv_mode 640x480x32\n";
        if (m_useFakeDevice) {
            D3DDISPLAYMODE const desktop{1280, 1024, 60, D3DFMT_X8R8G8B8};
            std::vector<D3DDISPLAYMODE> const modes{{640, 480, 60, D3DFMT_X8R8G8B8}};
            fake.adapters.push_back(FakeDirect3D8::MakeAdapter(desktop, modes));
            fake.Install();
        }
        directoryText = directory.string();
        settings.applicationName = "CaptureTest";
        settings.applicationVersion = 100;
        settings.engineDirectory = directoryText.c_str();
        settings.configFileName = "CaptureTest";
        settings.configDirectory = directoryText.c_str();
        settings.createLogFile = false;
        settings.logDirectory = directoryText.c_str();
        settings.defaultVideoMode = "640x480x32";
        try {
            engine.Create(settings);
        } catch (CError const& error) {
            FAIL() << "engine creation: " << error.GetText();
        }
    }

    void TearDown() override
    {
        engine.Destroy();
        if (m_useFakeDevice)
            fake.Uninstall();
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    CConfig* Config() { return engine.GetConfig(); }
    CScreenCapture* Capture() { return engine.GetScreenCapture(); }

    void Request(char const* command) { Config()->SetCommandExecution(command, false); }

    std::filesystem::path Captures() const { return directory / "ScreenCaptures"; }

    // Names of the files the captures folder holds, sorted.
    std::vector<std::string> CapturedFiles() const
    {
        std::vector<std::string> names;
        if (!std::filesystem::exists(Captures()))
            return names;
        for (auto const& entry : std::filesystem::directory_iterator(Captures()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Standard output of a shell command; "" when it cannot be run.
    static std::string RunCommand(std::string const& command)
    {
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        if (!pipe)
            return "";
        std::string output;
        std::array<char, 4096> buffer{};
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe.get()))
            output.append(buffer.data(), n);
        return output;
    }

    static bool HasFfmpeg()
    {
        return std::system("ffprobe -version >/dev/null 2>&1 && ffmpeg -version >/dev/null 2>&1") == 0;
    }

    std::filesystem::path directory;
    std::string directoryText;
    FakeDirect3D8 fake;
    SEngineSettings settings{};
    CEngine engine;

private:
    bool m_useFakeDevice;
};
