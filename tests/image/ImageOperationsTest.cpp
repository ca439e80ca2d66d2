#include "ImageFixture.h"
#include "math/Color.h"
#include "math/Vector.h"

using Bytes = std::vector<std::uint8_t>;
using ImageOperationsTest = ImageFixture;

TEST_F(ImageOperationsTest, ChangeBppConvertsChannels)
{
    CImage colour = MakeImage(2, 1, 24, {100, 200, 50, 255, 255, 255});
    CImage grey;
    colour.ChangeBpp(8, &grey);
    // 0.222 R + 0.707 G + 0.071 B, truncated.
    EXPECT_EQ(DataOf(grey), (Bytes{167, 255}));
    EXPECT_EQ(colour.GetBPP(), 24u);

    CImage rgba;
    colour.ChangeBpp(32, &rgba);
    EXPECT_EQ(DataOf(rgba), (Bytes{100, 200, 50, 255, 255, 255, 255, 255}));

    CImage withAlpha = MakeImage(2, 1, 32, {1, 2, 3, 4, 5, 6, 7, 8});
    CImage alpha;
    withAlpha.ChangeBpp(8, &alpha);
    EXPECT_EQ(DataOf(alpha), (Bytes{4, 8}));
    withAlpha.ChangeBpp(24);
    EXPECT_EQ(DataOf(withAlpha), (Bytes{1, 2, 3, 5, 6, 7}));

    grey.ChangeBpp(24);
    EXPECT_EQ(DataOf(grey), (Bytes{167, 167, 167, 255, 255, 255}));
    grey.ChangeBpp(24, &alpha);
    EXPECT_EQ(DataOf(alpha), DataOf(grey));
    EXPECT_NE(alpha.GetData(), grey.GetData());
}

TEST_F(ImageOperationsTest, NearestTakesIntegerScaledSamples)
{
    CImage source = MakeImage(3, 2, 8, {10, 20, 30, 40, 50, 60});
    CImage target;
    source.Resize(5, 3, IRM_NEAREST, &target);
    // Columns (2 x) / 4 = 0, 0, 1, 1, 2; rows (1 y) / 2 = 0, 0, 1.
    EXPECT_EQ(DataOf(target), (Bytes{10, 10, 20, 20, 30, 10, 10, 20, 20, 30, 40, 40, 50, 50, 60}));
}

TEST_F(ImageOperationsTest, BilinearUsesEightBitFractionsAndPullsBackTheLastRow)
{
    CImage source = MakeImage(2, 2, 8, {0, 100, 200, 40});
    source.Resize(3, 3, IRM_BILINEAR);
    ASSERT_EQ(source.GetWidth(), 3u);
    // Row 0 exact; middle row halfway; the last row sits at fraction 255/256 of row 1.
    EXPECT_EQ(DataOf(source), (Bytes{0, 50, 100, 100, 85, 70, 199, 119, 40}));
}

TEST_F(ImageOperationsTest, CubicBlendsFourSamplesPerDirection)
{
    CImage source = MakeImage(4, 2, 8, {0, 100, 200, 100, 0, 100, 200, 100});
    CImage target;
    source.Resize(7, 2, IRM_CUBIC, &target);
    Bytes const row = {0, 37, 100, 175, 200, 162, 100};
    Bytes expected = row;
    expected.insert(expected.end(), row.begin(), row.end());
    EXPECT_EQ(DataOf(target), expected);

    CImage flat = MakeImage(3, 3, 24, Bytes(27, 90));
    flat.Resize(8, 5, IRM_CUBIC);
    EXPECT_EQ(DataOf(flat), Bytes(8 * 5 * 3, 90));
}

TEST_F(ImageOperationsTest, BoxReductionAveragesBlocksWithRounding)
{
    CImage source = MakeImage(4, 2, 8, {1, 2, 10, 11, 3, 5, 12, 12});
    source.Resize(2, 1, IRM_BOX);
    EXPECT_EQ(DataOf(source), (Bytes{3, 11}));

    // One pixel wide: each sample counts twice.
    CImage column = MakeImage(1, 4, 24, {0, 0, 0, 1, 2, 3, 10, 20, 30, 11, 21, 31});
    column.Resize(1, 2, IRM_BOX);
    EXPECT_EQ(DataOf(column), (Bytes{1, 1, 2, 11, 21, 31}));
}

TEST_F(ImageOperationsTest, ResizeEdgeCasesStayInside)
{
    CImage source = MakeImage(2, 2, 8, {1, 2, 3, 4});
    CImage same;
    source.Resize(2, 2, 9, &same);
    EXPECT_EQ(DataOf(same), DataOf(source));

    CImage unknown;
    source.Resize(3, 3, 9, &unknown);
    EXPECT_EQ(unknown.GetWidth(), 3u);

    CImage narrow = MakeImage(1, 1, 8, {77});
    for (unsigned int method = IRM_NEAREST; method <= IRM_BOX; ++method) {
        SCOPED_TRACE(method);
        CImage grown;
        narrow.Resize(3, 2, method, &grown);
        EXPECT_EQ(DataOf(grown), Bytes(6, 77));
        CImage single;
        source.Resize(1, 1, method, &single);
        EXPECT_EQ(single.GetDataSize(), 1u);
    }
}

