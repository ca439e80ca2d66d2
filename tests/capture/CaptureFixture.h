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
#include "render/ScreenCapture.h"
#include "support/EngineFixture.h"
#include "support/FakeDirect3D8.h"

// An engine in a 640 x 480 window on the scripted device (or the OpenGL one) whose files,
// screenshots and recordings go to a private folder.
class CaptureFixture : public CEngineFixture
{
protected:
    explicit CaptureFixture(bool useFakeDevice = true)
        : CEngineFixture("Capture", useFakeDevice, {{640, 480, 60, D3DFMT_X8R8G8B8}})
    {}

    void SetUp() override
    {
        CEngineFixture::SetUp();
        if (HasFatalFailure())
            return;
        // Every reading of the clock is one video frame later, so a recording keeps each frame.
        Capture()->SetClock([this] { return clockSeconds += 1.0 / CScreenCapture::FramesPerSecond; });
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

    double clockSeconds = 0.0;

    static bool HasFfmpeg()
    {
        return std::system("ffprobe -version >/dev/null 2>&1 && ffmpeg -version >/dev/null 2>&1") == 0;
    }
};
