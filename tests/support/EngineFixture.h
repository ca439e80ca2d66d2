#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/Engine.h"
#include "core/Errors.h"
#include "support/FakeDirect3D8.h"

// An engine in a 640 x 480 window on the scripted device (or the OpenGL one), with its
// configuration and log in a private folder named after the running test. Fixtures that
// add to it call SetUp and TearDown of this class first and last.
class CEngineFixture : public ::testing::Test
{
protected:
    // `name` names the folder, the program and its configuration ("<name>Test"); the
    // scripted adapter offers `modes` beside its 1280 x 1024 desktop.
    CEngineFixture(std::string name, bool useFakeDevice,
                   std::vector<D3DDISPLAYMODE> modes = {{640, 480, 60, D3DFMT_X8R8G8B8},
                                                        {1280, 1024, 60, D3DFMT_X8R8G8B8}})
        : m_name(std::move(name)), m_useFakeDevice(useFakeDevice), m_modes(std::move(modes))
    {}

    void SetUp() override
    {
        auto const* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = std::filesystem::temp_directory_path() /
                    ("coralume_" + m_name + "_" + test->test_suite_name() + "_" + test->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        std::string const program = m_name + "Test";
        std::ofstream(directory / (program + ".ini")) << "v_fullscreen 0\nv_mode 640x480x32\n";
        if (m_useFakeDevice) {
            D3DDISPLAYMODE const desktop{1280, 1024, 60, D3DFMT_X8R8G8B8};
            fake.adapters.push_back(FakeDirect3D8::MakeAdapter(desktop, m_modes));
            fake.Install();
        }
        directoryText = directory.string();
        m_program = program;
        settings.applicationName = m_program.c_str();
        settings.applicationVersion = 100;
        settings.engineDirectory = engineDirectory.empty() ? directoryText.c_str() : engineDirectory.c_str();
        settings.configFileName = m_program.c_str();
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

    // Where the engine finds its files; set before SetUp (the private folder when empty).
    std::string engineDirectory;

    std::filesystem::path directory;
    std::string directoryText;
    FakeDirect3D8 fake;
    SEngineSettings settings{};
    CEngine engine;

private:
    std::string m_name;
    std::string m_program;
    bool m_useFakeDevice;
    std::vector<D3DDISPLAYMODE> m_modes;
};
