#pragma once

#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "render/Image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Managers over a private engine directory that the test writes pictures into.
class ImageFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto const* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = std::filesystem::temp_directory_path() /
                    (std::string("coralume_image_") + test->test_suite_name() + "_" + test->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        messages.Create("image", false, nullptr);
        memory.Create(&messages);
        files.Create(&messages, &memory, directory.c_str(), nullptr);
    }

    void TearDown() override
    {
        files.Destroy();
        memory.Destroy();
        messages.Destroy();
        std::filesystem::remove_all(directory);
    }

    void WriteBytes(std::string const& name, std::vector<std::uint8_t> const& bytes)
    {
        std::ofstream out(directory / name, std::ios::binary);
        out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::vector<std::uint8_t> ReadBytes(std::string const& name)
    {
        std::ifstream in(directory / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // True when some message of the current frame has this type and contains the text.
    bool HasMessage(EMessageType type, std::string const& text = "")
    {
        for (unsigned int i = 0; i < messages.GetMessagesCount(); ++i) {
            if (messages.GetMessageType(i) == type &&
                std::string(messages.GetMessageText(i)).find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    CImage MakeImage(unsigned int width, unsigned int height, unsigned int bpp,
                     std::vector<std::uint8_t> const& data)
    {
        CImage image;
        image.Create(&messages, &memory, width, height, bpp);
        EXPECT_EQ(data.size(), image.GetDataSize());
        std::copy(data.begin(), data.end(), image.GetData());
        return image;
    }

    static std::vector<std::uint8_t> DataOf(CImage const& image)
    {
        return {image.GetData(), image.GetData() + image.GetDataSize()};
    }

    std::filesystem::path directory;
    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
};
