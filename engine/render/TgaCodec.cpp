#include "render/TgaCodec.h"

#include "core/Errors.h"
#include "core/File.h"
#include "core/MemoryManager.h"
#include "render/Image.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
constexpr unsigned int HeaderSize = 18;
constexpr unsigned int MaximumPacketPixels = 128;

struct STgaHeader
{
    unsigned int idLength;
    unsigned int colorMapType;
    unsigned int imageType;
    unsigned int colorMapLength;
    unsigned int colorMapEntryBits;
    unsigned int width;
    unsigned int height;
    unsigned int pixelDepth;
    unsigned int descriptor;

    bool IsRunLengthCoded() const { return (imageType & 8) != 0; }
    bool IsTopLeftOrigin() const { return (descriptor & 0x20) != 0; }
};

unsigned int ReadWord(unsigned char const* bytes)
{
    return bytes[0] | (bytes[1] << 8);
}

void WriteWord(unsigned char* bytes, unsigned int value)
{
    bytes[0] = static_cast<unsigned char>(value & 0xFF);
    bytes[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

STgaHeader ParseHeader(unsigned char const* bytes)
{
    STgaHeader header{};
    header.idLength = bytes[0];
    header.colorMapType = bytes[1];
    header.imageType = bytes[2];
    header.colorMapLength = ReadWord(bytes + 5);
    header.colorMapEntryBits = bytes[7];
    header.width = ReadWord(bytes + 12);
    header.height = ReadWord(bytes + 14);
    header.pixelDepth = bytes[16];
    header.descriptor = bytes[17];
    return header;
}

// A block from the memory manager, returned when the scope ends (also on errors).
class CScopedBlock
{
public:
    CScopedBlock(CMemoryManager* memoryManager, unsigned int size)
        : m_memoryManager(memoryManager),
          m_data(size ? static_cast<unsigned char*>(memoryManager->Allocate(size, true)) : nullptr)
    {}
    ~CScopedBlock()
    {
        if (m_data)
            m_memoryManager->Free(m_data);
    }
    CScopedBlock(CScopedBlock const&) = delete;
    CScopedBlock& operator=(CScopedBlock const&) = delete;

    unsigned char* Get() { return m_data; }

private:
    CMemoryManager* m_memoryManager;
    unsigned char* m_data;
};

[[noreturn]] void ThrowFormatError(char const* name)
{
    throw CFileError("Incorrect %s file format", name);
}

// Expands run-length packets from `source` until `pixels` pixels of `pixelSize` bytes exist.
void ExpandRunLength(unsigned char const* source, unsigned int sourceSize, unsigned int pixelSize,
                     unsigned long long pixels, unsigned char* target, char const* name)
{
    unsigned long long written = 0;
    unsigned int read = 0;
    while (written < pixels) {
        if (read >= sourceSize)
            ThrowFormatError(name);
        unsigned int const packet = source[read++];
        unsigned long long const count = std::min<unsigned long long>((packet & 0x7F) + 1, pixels - written);
        if (packet & 0x80) {
            if (sourceSize - read < pixelSize)
                ThrowFormatError(name);
            for (unsigned long long i = 0; i < count; ++i)
                std::memcpy(target + (written + i) * pixelSize, source + read, pixelSize);
            read += pixelSize;
        } else {
            unsigned long long const bytes = count * pixelSize;
            if (sourceSize - read < bytes)
                ThrowFormatError(name);
            std::memcpy(target + written * pixelSize, source + read, bytes);
            read += static_cast<unsigned int>(bytes);
        }
        written += count;
    }
}

// Converts one row of file pixels into image pixels (R, G, B order).
void ConvertRow(unsigned char const* source, unsigned int width, unsigned int depth, unsigned char* target)
{
    switch (depth) {
    case 8:
        std::memcpy(target, source, width);
        break;
    case 16:
        for (unsigned int x = 0; x < width; ++x, source += 2, target += 4) {
            unsigned int const value = ReadWord(source);
            target[0] = static_cast<unsigned char>(((value >> 10) & 0x1F) << 3);
            target[1] = static_cast<unsigned char>(((value >> 5) & 0x1F) << 3);
            target[2] = static_cast<unsigned char>((value & 0x1F) << 3);
            target[3] = (value & 0x8000) ? 255 : 0;
        }
        break;
    case 24:
        for (unsigned int x = 0; x < width; ++x, source += 3, target += 3) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
        }
        break;
    default:
        for (unsigned int x = 0; x < width; ++x, source += 4, target += 4) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            target[3] = source[3];
        }
        break;
    }
}
} // namespace

