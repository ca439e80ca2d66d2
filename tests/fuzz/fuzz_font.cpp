// Font glyph tables from arbitrary bytes: a fatal format error is fine, a crash or a read past
// the file is not.
#include "core/Errors.h"
#include "core/File.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace
{
struct SManagers
{
    SManagers()
    {
        messages.Create("fuzz_font", false, nullptr);
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

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> FontImage(unsigned int glyphs)
{
    std::vector<std::uint8_t> out;
    PutU32(out, 17 + 21 * glyphs);
    out.insert(out.end(), {'T', 'W', 'F', 'N', 'T'});
    PutU32(out, 200);
    PutU32(out, glyphs);
    for (unsigned int i = 0; i < glyphs; ++i) {
        out.push_back(static_cast<std::uint8_t>('A' + i));
        for (float value : {0.1f * i, 0.0f, 0.1f, 1.0f, 0.6f}) {
            std::uint32_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            PutU32(out, bits);
        }
    }
    return out;
}
} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    seeds.push_back(FontImage(0));
    seeds.push_back(FontImage(3));
    seeds.push_back(FontImage(40));
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    SManagers& managers = GetManagers();
    managers.messages.ClearMessagesBuffer();
    std::map<unsigned char, SGUIGlyph> glyphs;
    try {
        CFile file;
        file.Open(&managers.messages, &managers.memory, "fuzz.fnt", FILE_READ_BINARY, true,
                  static_cast<unsigned int>(size), data);
        ReadFontGlyphs(&managers.messages, file, "fuzz.fnt", &glyphs);
        // A table that loads accounts for the whole file.
        if (size < 17 || (size - 17) % 21 != 0 || glyphs.size() > (size - 17) / 21)
            std::abort();
    } catch (CFatalError const&) {
        return 0;
    } catch (CFileError const&) {
        return 0;
    }
    return 0;
}