TEST_F(ImageOperationsTest, FlipsAndFill)
{
    CImage image = MakeImage(2, 2, 24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    CImage flipped;
    image.FlipVertical(&flipped);
    EXPECT_EQ(DataOf(flipped), (Bytes{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
    image.FlipRBChannels();
    EXPECT_EQ(DataOf(image), (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));

    image.FillWithColor(CColor(CVector4(0.5f, 0.25f, 1.0f, 0.5f)));
    EXPECT_EQ(DataOf(image), (Bytes{127, 63, 255, 127, 63, 255, 127, 63, 255, 127, 63, 255}));

    CImage rgba = MakeImage(1, 1, 32, {0, 0, 0, 0});
    rgba.FillWithColor(CColor(CVector4(1.0f, 0.0f, 0.0f, 0.5f)));
    EXPECT_EQ(DataOf(rgba), (Bytes{255, 0, 0, 127}));

    CImage grey = MakeImage(2, 1, 8, {0, 0});
    grey.FillWithColor(CColor(CVector3(0.0f, 1.0f, 0.0f)));
    EXPECT_EQ(DataOf(grey), (Bytes{180, 180}));
}

TEST_F(ImageOperationsTest, SubimageAndInsertClipToTheImage)
{
    CImage image = MakeImage(3, 2, 8, {1, 2, 3, 4, 5, 6});
    CImage part;
    image.CopySubimage(1, 0, 2, 2, &part);
    EXPECT_EQ(DataOf(part), (Bytes{2, 3, 5, 6}));
    image.CopySubimage(2, 1, 2, 2, &part);
    EXPECT_EQ(DataOf(part), (Bytes{6, 0, 0, 0}));

    CImage colour = MakeImage(3, 2, 24, Bytes(18, 0));
    CImage patch = MakeImage(2, 2, 8, {10, 20, 30, 40});
    colour.InsertImage(2, 1, patch);
    EXPECT_EQ(colour.GetBPP(), 24u);
    EXPECT_EQ(DataOf(colour), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 10, 10}));
    CImage copy;
    image.InsertImage(0, 0, patch, &copy);
    EXPECT_EQ(DataOf(copy), (Bytes{10, 20, 3, 30, 40, 6}));
    EXPECT_EQ(DataOf(image), (Bytes{1, 2, 3, 4, 5, 6}));
}

TEST_F(ImageOperationsTest, AlphaLayerIsFittedToTheImage)
{
    CImage image = MakeImage(2, 2, 24, Bytes(12, 9));
    CImage mask = MakeImage(2, 2, 8, {1, 2, 3, 4});
    CImage result;
    image.AttachAlphaLayer(mask, &result);
    EXPECT_EQ(DataOf(result), (Bytes{9, 9, 9, 1, 9, 9, 9, 2, 9, 9, 9, 3, 9, 9, 9, 4}));
    EXPECT_EQ(image.GetBPP(), 24u);

    // A colour layer of another size becomes grey and is resized to fit.
    CImage colourLayer = MakeImage(1, 1, 24, {100, 200, 50});
    image.AttachAlphaLayer(colourLayer);
    EXPECT_EQ(image.GetBPP(), 32u);
    for (unsigned int i = 0; i < 4; ++i)
        EXPECT_EQ(image.GetData()[4 * i + 3], 167);

    // The image itself as its own opacity: its grey value.
    CImage self = MakeImage(1, 1, 24, {100, 200, 50});
    self.AttachAlphaLayer(self);
    EXPECT_EQ(DataOf(self), (Bytes{100, 200, 50, 167}));
}

TEST_F(ImageOperationsTest, PixelsReadInEveryForm)
{
    CImage image = MakeImage(2, 1, 32, {100, 200, 50, 7, 1, 2, 3, 4});
    unsigned char r = 0, g = 0, b = 0, a = 0, grey = 0;
    image.GetPixel(1, 0, &r, &g, &b, &a);
    EXPECT_EQ((Bytes{r, g, b, a}), (Bytes{1, 2, 3, 4}));
    image.GetPixel(0, 0, &grey);
    EXPECT_EQ(grey, 167);
    grey = 5;
    image.GetPixel(2, 0, &grey);
    EXPECT_EQ(grey, 5);

    CImage greyImage = MakeImage(1, 1, 8, {42});
    greyImage.GetPixel(0, 0, &r, &g, &b, &a);
    EXPECT_EQ((Bytes{r, g, b, a}), (Bytes{42, 42, 42, 255}));
}

TEST_F(ImageOperationsTest, CopiesAndEmptyImages)
{
    CImage image = MakeImage(2, 1, 8, {1, 2});
    CImage copy(image);
    copy.GetData()[0] = 9;
    EXPECT_EQ(DataOf(image), (Bytes{1, 2}));
    image = copy;
    EXPECT_EQ(DataOf(image), (Bytes{9, 2}));

    CImage empty;
    empty.CreateEmpty(&messages, &memory);
    EXPECT_FALSE(empty.IsFree());
    EXPECT_EQ(empty.GetWidth(), 0u);
    empty.Resize(4, 4, IRM_BILINEAR);
    EXPECT_EQ(empty.GetWidth(), 4u);
    CImage free;
    free.FlipVertical();
    free.Resize(2, 2, IRM_NEAREST);
    EXPECT_TRUE(free.IsFree());
}
