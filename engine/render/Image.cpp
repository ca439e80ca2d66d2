#include "render/Image.h"

#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "math/Color.h"
#include "platform/os/Path.h"
#include "render/JpegCodec.h"
#include "render/TgaCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace
{
constexpr unsigned int JpegSaveQuality = 85;

bool IsSupportedDepth(unsigned int bpp)
{
    return bpp == 8 || bpp == 24 || bpp == 32;
}

unsigned char GreyOf(unsigned char r, unsigned char g, unsigned char b)
{
    return static_cast<unsigned char>(0.222f * r + 0.707f * g + 0.071f * b);
}

unsigned char ChannelOf(float value)
{
    return static_cast<unsigned char>(std::clamp(value, 0.0f, 1.0f) * 255.0f);
}

// One channel of a source picture addressed by column and row, clamped to its edges.
class CChannelSampler
{
public:
    CChannelSampler(unsigned char const* data, unsigned int width, unsigned int height,
                    unsigned int pixelSize, unsigned int channel)
        : m_data(data), m_width(width), m_height(height), m_pixelSize(pixelSize), m_channel(channel)
    {}

    int operator()(long long column, long long row) const
    {
        unsigned long long const x =
            static_cast<unsigned long long>(std::clamp<long long>(column, 0, m_width - 1));
        unsigned long long const y =
            static_cast<unsigned long long>(std::clamp<long long>(row, 0, m_height - 1));
        return m_data[(y * m_width + x) * m_pixelSize + m_channel];
    }

private:
    unsigned char const* m_data;
    long long m_width;
    long long m_height;
    unsigned int m_pixelSize;
    unsigned int m_channel;
};

// Source position of target index `index` of `targetSize` over `sourceSize`, in units of
// 1/`scale` pixel; the last target index is pulled back by one unit when asked.
long long MapPosition(unsigned int index, unsigned int targetSize, unsigned int sourceSize, long long scale,
                      bool pullBackLast)
{
    if (targetSize < 2)
        return 0;
    long long position = static_cast<long long>(sourceSize - 1) * index * scale / (targetSize - 1);
    if (pullBackLast && index == targetSize - 1)
        position = std::max(position - 1, 0ll);
    return position;
}

// Cubic blend of four samples at fraction t / 128 between b and c.
long long Interpolation(long long a, long long b, long long c, long long d, long long t)
{
    return (((((a - b) * 128 + (t - 128) * (d - c - a + b)) * t + (c - a) * 16384) * t + b * (1ll << 21)) /
            (1ll << 21));
}

// Where target pixel (x, y) samples the source: the source pixel and the fraction past it,
// in 1/scale steps.
struct SSourcePlace
{
    long long column, row, fractionX, fractionY;
};

SSourcePlace PlaceInSource(unsigned int x, unsigned int y, unsigned int targetWidth,
                           unsigned int targetHeight, unsigned int sourceWidth, unsigned int sourceHeight,
                           long long scale)
{
    long long const fy = MapPosition(y, targetHeight, sourceHeight, scale, true);
    long long const fx = MapPosition(x, targetWidth, sourceWidth, scale, false);
    return {fx / scale, fy / scale, fx % scale, fy % scale};
}
} // namespace

CImage::CImage(CImage const& other)
{
    Create(other);
}

CImage& CImage::operator=(CImage const& other)
{
    Create(other);
    return *this;
}

CImage::~CImage()
{
    Destroy();
}

void CImage::Create(CMessageManager* messageManager, CMemoryManager* memoryManager, unsigned int const& width,
                    unsigned int const& height, unsigned int const& bpp)
{
    Destroy();
    unsigned long long const size = static_cast<unsigned long long>(width) * height * (bpp / 8);
    if (size > 0xFFFFFFFFull) {
        if (messageManager)
            messageManager->WriteFatalError("Image: %u x %u at %u bits is too large", width, height, bpp);
        throw CFatalError("Image: %u x %u at %u bits is too large", width, height, bpp);
    }
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_width = width;
    m_height = height;
    m_bpp = bpp;
    if (size > 0)
        m_data = static_cast<unsigned char*>(memoryManager->Allocate(static_cast<unsigned int>(size), true));
    m_free = false;
}

void CImage::Create(CImage const& other)
{
    if (this == &other)
        return;
    if (other.IsFree()) {
        Destroy();
        return;
    }
    Create(other.m_messageManager, other.m_memoryManager, other.m_width, other.m_height, other.m_bpp);
    if (m_data)
        std::memcpy(m_data, other.m_data, GetDataSize());
}

