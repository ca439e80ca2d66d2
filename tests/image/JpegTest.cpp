#include "ImageFixture.h"

#include <cstdlib>

namespace
{
// Red rises towards the top, blue towards the bottom, green from left to right.
CImage MakeBands(CMessageManager* messages, CMemoryManager* memory, unsigned int width, unsigned int height)
{
    CImage image;
    image.Create(messages, memory, width, height, 24);
    for (unsigned int y = 0; y < height; ++y) {
        for (unsigned int x = 0; x < width; ++x) {
            unsigned char* pixel = image.GetData() + (y * width + x) * 3;
            pixel[0] = static_cast<unsigned char>(20 + y * 210 / (height - 1));
            pixel[1] = static_cast<unsigned char>(x * 255 / (width - 1));
            pixel[2] = static_cast<unsigned char>(230 - y * 210 / (height - 1));
        }
    }
    return image;
}

CImage MakeNoise(CMessageManager* messages, CMemoryManager* memory, unsigned int width, unsigned int height)
{
    CImage image;
    image.Create(messages, memory, width, height, 24);
    unsigned int state = 12345;
    for (unsigned int i = 0; i < image.GetDataSize(); ++i) {
        state = state * 1103515245u + 12345u;
        image.GetData()[i] = static_cast<unsigned char>(state >> 24);
    }
    return image;
}

std::size_t FindMarker(std::vector<std::uint8_t> const& bytes, std::uint8_t marker)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == marker)
            return i;
    }
    return bytes.size();
}

// Cut in the middle of the entropy-coded data after the start of scan.
std::vector<std::uint8_t> TruncatedInScan(std::vector<std::uint8_t> const& bytes)
{
    std::size_t const scan = FindMarker(bytes, 0xDA);
    EXPECT_LT(scan + 200, bytes.size());
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>((scan + bytes.size()) / 2)};
}

// The same data with a frame header that claims another picture size.
std::vector<std::uint8_t> WithFrameSize(std::vector<std::uint8_t> bytes, unsigned int width,
                                        unsigned int height)
{
    std::size_t const frame = FindMarker(bytes, 0xC0);
    EXPECT_LT(frame + 9, bytes.size());
    bytes[frame + 5] = static_cast<std::uint8_t>(height >> 8);
    bytes[frame + 6] = static_cast<std::uint8_t>(height & 0xFF);
    bytes[frame + 7] = static_cast<std::uint8_t>(width >> 8);
    bytes[frame + 8] = static_cast<std::uint8_t>(width & 0xFF);
    return bytes;
}

double MeanDifference(CImage const& a, CImage const& b)
{
    double total = 0;
    for (unsigned int i = 0; i < a.GetDataSize(); ++i)
        total += std::abs(int(a.GetData()[i]) - int(b.GetData()[i]));
    return total / a.GetDataSize();
}
} // namespace

using JpegTest = ImageFixture;

TEST_F(JpegTest, ColourRoundTripKeepsPictureAndOrientation)
{
    CImage original = MakeBands(&messages, &memory, 40, 24);
    ASSERT_TRUE(original.SaveToFile(&files, "shots\\bands.jpg"));
    ASSERT_TRUE(std::filesystem::exists(directory / "shots" / "bands.jpg"));

    CImage loaded;
    ASSERT_TRUE(loaded.LoadFromFile(&messages, &memory, &files, "shots\\bands.jpg"));
    ASSERT_EQ(loaded.GetWidth(), 40u);
    ASSERT_EQ(loaded.GetHeight(), 24u);
    ASSERT_EQ(loaded.GetBPP(), 24u);
    EXPECT_LT(MeanDifference(original, loaded), 3.0);
    // Stored row 0 is the bottom of the picture: blue.
    unsigned char r = 0, g = 0, b = 0;
    loaded.GetPixel(3, 0, &r, &g, &b);
    EXPECT_LT(r, 60);
    EXPECT_GT(b, 190);
    loaded.GetPixel(3, 23, &r, &g, &b);
    EXPECT_GT(r, 190);
    EXPECT_LT(b, 60);
}

