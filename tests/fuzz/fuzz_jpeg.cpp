// JPEG reader on arbitrary bytes: libjpeg's rejections must come back as a failed load.
#include "core/Errors.h"
#include "core/File.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "render/Image.h"
#include "render/JpegCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
struct SManagers
{
    SManagers()
    {
        messages.Create("fuzz_jpeg", false, nullptr);
        memory.Create(&messages);
    }
    CMessageManager messages;
    CMemoryManager memory;
};

SManagers& GetManagers()
{
    static SManagers managers;
    return managers;
}

std::vector<std::uint8_t> EncodeSeed(unsigned int width, unsigned int height, unsigned int bpp,
                                     unsigned int quality)
{
    SManagers& managers = GetManagers();
    CImage image;
    image.Create(&managers.messages, &managers.memory, width, height, bpp);
    for (unsigned int i = 0; i < image.GetDataSize(); ++i)
        image.GetData()[i] = static_cast<unsigned char>(i * 7 + i / 13);

    std::string const path =
        (std::filesystem::temp_directory_path() / "coralume_fuzz_jpeg_seed.jpg").string();
    {
        CFile file;
        file.Open(&managers.messages, &managers.memory, path.c_str(), FILE_WRITE_BINARY);
        JpegCodec::Write(file, image, quality);
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::remove(path.c_str());
    return bytes;
}
} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    seeds.push_back(EncodeSeed(16, 8, 24, 75));
    seeds.push_back(EncodeSeed(9, 17, 8, 50));
    seeds.push_back(EncodeSeed(24, 24, 24, 100));
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    SManagers& managers = GetManagers();
    managers.messages.ClearMessagesBuffer();
    CImage image;
    try {
        CFile file;
        file.Open(&managers.messages, &managers.memory, "fuzz.jpg", FILE_READ_BINARY, true,
                  static_cast<unsigned int>(size), data);
        JpegCodec::Read(file, &managers.messages, &managers.memory, &image, SImageSizeLimit{});
    } catch (CFileError const&) {
    }
    return 0;
}