void CImage::CreateEmpty(CMessageManager* messageManager, CMemoryManager* memoryManager)
{
    Create(messageManager, memoryManager, 0, 0, 24);
}

void CImage::Destroy()
{
    if (m_free)
        return;
    if (m_data)
        m_memoryManager->Free(m_data);
    m_data = nullptr;
    m_width = m_height = m_bpp = 0;
    m_free = true;
}

void CImage::Swap(CImage& other)
{
    std::swap(m_free, other.m_free);
    std::swap(m_messageManager, other.m_messageManager);
    std::swap(m_memoryManager, other.m_memoryManager);
    std::swap(m_width, other.m_width);
    std::swap(m_height, other.m_height);
    std::swap(m_bpp, other.m_bpp);
    std::swap(m_data, other.m_data);
}

void CImage::Deliver(CImage& result, CImage* out)
{
    (out ? *out : *this).Swap(result);
}

unsigned char const* CImage::GetPixelAddress(unsigned int x, unsigned int y) const
{
    if (!m_data || x >= m_width || y >= m_height)
        return nullptr;
    return m_data + (static_cast<unsigned long long>(y) * m_width + x) * GetBytesPerPixel();
}

void CImage::GetPixel(unsigned int const& x, unsigned int const& y, unsigned char* grey) const
{
    unsigned char const* pixel = GetPixelAddress(x, y);
    if (!pixel)
        return;
    *grey = m_bpp == 8 ? pixel[0] : GreyOf(pixel[0], pixel[1], pixel[2]);
}

void CImage::GetPixel(unsigned int const& x, unsigned int const& y, unsigned char* r, unsigned char* g,
                      unsigned char* b) const
{
    unsigned char const* pixel = GetPixelAddress(x, y);
    if (!pixel)
        return;
    bool const grey = m_bpp == 8;
    *r = pixel[0];
    *g = pixel[grey ? 0 : 1];
    *b = pixel[grey ? 0 : 2];
}

void CImage::GetPixel(unsigned int const& x, unsigned int const& y, unsigned char* r, unsigned char* g,
                      unsigned char* b, unsigned char* a) const
{
    unsigned char const* pixel = GetPixelAddress(x, y);
    if (!pixel)
        return;
    GetPixel(x, y, r, g, b);
    *a = m_bpp == 32 ? pixel[3] : 255;
}

SImageSizeLimit SImageSizeLimit::ForTextures(unsigned int maximumWidth, unsigned int maximumHeight)
{
    SImageSizeLimit limit;
    if (maximumWidth > 0)
        limit.width = std::min(maximumWidth, MaximumSide);
    if (maximumHeight > 0)
        limit.height = std::min(maximumHeight, MaximumSide);
    return limit;
}

bool SImageSizeLimit::Check(CMessageManager* messageManager, char const* name,
                            unsigned long long pictureWidth, unsigned long long pictureHeight) const
{
    if (Allows(pictureWidth, pictureHeight))
        return true;
    if (messageManager)
        messageManager->WriteWarning("Image %s of %llu x %llu is larger than the largest texture, %u x %u",
                                     name, pictureWidth, pictureHeight, width, height);
    return false;
}

bool CImage::LoadFromFile(CMessageManager* messageManager, CMemoryManager* memoryManager,
                          CFileManager* fileManager, char const* name, SImageSizeLimit const& limit)
{
    if (CFileManager::CompareFileExtension(name, "tga"))
        return LoadFromFileTGA(messageManager, memoryManager, fileManager, name, limit);
    if (CFileManager::CompareFileExtension(name, "jpg"))
        return LoadFromFileJPG(messageManager, memoryManager, fileManager, name, limit);
    Destroy();
    messageManager->WriteError("Unknown \"%s\" image file type", name);
    return false;
}

bool CImage::LoadFromFileTGA(CMessageManager* messageManager, CMemoryManager* memoryManager,
                             CFileManager* fileManager, char const* name, SImageSizeLimit const& limit)
{
    Destroy();
    CImage loaded;
    try {
        CFile file;
        fileManager->OpenFile(&file, name, FILE_READ_BINARY);
        TgaCodec::Read(file, name, messageManager, memoryManager, &loaded, limit);
    } catch (CFileError const& error) {
        messageManager->WriteError("%s", error.GetText());
        return false;
    }
    Swap(loaded);
    return true;
}