void TgaCodec::Read(CFile& file, char const* name, CMessageManager* messageManager,
                    CMemoryManager* memoryManager, CImage* image, SImageSizeLimit const& limit)
{
    unsigned char headerBytes[HeaderSize];
    file.Read(headerBytes, HeaderSize);
    STgaHeader const header = ParseHeader(headerBytes);

    unsigned int const depth = header.pixelDepth;
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32)
        ThrowFormatError(name);
    if (header.width == 0 || header.height == 0)
        ThrowFormatError(name);
    if (!limit.Check(messageManager, name, header.width, header.height))
        ThrowFormatError(name);

    // The image id and the colour map precede the pixels; the colour map is not used.
    unsigned long long const skipped =
        header.idLength +
        static_cast<unsigned long long>(header.colorMapLength) * ((header.colorMapEntryBits + 7) / 8);
    unsigned int const remaining = file.GetSize() - std::min(file.GetSize(), file.GetPosition());
    if (skipped > remaining)
        ThrowFormatError(name);
    if (skipped)
        file.Seek(FSO_CURRENT, static_cast<int>(skipped));
    unsigned int const dataSize = remaining - static_cast<unsigned int>(skipped);

    unsigned int const pixelSize = depth / 8;
    unsigned int const imageBpp = depth == 16 ? 32 : depth;
    unsigned long long const pixels = static_cast<unsigned long long>(header.width) * header.height;
    if (pixels * (imageBpp / 8) > CImage::MaximumDataSize)
        ThrowFormatError(name);

    unsigned long long const fileBytes = pixels * pixelSize;
    if (!header.IsRunLengthCoded() && fileBytes > dataSize)
        ThrowFormatError(name);
    // Every packet holds at least one pixel value and yields at most 128 pixels.
    if (header.IsRunLengthCoded() &&
        pixels > static_cast<unsigned long long>(dataSize / (1 + pixelSize)) * MaximumPacketPixels)
        ThrowFormatError(name);

    CScopedBlock filePixels(memoryManager, static_cast<unsigned int>(fileBytes));
    if (header.IsRunLengthCoded()) {
        CScopedBlock packets(memoryManager, dataSize);
        file.Read(packets.Get(), dataSize);
        ExpandRunLength(packets.Get(), dataSize, pixelSize, pixels, filePixels.Get(), name);
    } else {
        file.Read(filePixels.Get(), static_cast<unsigned int>(fileBytes));
    }

    image->Create(messageManager, memoryManager, header.width, header.height, imageBpp);
    unsigned int const fileRowSize = header.width * pixelSize;
    unsigned int const imageRowSize = header.width * (imageBpp / 8);
    for (unsigned int row = 0; row < header.height; ++row) {
        // Stored bottom row first whichever origin the file has.
        unsigned int const stored = header.IsTopLeftOrigin() ? header.height - 1 - row : row;
        ConvertRow(filePixels.Get() + static_cast<unsigned long long>(row) * fileRowSize, header.width, depth,
                   image->GetData() + static_cast<unsigned long long>(stored) * imageRowSize);
    }
}

void TgaCodec::Write(CFile& file, char const* name, CImage const& image)
{
    unsigned int const bpp = image.GetBPP();
    if (bpp != 8 && bpp != 24 && bpp != 32)
        throw CFileError("Failed to save %s", name);
    bool const grey = bpp == 8;

    unsigned char header[HeaderSize] = {};
    header[1] = grey ? 1 : 0;
    header[2] = grey ? 1 : 2;
    WriteWord(header + 5, grey ? 256 : 0);
    header[7] = grey ? 24 : 0;
    WriteWord(header + 12, image.GetWidth());
    WriteWord(header + 14, image.GetHeight());
    header[16] = static_cast<unsigned char>(bpp);
    header[17] = 0x20;
    file.Write(header, HeaderSize);

    if (grey) {
        unsigned char colorMap[256 * 3];
        for (unsigned int i = 0; i < 256; ++i)
            colorMap[3 * i] = colorMap[3 * i + 1] = colorMap[3 * i + 2] = static_cast<unsigned char>(i);
        file.Write(colorMap, sizeof colorMap);
    }

    unsigned int const pixelSize = bpp / 8;
    unsigned int const rowSize = image.GetWidth() * pixelSize;
    std::vector<unsigned char> row(rowSize);
    for (unsigned int y = image.GetHeight(); y-- > 0;) {
        unsigned char const* source = image.GetData() + static_cast<unsigned long long>(y) * rowSize;
        std::memcpy(row.data(), source, rowSize);
        if (!grey) {
            for (unsigned int x = 0; x < rowSize; x += pixelSize)
                std::swap(row[x], row[x + 2]);
        }
        if (rowSize)
            file.Write(row.data(), rowSize);
    }
}
