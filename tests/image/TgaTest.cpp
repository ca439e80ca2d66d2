#include "ImageFixture.h"

namespace
{
std::vector<std::uint8_t> TgaHeader(std::uint8_t imageType, std::uint16_t width, std::uint16_t height,
                                    std::uint8_t depth, std::uint8_t descriptor)
{
    std::vector<std::uint8_t> header(18, 0);
    header[2] = imageType;
    header[12] = width & 0xFF;
    header[13] = width >> 8;
    header[14] = height & 0xFF;
    header[15] = height >> 8;
    header[16] = depth;
    header[17] = descriptor;
    return header;
}

std::vector<std::uint8_t> Concatenate(std::vector<std::uint8_t> a, std::vector<std::uint8_t> const& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A 2 x 2 picture, B, G, R in the file: top row red, green; bottom row blue, white.
std::vector<std::uint8_t> const TopRow = {0, 0, 255, 0, 255, 0};
std::vector<std::uint8_t> const BottomRow = {255, 0, 0, 255, 255, 255};
// The same picture as the image stores it: bottom row first, R, G, B.
std::vector<std::uint8_t> const StoredPicture = {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0};
} // namespace

using TgaTest = ImageFixture;

TEST_F(TgaTest, BothOriginsLoadTheSamePicture)
{
    WriteBytes("bottom.tga", Concatenate(Concatenate(TgaHeader(2, 2, 2, 24, 0x00), BottomRow), TopRow));
    WriteBytes("top.tga", Concatenate(Concatenate(TgaHeader(2, 2, 2, 24, 0x20), TopRow), BottomRow));

    CImage bottom, top;
    ASSERT_TRUE(bottom.LoadFromFile(&messages, &memory, &files, "bottom.tga"));
    ASSERT_TRUE(top.LoadFromFile(&messages, &memory, &files, "top.tga"));
    EXPECT_EQ(top.GetBPP(), 24u);
    EXPECT_EQ(top.GetWidth(), 2u);
    EXPECT_EQ(DataOf(bottom), StoredPicture);
    EXPECT_EQ(DataOf(top), StoredPicture);
}

TEST_F(TgaTest, GreyImageRoundTripsWithGreyColourMap)
{
    CImage grey = MakeImage(3, 2, 8, {0, 17, 34, 200, 254, 255});
    ASSERT_TRUE(grey.SaveToFile(&files, "out\\grey.tga"));

    std::vector<std::uint8_t> const bytes = ReadBytes("out/grey.tga");
    ASSERT_EQ(bytes.size(), 18u + 768u + 6u);
    EXPECT_EQ(bytes[1], 1); // colour-map type
    EXPECT_EQ(bytes[2], 1); // colour-mapped image
    EXPECT_EQ(bytes[5] | (bytes[6] << 8), 256);
    EXPECT_EQ(bytes[7], 24);
    EXPECT_EQ(bytes[16], 8);
    EXPECT_EQ(bytes[17], 0x20);
    for (unsigned int i = 0; i < 256; ++i) {
        ASSERT_EQ(bytes[18 + 3 * i], i);
        ASSERT_EQ(bytes[18 + 3 * i + 2], i);
    }
    // Top row first in the file.
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 786, bytes.end()),
              (std::vector<std::uint8_t>{200, 254, 255, 0, 17, 34}));

    CImage loaded;
    ASSERT_TRUE(loaded.LoadFromFile(&messages, &memory, &files, "out\\grey.tga"));
    EXPECT_EQ(loaded.GetBPP(), 8u);
    EXPECT_EQ(DataOf(loaded), DataOf(grey));
}

TEST_F(TgaTest, ColourImagesRoundTripWithChannelsSwappedOnDisk)
{
    CImage colour = MakeImage(2, 1, 32, {10, 20, 30, 40, 50, 60, 70, 80});
    ASSERT_TRUE(colour.SaveToFileTGA(&files, "colour.tga"));
    std::vector<std::uint8_t> const bytes = ReadBytes("colour.tga");
    ASSERT_EQ(bytes.size(), 18u + 8u);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[16], 32);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 18, bytes.end()),
              (std::vector<std::uint8_t>{30, 20, 10, 40, 70, 60, 50, 80}));

    CImage loaded;
    ASSERT_TRUE(loaded.LoadFromFileTGA(&messages, &memory, &files, "colour.tga"));
    EXPECT_EQ(DataOf(loaded), DataOf(colour));

    CImage picture = MakeImage(2, 2, 24, StoredPicture);
    ASSERT_TRUE(picture.SaveToFile(&files, "picture.TGA"));
    ASSERT_TRUE(loaded.LoadFromFile(&messages, &memory, &files, "picture.TGA"));
    EXPECT_EQ(DataOf(loaded), StoredPicture);
}