bool CImage::LoadFromFileJPG(CMessageManager* messageManager, CMemoryManager* memoryManager,
                             CFileManager* fileManager, char const* name, SImageSizeLimit const& limit)
{
    Destroy();
    if (!fileManager->IsFileExists(name)) {
        messageManager->WriteError("Failed to open %s file", name);
        return false;
    }
    CImage loaded;
    try {
        CFile file;
        fileManager->OpenFile(&file, name, FILE_READ_BINARY);
        if (!JpegCodec::Read(file, messageManager, memoryManager, &loaded, limit)) {
            messageManager->WriteError("Incorrect %s file format", name);
            return false;
        }
    } catch (CFileError const& error) {
        messageManager->WriteError("%s", error.GetText());
        return false;
    }
    Swap(loaded);
    return true;
}

namespace
{
// Where a saved picture goes: drive or root paths as they are, others under the engine directory.
std::string GetSavePath(CFileManager* fileManager, char const* name)
{
    if (platform::IsAbsolutePath(name))
        return name;
    return std::string(fileManager->GetEngineDirectory()) + "\\" + name;
}
} // namespace

bool CImage::SaveToFile(CFileManager* fileManager, char const* name)
{
    if (CFileManager::CompareFileExtension(name, "tga"))
        return SaveToFileTGA(fileManager, name);
    if (CFileManager::CompareFileExtension(name, "jpg"))
        return SaveToFileJPG(fileManager, name, JpegSaveQuality);
    if (m_messageManager)
        m_messageManager->WriteError("Unknown \"%s\" image file type", name);
    return false;
}

bool CImage::SaveToFileTGA(CFileManager* fileManager, char const* name)
{
    if (m_free)
        return false;
    std::string const path = GetSavePath(fileManager, name);
    CFileManager::CreateFilePath(path.c_str());
    if (m_messageManager)
        m_messageManager->Write("...Saving image %s...", path.c_str());
    try {
        CFile file;
        file.Open(m_messageManager, m_memoryManager, path.c_str(), FILE_WRITE_BINARY);
        TgaCodec::Write(file, name, *this);
        file.Close();
    } catch (CFileError const&) {
        if (m_messageManager)
            m_messageManager->WriteError("Failed to save %s", name);
        return false;
    }
    return true;
}

bool CImage::SaveToFileJPG(CFileManager* fileManager, char const* name, unsigned int const& quality)
{
    if (m_free)
        return false;
    CImage converted;
    CImage const* source = this;
    if (m_bpp != 8 && m_bpp != 24) {
        converted.Create(*this);
        converted.ChangeBpp(24);
        source = &converted;
    }
    std::string const path = GetSavePath(fileManager, name);
    CFileManager::CreateFilePath(path.c_str());
    if (m_messageManager)
        m_messageManager->Write("...Saving image %s...", path.c_str());
    bool saved = false;
    try {
        CFile file;
        file.Open(m_messageManager, m_memoryManager, path.c_str(), FILE_WRITE_BINARY);
        // A picture the encoder gave up on must not replace the file.
        if (!JpegCodec::Write(file, *source, quality))
            throw CFileError("Failed to encode %s", name);
        file.Close();
        saved = true;
    } catch (CFileError const&) {
        saved = false;
    }
    if (!saved && m_messageManager)
        m_messageManager->WriteError("Failed to save %s", name);
    return saved;
}

void CImage::ChangeBpp(unsigned int const& bpp, CImage* out)
{
    if (m_free || !IsSupportedDepth(bpp) || !IsSupportedDepth(m_bpp))
        return;
    CImage result;
    if (bpp == m_bpp) {
        result.Create(*this);
        Deliver(result, out);
        return;
    }
    result.Create(m_messageManager, m_memoryManager, m_width, m_height, bpp);
    unsigned int const sourceSize = GetBytesPerPixel();
    unsigned int const targetSize = bpp / 8;
    unsigned long long const pixels = static_cast<unsigned long long>(m_width) * m_height;
    unsigned char const* source = m_data;
    unsigned char* target = result.m_data;
    for (unsigned long long i = 0; i < pixels; ++i, source += sourceSize, target += targetSize) {
        if (sourceSize == 1) {
            std::memset(target, source[0], 3);
        } else if (targetSize == 1) {
            target[0] = sourceSize == 4 ? source[3] : GreyOf(source[0], source[1], source[2]);
            continue;
        } else {
            std::memcpy(target, source, 3);
        }
        if (targetSize == 4)
            target[3] = sourceSize == 4 ? source[3] : 255;
    }
    Deliver(result, out);
}

