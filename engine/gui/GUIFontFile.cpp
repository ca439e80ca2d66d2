#include "gui/GUIFontFile.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/File.h"
#include "core/MessageManager.h"
#include "gui/GUIFont.h"

namespace
{
std::uint32_t ReadU32(unsigned char const* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

float ReadF32(unsigned char const* bytes)
{
    std::uint32_t const bits = ReadU32(bytes);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

constexpr char FontMagic[5] = {'T', 'W', 'F', 'N', 'T'};
} // namespace

void ReadFontGlyphs(CMessageManager* messageManager, CFile& file, char const* fileName,
                    std::map<unsigned char, SGUIGlyph>* glyphs)
{
    unsigned int const fileSize = file.GetSize();
    if (fileSize < CGUIFont::HeaderSize)
        messageManager->WriteFatalError("Incorrect %s file format", fileName);

    unsigned char header[CGUIFont::HeaderSize];
    file.Read(header, CGUIFont::HeaderSize);
    if (ReadU32(header) != fileSize || std::memcmp(header + 4, FontMagic, sizeof FontMagic) != 0)
        messageManager->WriteFatalError("Incorrect %s file format", fileName);
    if (ReadU32(header + 9) != CGUIFont::FileVersion)
        messageManager->WriteFatalError("Incorrect %s format version, current is %d", fileName,
                                        static_cast<int>(CGUIFont::FileVersion));

    // The glyph count must account for exactly the rest of the file.
    std::uint64_t const count = ReadU32(header + 13);
    if (CGUIFont::HeaderSize + count * CGUIFont::GlyphRecordSize != fileSize)
        messageManager->WriteFatalError("Incorrect %s file format", fileName);

    std::vector<unsigned char> records(static_cast<std::size_t>(count) * CGUIFont::GlyphRecordSize);
    if (!records.empty())
        file.Read(records.data(), static_cast<unsigned int>(records.size()));
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char const* record = &records[i * CGUIFont::GlyphRecordSize];
        SGUIGlyph glyph;
        glyph.code = record[0];
        glyph.u = ReadF32(record + 1);
        glyph.v = ReadF32(record + 5);
        glyph.du = ReadF32(record + 9);
        glyph.dv = ReadF32(record + 13);
        glyph.advance = ReadF32(record + 17);
        glyphs->emplace(glyph.code, glyph);
    }
}