TEST_F(JpegTest, GreyAndAlphaImagesSave)
{
    CImage grey;
    grey.Create(&messages, &memory, 16, 16, 8);
    for (unsigned int i = 0; i < 256; ++i)
        grey.GetData()[i] = static_cast<unsigned char>(i);
    ASSERT_TRUE(grey.SaveToFileJPG(&files, "grey.jpg", 100));
    CImage loaded;
    ASSERT_TRUE(loaded.LoadFromFileJPG(&messages, &memory, &files, "grey.jpg"));
    EXPECT_EQ(loaded.GetBPP(), 8u);
    EXPECT_LT(MeanDifference(grey, loaded), 3.0);

    // A 32-bit image is written without its alpha channel.
    CImage colour = MakeBands(&messages, &memory, 16, 8);
    CImage withAlpha;
    colour.ChangeBpp(32, &withAlpha);
    ASSERT_TRUE(withAlpha.SaveToFileJPG(&files, "alpha.jpg", 90));
    EXPECT_EQ(withAlpha.GetBPP(), 32u);
    ASSERT_TRUE(loaded.LoadFromFileJPG(&messages, &memory, &files, "alpha.jpg"));
    EXPECT_EQ(loaded.GetBPP(), 24u);
    EXPECT_LT(MeanDifference(colour, loaded), 6.0);
}

TEST_F(JpegTest, RejectedDataFailsWithoutEndingTheProcess)
{
    CImage original = MakeNoise(&messages, &memory, 96, 96);
    ASSERT_TRUE(original.SaveToFile(&files, "good.jpg"));
    std::vector<std::uint8_t> const good = ReadBytes("good.jpg");

    std::vector<std::uint8_t> truncated = TruncatedInScan(good);
    std::vector<std::uint8_t> noHeader(good.begin() + 20, good.end());
    std::vector<std::uint8_t> garbage(300, 0x5A);
    std::vector<std::uint8_t> missingEnd(good.begin(), good.end() - 2);

    struct SCase
    {
        char const* name;
        std::vector<std::uint8_t> const& bytes;
    };
    std::vector<std::uint8_t> const lying = WithFrameSize(good, 12000, 12000);
    for (SCase const& test :
         {SCase{"truncated.jpg", truncated}, SCase{"noheader.jpg", noHeader}, SCase{"garbage.jpg", garbage},
          SCase{"empty.jpg", {}}, SCase{"lying.jpg", lying}}) {
        SCOPED_TRACE(test.name);
        WriteBytes(test.name, test.bytes);
        messages.ClearMessagesBuffer();
        CImage image;
        EXPECT_FALSE(image.LoadFromFile(&messages, &memory, &files, test.name));
        EXPECT_TRUE(image.IsFree());
        EXPECT_TRUE(HasMessage(MT_ERROR, std::string("Incorrect ") + test.name + " file format"));
    }

    // Every row present: a missing end marker is tolerated.
    WriteBytes("noend.jpg", missingEnd);
    CImage image;
    EXPECT_TRUE(image.LoadFromFile(&messages, &memory, &files, "noend.jpg"));

    messages.ClearMessagesBuffer();
    EXPECT_FALSE(image.LoadFromFileJPG(&messages, &memory, &files, "absent.jpg"));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Failed to open absent.jpg file"));
}

TEST_F(JpegTest, PictureLargerThanTheLimitIsRefusedFromItsHeader)
{
    CImage bands = MakeBands(&messages, &memory, 100, 10);
    ASSERT_TRUE(bands.SaveToFile(&files, "wide.jpg"));
    SImageSizeLimit const limit{64, 32};
    CImage loaded;
    EXPECT_FALSE(loaded.LoadFromFile(&messages, &memory, &files, "wide.jpg", limit));
    EXPECT_TRUE(HasMessage(MT_WARNING, "of 100 x 10 is larger than the largest texture, 64 x 32"));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Incorrect wide.jpg file format"));
    EXPECT_TRUE(loaded.IsFree());
    EXPECT_TRUE(loaded.LoadFromFile(&messages, &memory, &files, "wide.jpg"));
}

TEST_F(JpegTest, UnwritablePathFails)
{
    CImage image = MakeBands(&messages, &memory, 8, 8);
    WriteBytes("blocker", {1});
    messages.ClearMessagesBuffer();
    EXPECT_FALSE(image.SaveToFileJPG(&files, "blocker\\shot.jpg", 85));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Failed to save blocker\\shot.jpg"));
    EXPECT_FALSE(image.SaveToFileTGA(&files, "blocker\\shot.tga"));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Failed to save blocker\\shot.tga"));
}