void CImage::ResizeInto(CImage& target, unsigned int method) const
{
    unsigned int const w = target.m_width;
    unsigned int const h = target.m_height;
    unsigned int const pixelSize = GetBytesPerPixel();
    if (!target.m_data)
        return;
    if (!m_data || method > IRM_BOX) {
        std::memset(target.m_data, 0, target.GetDataSize());
        return;
    }
    if (method == IRM_BOX) {
        BoxReduceInto(target);
        return;
    }
    unsigned char* out = target.m_data;
    for (unsigned int y = 0; y < h; ++y) {
        for (unsigned int x = 0; x < w; ++x) {
            for (unsigned int channel = 0; channel < pixelSize; ++channel) {
                CChannelSampler const s(m_data, m_width, m_height, pixelSize, channel);
                long long value = 0;
                switch (method) {
                case IRM_NEAREST:
                    value = s(MapPosition(x, w, m_width, 1, false), MapPosition(y, h, m_height, 1, false));
                    break;
                case IRM_BILINEAR: {
                    auto const [col, row, wx, wy] = PlaceInSource(x, y, w, h, m_width, m_height, 256);
                    value = ((s(col + 1, row + 1) * wy + s(col + 1, row) * (256 - wy)) * wx +
                             (s(col, row + 1) * wy + s(col, row) * (256 - wy)) * (256 - wx)) /
                            65536;
                    break;
                }
                case IRM_CUBIC: {
                    auto const [col, row, tx, ty] = PlaceInSource(x, y, w, h, m_width, m_height, 128);
                    long long across[4];
                    for (int i = 0; i < 4; ++i) {
                        long long const r = row - 1 + i;
                        across[i] = Interpolation(s(col - 1, r), s(col, r), s(col + 1, r), s(col + 2, r), tx);
                    }
                    value =
                        std::clamp(Interpolation(across[0], across[1], across[2], across[3], ty), 0ll, 255ll);
                    break;
                }
                }
                *out++ = static_cast<unsigned char>(value);
            }
        }
    }
}

void CImage::BoxReduceInto(CImage& target) const
{
    unsigned int const pixelSize = GetBytesPerPixel();
    unsigned long long const lastColumn = m_width - 1;
    unsigned long long const lastRow = m_height - 1;
    unsigned char* out = target.m_data;
    for (unsigned long long y = 0; y < target.m_height; ++y) {
        // A source dimension of one pixel samples that pixel twice (the clamp does it).
        unsigned char const* const row = m_data + std::min(2 * y, lastRow) * m_width * pixelSize;
        unsigned char const* const nextRow = m_data + std::min(2 * y + 1, lastRow) * m_width * pixelSize;
        for (unsigned long long x = 0; x < target.m_width; ++x) {
            unsigned long long const column = std::min(2 * x, lastColumn) * pixelSize;
            unsigned long long const nextColumn = std::min(2 * x + 1, lastColumn) * pixelSize;
            for (unsigned int channel = 0; channel < pixelSize; ++channel) {
                unsigned int const sum = row[column + channel] + row[nextColumn + channel] +
                                         nextRow[column + channel] + nextRow[nextColumn + channel];
                *out++ = static_cast<unsigned char>((sum + 2) / 4);
            }
        }
    }
}

void CImage::Resize(unsigned int const& width, unsigned int const& height, unsigned int const& method,
                    CImage* out) const
{
    if (m_free || !out)
        return;
    CImage result;
    if (width == m_width && height == m_height) {
        result.Create(*this);
    } else {
        result.Create(m_messageManager, m_memoryManager, width, height, m_bpp);
        ResizeInto(result, method);
    }
    out->Swap(result);
}

void CImage::Resize(unsigned int const& width, unsigned int const& height, unsigned int const& method)
{
    if (m_free || (width == m_width && height == m_height))
        return;
    CImage result;
    Resize(width, height, method, &result);
    Swap(result);
}

void CImage::FlipVertical(CImage* out)
{
    if (m_free)
        return;
    CImage result;
    result.Create(m_messageManager, m_memoryManager, m_width, m_height, m_bpp);
    unsigned long long const rowSize = static_cast<unsigned long long>(m_width) * GetBytesPerPixel();
    for (unsigned int y = 0; y < m_height; ++y)
        std::memcpy(result.m_data + y * rowSize, m_data + (m_height - 1 - y) * rowSize, rowSize);
    Deliver(result, out);
}

