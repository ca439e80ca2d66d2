#pragma once

class CColor;
class CFileManager;
class CMessageManager;
class CMemoryManager;

enum EImageResizeMethod : unsigned int
{
    IRM_NEAREST = 0,
    IRM_BILINEAR = 1,
    IRM_CUBIC = 2,
    // Each target pixel averages a 2 x 2 block of the source (mip levels).
    IRM_BOX = 3,
};

class CMessageManager;

// The largest picture a file may give, side by side; a device that takes smaller textures
// lowers it.
struct SImageSizeLimit
{
    static constexpr unsigned int MaximumSide = 8192;

    unsigned int width = MaximumSide;
    unsigned int height = MaximumSide;

    // A device's largest texture, no larger than MaximumSide; 0 means unknown.
    static SImageSizeLimit ForTextures(unsigned int maximumWidth, unsigned int maximumHeight);
    bool Allows(unsigned long long pictureWidth, unsigned long long pictureHeight) const
    {
        return pictureWidth <= width && pictureHeight <= height;
    }
    // False, with a warning that names the picture and both sizes, when it is larger.
    bool Check(CMessageManager* messageManager, char const* name, unsigned long long pictureWidth,
               unsigned long long pictureHeight) const;
};

// An in-memory picture of 8 (grey or alpha), 24 (R, G, B) or 32 (R, G, B, A) bits per
// pixel. Pixels are tightly packed and rows are stored bottom row first.
// Every operation with an `out` argument changes the image itself when `out` is null.
class CImage
{
public:
    // Largest pixel buffer a loaded file may ask for.
    static constexpr unsigned long long MaximumDataSize = 1ull << 30;

    CImage() = default;
    CImage(CImage const& other);
    CImage& operator=(CImage const& other);
    ~CImage();

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, unsigned int const& width,
                unsigned int const& height, unsigned int const& bpp);
    void Create(CImage const& other);
    // A 0 x 0 picture that is not free.
    void CreateEmpty(CMessageManager* messageManager, CMemoryManager* memoryManager);
    void Destroy();
    bool IsFree() const { return m_free; }
    void SetFree(bool const& free) { m_free = free; }

    unsigned int GetWidth() const { return m_width; }
    unsigned int GetHeight() const { return m_height; }
    unsigned int GetBPP() const { return m_bpp; }
    unsigned char* GetData() { return m_data; }
    unsigned char const* GetData() const { return m_data; }
    unsigned int GetDataSize() const { return m_width * m_height * (m_bpp / 8); }

    // Pixels outside the image leave the outputs as they were.
    void GetPixel(unsigned int const& x, unsigned int const& y, unsigned char* grey) const;
    void GetPixel(unsigned int const& x, unsigned int const& y, unsigned char* r, unsigned char* g,
                  unsigned char* b) const;
    void GetPixel(unsigned int const& x, unsigned int const& y, unsigned char* r, unsigned char* g,
                  unsigned char* b, unsigned char* a) const;

    // Chosen by the extension: "tga" or "jpg". A failed load, or a picture larger than
    // `limit` (refused before it is decoded), leaves the image free.
    bool LoadFromFile(CMessageManager* messageManager, CMemoryManager* memoryManager,
                      CFileManager* fileManager, char const* name, SImageSizeLimit const& limit = {});
    bool LoadFromFileTGA(CMessageManager* messageManager, CMemoryManager* memoryManager,
                         CFileManager* fileManager, char const* name, SImageSizeLimit const& limit = {});
    bool LoadFromFileJPG(CMessageManager* messageManager, CMemoryManager* memoryManager,
                         CFileManager* fileManager, char const* name, SImageSizeLimit const& limit = {});
    bool SaveToFile(CFileManager* fileManager, char const* name);
    bool SaveToFileTGA(CFileManager* fileManager, char const* name);
    bool SaveToFileJPG(CFileManager* fileManager, char const* name, unsigned int const& quality);

    void ChangeBpp(unsigned int const& bpp, CImage* out = nullptr);
    void Resize(unsigned int const& width, unsigned int const& height, unsigned int const& method,
                CImage* out) const;
    void Resize(unsigned int const& width, unsigned int const& height, unsigned int const& method);
    void FlipVertical(CImage* out = nullptr);
    void FlipRBChannels(CImage* out = nullptr);
    void FillWithColor(CColor const& color, CImage* out = nullptr);
    // The w x h rectangle starting at (x, y) in stored row order; parts outside are black.
    void CopySubimage(unsigned int const& x, unsigned int const& y, unsigned int const& width,
                      unsigned int const& height, CImage* out = nullptr);
    // Writes `image` at (x, y), converted to this depth; parts outside are dropped.
    void InsertImage(unsigned int const& x, unsigned int const& y, CImage const& image,
                     CImage* out = nullptr);
    // Makes a 32-bit image whose alpha comes from `layer` (grey, fitted to this size).
    void AttachAlphaLayer(CImage const& layer, CImage* out = nullptr);

    void Swap(CImage& other);

private:
    unsigned int GetBytesPerPixel() const { return m_bpp / 8; }
    unsigned char const* GetPixelAddress(unsigned int x, unsigned int y) const;
    // Gives `result` to `out`, or to this image when `out` is null.
    void Deliver(CImage& result, CImage* out);
    void ResizeInto(CImage& target, unsigned int method) const;
    // IRM_BOX: each target pixel averages the 2 x 2 block at twice its place, clamped to the edges.
    void BoxReduceInto(CImage& target) const;

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    unsigned int m_width = 0;
    unsigned int m_height = 0;
    unsigned int m_bpp = 0;
    unsigned char* m_data = nullptr;
};
