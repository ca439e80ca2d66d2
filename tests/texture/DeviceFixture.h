#pragma once

#include "core/Config.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "render/Direct3DSubsystem.h"
#include "render/Image.h"
#include "render/Window.h"
#include "support/FakeDirect3D8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Managers over a private engine directory and a device subsystem, on the scriptable
// fake device unless the test asks for the real one. Needs a display for the window.
class DeviceFixture : public ::testing::Test
{
protected:
    explicit DeviceFixture(bool realDevice = false) : m_realDevice(realDevice) {}

    void SetUp() override
    {
        auto const* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = std::filesystem::temp_directory_path() /
                    (std::string("coralume_device_") + test->test_suite_name() + "_" + test->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory / "data" / "textures");
        messages.Create("device", false, nullptr);
        memory.Create(&messages);
        files.Create(&messages, &memory, directory.c_str(), nullptr);
        config.Create(&messages, &memory, &files, directory.c_str(), "test", "640x480x32");
        settings = config.GetMainSettings();
        std::snprintf(settings->v_mode, sizeof settings->v_mode, "%s", "640x480x32");
        settings->v_fullscreen = false;
        if (!m_realDevice) {
            fake.adapters.push_back(FakeDirect3D8::MakeAdapter(
                {1280, 1024, 60, D3DFMT_X8R8G8B8},
                {{320, 240, 60, D3DFMT_X8R8G8B8}, {640, 480, 60, D3DFMT_X8R8G8B8}}));
            ConfigureFake(fake.adapters.back());
            fake.Install();
        }
        window.Create(&messages, &memory, &config, nullptr, "device test", nullptr, 0, 640, 480, false);
        direct3D.Create(&messages, &memory, &config, &window);
        // The first frame forces every cached state.
        direct3D.Refresh();
        messages.ClearMessagesBuffer();
    }

    void TearDown() override
    {
        DestroyUsers();
        direct3D.Destroy();
        window.Destroy();
        if (!m_realDevice)
            fake.Uninstall();
        config.Destroy();
        files.Destroy();
        memory.Destroy();
        messages.Destroy();
        std::filesystem::remove_all(directory);
    }

    // Lets a test change the fake's capabilities before the device is made.
    virtual void ConfigureFake(FakeDirect3D8::SAdapter&) {}
    // Destroys what the test built on the device before the device goes.
    virtual void DestroyUsers() {}

    FakeDirect3DDevice8* Device() const { return fake.GetDevice(); }

    CImage MakeImage(unsigned int width, unsigned int height, unsigned int bpp,
                     std::vector<std::uint8_t> const& data)
    {
        CImage image;
        image.Create(&messages, &memory, width, height, bpp);
        EXPECT_EQ(data.size(), image.GetDataSize());
        std::copy(data.begin(), data.end(), image.GetData());
        return image;
    }

    // An image of one colour repeated (bpp / 8 channels).
    CImage MakeFilledImage(unsigned int width, unsigned int height, unsigned int bpp,
                           std::vector<std::uint8_t> const& pixel)
    {
        std::vector<std::uint8_t> data;
        for (unsigned int i = 0; i < width * height; ++i)
            data.insert(data.end(), pixel.begin(), pixel.end());
        return MakeImage(width, height, bpp, data);
    }

    // Saves a picture as "data\textures\<name>".
    void SaveTexture(std::string const& name, CImage& image)
    {
        ASSERT_TRUE(image.SaveToFile(&files, ("data\\textures\\" + name).c_str()));
    }

    bool HasMessage(EMessageType type, std::string const& text = "")
    {
        for (unsigned int i = 0; i < messages.GetMessagesCount(); ++i) {
            if (messages.GetMessageType(i) == type &&
                std::string(messages.GetMessageText(i)).find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    unsigned int CountMessages(EMessageType type)
    {
        unsigned int count = 0;
        for (unsigned int i = 0; i < messages.GetMessagesCount(); ++i)
            count += messages.GetMessageType(i) == type ? 1 : 0;
        return count;
    }

    std::filesystem::path directory;
    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
    CConfig config;
    SMainSettings* settings = nullptr;
    FakeDirect3D8 fake;
    CWindow window;
    CDirect3DSubsystem direct3D;

private:
    bool m_realDevice;
};