void CImage::FlipRBChannels(CImage* out)
{
    if (m_free)
        return;
    CImage result;
    result.Create(*this);
    unsigned int const pixelSize = GetBytesPerPixel();
    if (pixelSize >= 3) {
        unsigned long long const size = result.GetDataSize();
        for (unsigned long long i = 0; i < size; i += pixelSize)
            std::swap(result.m_data[i], result.m_data[i + 2]);
    }
    Deliver(result, out);
}

void CImage::FillWithColor(CColor const& color, CImage* out)
{
    if (m_free)
        return;
    CVector4 const rgba = color.GetVector4();
    unsigned char pixel[4] = {ChannelOf(rgba.x), ChannelOf(rgba.y), ChannelOf(rgba.z), ChannelOf(rgba.w)};
    if (m_bpp == 8)
        pixel[0] = static_cast<unsigned char>(
            std::clamp((0.222f * rgba.x + 0.707f * rgba.y + 0.071f * rgba.z) * 255.0f, 0.0f, 255.0f));
    CImage result;
    result.Create(m_messageManager, m_memoryManager, m_width, m_height, m_bpp);
    unsigned int const pixelSize = GetBytesPerPixel();
    unsigned long long const size = result.GetDataSize();
    for (unsigned long long i = 0; i < size; i += pixelSize)
        std::memcpy(result.m_data + i, pixel, pixelSize);
    Deliver(result, out);
}

void CImage::CopySubimage(unsigned int const& x, unsigned int const& y, unsigned int const& width,
                          unsigned int const& height, CImage* out)
{
    if (m_free)
        return;
    CImage result;
    result.Create(m_messageManager, m_memoryManager, width, height, m_bpp);
    if (result.m_data)
        std::memset(result.m_data, 0, result.GetDataSize());
    unsigned int const pixelSize = GetBytesPerPixel();
    unsigned int const columns = x < m_width ? std::min(width, m_width - x) : 0;
    unsigned int const rows = y < m_height ? std::min(height, m_height - y) : 0;
    for (unsigned int row = 0; row < rows && columns > 0; ++row) {
        std::memcpy(result.m_data + static_cast<unsigned long long>(row) * width * pixelSize,
                    GetPixelAddress(x, y + row), static_cast<unsigned long long>(columns) * pixelSize);
    }
    Deliver(result, out);
}

void CImage::InsertImage(unsigned int const& x, unsigned int const& y, CImage const& image, CImage* out)
{
    if (m_free || image.IsFree())
        return;
    CImage inserted;
    inserted.Create(image);
    if (inserted.m_bpp != m_bpp)
        inserted.ChangeBpp(m_bpp);
    if (inserted.m_bpp != m_bpp)
        return;
    CImage result;
    result.Create(*this);
    unsigned int const pixelSize = GetBytesPerPixel();
    unsigned int const columns = x < m_width ? std::min(inserted.m_width, m_width - x) : 0;
    unsigned int const rows = y < m_height ? std::min(inserted.m_height, m_height - y) : 0;
    for (unsigned int row = 0; row < rows && columns > 0; ++row) {
        std::memcpy(const_cast<unsigned char*>(result.GetPixelAddress(x, y + row)),
                    inserted.GetPixelAddress(0, row), static_cast<unsigned long long>(columns) * pixelSize);
    }
    Deliver(result, out);
}

void CImage::AttachAlphaLayer(CImage const& layer, CImage* out)
{
    if (m_free || layer.IsFree())
        return;
    CImage fitted;
    CImage const* alpha = &layer;
    if (layer.m_bpp != 8 || layer.m_width != m_width || layer.m_height != m_height) {
        fitted.Create(layer);
        fitted.ChangeBpp(8);
        fitted.Resize(m_width, m_height, IRM_BILINEAR);
        alpha = &fitted;
    }
    CImage result;
    ChangeBpp(32, &result);
    if (result.IsFree() || alpha->m_bpp != 8 || alpha->m_width != m_width || alpha->m_height != m_height)
        return;
    unsigned long long const pixels = static_cast<unsigned long long>(m_width) * m_height;
    for (unsigned long long i = 0; i < pixels; ++i)
        result.m_data[i * 4 + 3] = alpha->m_data[i];
    Deliver(result, out);
}
