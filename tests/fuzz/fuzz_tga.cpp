// TGA reader on arbitrary bytes: a failed load is fine, a crash or a bad read is not.
#include "core/Errors.h"
#include "core/File.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "render/Image.h"
#include "render/TgaCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace
{
struct SManagers
{
    SManagers()
    {
        messages.Create("fuzz_tga", false, nullptr);
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

std::vector<std::uint8_t> Header(std::uint8_t type, std::uint16_t width, std::uint16_t height,
                                 std::uint8_t depth, std::uint8_t descriptor)
{
    std::vector<std::uint8_t> header(18, 0);
    header[2] = type;
    header[12] = width & 0xFF;
    header[13] = width >> 8;
    header[14] = height & 0xFF;
    header[15] = height >> 8;
    header[16] = depth;
    header[17] = descriptor;
    return header;
}
} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    std::vector<std::uint8_t> raw = Header(2, 4, 3, 24, 0x20);
    raw.resize(raw.size() + 4 * 3 * 3, 0x40);
    seeds.push_back(raw);

    std::vector<std::uint8_t> runs = Header(10, 8, 8, 32, 0);
    for (int packet = 0; packet < 4; ++packet) {
        runs.insert(runs.end(), {0x8F, 1, 2, 3, 4});
        runs.insert(runs.end(), {0x01, 5, 6, 7, 8, 9, 10, 11, 12});
    }
    seeds.push_back(runs);

    std::vector<std::uint8_t> mapped = Header(1, 16, 2, 8, 0);
    mapped[1] = 1;
    mapped[5] = 0;
    mapped[6] = 1;
    mapped[7] = 24;
    mapped.resize(mapped.size() + 768 + 32, 0x11);
    seeds.push_back(mapped);

    std::vector<std::uint8_t> sixteen = Header(11, 5, 5, 16, 0x20);
    sixteen.insert(sixteen.end(), {0x98, 0xFF, 0x7F, 0x04, 0x00, 0x01, 0x80});
    seeds.push_back(sixteen);
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    SManagers& managers = GetManagers();
    managers.messages.ClearMessagesBuffer();
    CImage image;
    try {
        CFile file;
        file.Open(&managers.messages, &managers.memory, "fuzz.tga", FILE_READ_BINARY, true,
                  static_cast<unsigned int>(size), data);
        TgaCodec::Read(file, "fuzz.tga", &managers.messages, &managers.memory, &image, SImageSizeLimit{});
    } catch (CFileError const&) {
        return 0;
    }
    // Whatever loaded must survive the texture path's conversions.
    CImage reduced;
    image.Resize(5, 3, IRM_BILINEAR, &reduced);
    image.Resize(std::max(1u, image.GetWidth() / 2), std::max(1u, image.GetHeight() / 2), IRM_BOX, &reduced);
    image.AttachAlphaLayer(image, &reduced);
    image.ChangeBpp(24);
    return 0;
}