TEST_F(TgaTest, RunLengthPacketsExpand)
{
    // Bottom-left origin, 3 x 2: a run of four blue pixels, then two raw pixels.
    std::vector<std::uint8_t> packets = {0x83, 255, 0, 0, 0x01, 0, 0, 255, 0, 255, 0};
    WriteBytes("rle.tga", Concatenate(TgaHeader(10, 3, 2, 24, 0x00), packets));
    CImage image;
    ASSERT_TRUE(image.LoadFromFile(&messages, &memory, &files, "rle.tga"));
    EXPECT_EQ(DataOf(image),
              (std::vector<std::uint8_t>{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 0, 255, 0}));

    // A run longer than the picture fills it and stops.
    WriteBytes("long.tga", Concatenate(TgaHeader(11, 2, 2, 8, 0x20), {0xFF, 77}));
    ASSERT_TRUE(image.LoadFromFile(&messages, &memory, &files, "long.tga"));
    EXPECT_EQ(DataOf(image), (std::vector<std::uint8_t>{77, 77, 77, 77}));
}

TEST_F(TgaTest, SixteenBitPixelsBecomeThirtyTwoBit)
{
    // A1R5G5B5: opaque pure red, then transparent (1, 2, 3) in 5-bit units.
    std::uint16_t const red = 0x8000 | (31 << 10);
    std::uint16_t const dim = (1 << 10) | (2 << 5) | 3;
    WriteBytes("sixteen.tga",
               Concatenate(TgaHeader(2, 2, 1, 16, 0), {std::uint8_t(red & 0xFF), std::uint8_t(red >> 8),
                                                       std::uint8_t(dim & 0xFF), std::uint8_t(dim >> 8)}));
    CImage image;
    ASSERT_TRUE(image.LoadFromFile(&messages, &memory, &files, "sixteen.tga"));
    EXPECT_EQ(image.GetBPP(), 32u);
    EXPECT_EQ(DataOf(image), (std::vector<std::uint8_t>{248, 0, 0, 255, 8, 16, 24, 0}));
}

TEST_F(TgaTest, ColourMapAndImageIdAreSkipped)
{
    std::vector<std::uint8_t> header = TgaHeader(1, 2, 1, 8, 0);
    header[0] = 3; // id length
    header[1] = 1;
    header[5] = 4; // four 24-bit colour-map entries
    header[7] = 24;
    std::vector<std::uint8_t> file = Concatenate(header, std::vector<std::uint8_t>(3 + 12, 0xAA));
    WriteBytes("mapped.tga", Concatenate(file, {5, 6}));
    CImage image;
    ASSERT_TRUE(image.LoadFromFile(&messages, &memory, &files, "mapped.tga"));
    EXPECT_EQ(DataOf(image), (std::vector<std::uint8_t>{5, 6}));
}

TEST_F(TgaTest, HostileFilesFailWithAnError)
{
    struct SCase
    {
        char const* name;
        std::vector<std::uint8_t> bytes;
        char const* error;
    };
    std::vector<SCase> const cases = {
        {"short.tga", Concatenate(TgaHeader(2, 4, 4, 24, 0), std::vector<std::uint8_t>(47, 1)),
         "Incorrect short.tga file format"},
        {"runs.tga", Concatenate(TgaHeader(10, 4, 4, 24, 0), {0x83, 1, 2, 3, 0x05, 1, 2}),
         "Incorrect runs.tga file format"},
        {"huge.tga", Concatenate(TgaHeader(10, 65535, 65535, 32, 0), {0xFF, 1, 2, 3, 4}),
         "Incorrect huge.tga file format"},
        {"depth.tga", Concatenate(TgaHeader(2, 1, 1, 15, 0), {1, 2}), "Incorrect depth.tga file format"},
        {"empty.tga", TgaHeader(2, 0, 5, 24, 0), "Incorrect empty.tga file format"},
        {"map.tga",
         [] {
             std::vector<std::uint8_t> header = TgaHeader(1, 1, 1, 8, 0);
             header[5] = 0xFF;
             header[6] = 0xFF;
             header[7] = 32;
             return Concatenate(header, {1, 2, 3});
         }(),
         "Incorrect map.tga file format"},
        {"header.tga", {0, 0, 2, 0, 0}, nullptr},
    };
    for (SCase const& test : cases) {
        SCOPED_TRACE(test.name);
        WriteBytes(test.name, test.bytes);
        messages.ClearMessagesBuffer();
        CImage image;
        image.Create(&messages, &memory, 2, 2, 24);
        EXPECT_FALSE(image.LoadFromFile(&messages, &memory, &files, test.name));
        EXPECT_TRUE(image.IsFree());
        EXPECT_TRUE(HasMessage(MT_ERROR, test.error ? test.error : ""));
    }
}

TEST_F(TgaTest, MissingFileAndUnknownTypeFail)
{
    CImage image;
    EXPECT_FALSE(image.LoadFromFile(&messages, &memory, &files, "absent.tga"));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Failed to open "));
    EXPECT_TRUE(HasMessage(MT_ERROR, "absent.tga file"));
    EXPECT_FALSE(image.LoadFromFile(&messages, &memory, &files, "picture.bmp"));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Unknown \"picture.bmp\" image file type"));

    image.Create(&messages, &memory, 1, 1, 24);
    EXPECT_FALSE(image.SaveToFile(&files, "picture.png"));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Unknown \"picture.png\" image file type"));
}
