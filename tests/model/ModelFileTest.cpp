#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "ModelSamples.h"
#include "core/Errors.h"
#include "core/File.h"
#include "core/MessageManager.h"

namespace
{
using Bytes = std::vector<std::uint8_t>;

class ModelFileTest : public ::testing::Test
{
protected:
    // The read result, or nullopt-like BadFormat marker when the file layer threw.
    EModelFileResult Read(Bytes const& bytes, SModelFile* model, bool* threw = nullptr)
    {
        CFile file;
        file.Open(&messages, nullptr, "sample.mlf", FILE_READ_BINARY, true,
                  static_cast<unsigned int>(bytes.size()), bytes.data());
        if (threw)
            *threw = false;
        try {
            return ReadModelFile(file, model);
        } catch (CFileError const&) {
            if (threw)
                *threw = true;
            return EModelFileResult::BadFormat;
        }
    }

    SModelFile RoundTrip(SModelFile const& model)
    {
        SModelFile read;
        EXPECT_EQ(Read(WriteModelFileImage(model), &read), EModelFileResult::Ok);
        return read;
    }

    static void SetUnsigned(Bytes* bytes, std::size_t offset, std::uint32_t value)
    {
        std::memcpy(bytes->data() + offset, &value, 4);
    }

    CMessageManager messages;
};

void ExpectSameVertex(SModelFileVertex const& a, SModelFileVertex const& b)
{
    EXPECT_EQ(a.position, b.position);
    EXPECT_EQ(a.normal, b.normal);
    EXPECT_EQ(a.u, b.u);
    EXPECT_EQ(a.v, b.v);
}

TEST_F(ModelFileTest, StaticModelRoundTrip)
{
    SModelFile const model = model_samples::MakeStatic();
    Bytes const bytes = WriteModelFileImage(model);
    std::uint32_t size;
    std::memcpy(&size, bytes.data(), 4);
    EXPECT_EQ(size, bytes.size());
    EXPECT_EQ(std::memcmp(bytes.data() + 4, "TWMLF", 5), 0);

    SModelFile const read = RoundTrip(model);
    EXPECT_EQ(read.properties, model.properties);
    EXPECT_EQ(read.framesCount, 1u);
    EXPECT_EQ(read.speed, 0.0f);
    EXPECT_EQ(read.verticesCount, 7u);
    ASSERT_EQ(read.triangleSets.size(), 2u);
    EXPECT_EQ(read.triangleSets[1].indices, model.triangleSets[1].indices);
    EXPECT_EQ(read.triangleSets[1].material, "triangle");
    EXPECT_EQ(read.triangleSets[1].shaderNumber, 1u);
    for (std::size_t i = 0; i < 4; ++i)
        ExpectSameVertex(read.triangleSets[0].vertices[i], model.triangleSets[0].vertices[i]);
    EXPECT_EQ(read.octreeName, "sample.otf");
}

TEST_F(ModelFileTest, MorphModelRoundTripKeepsFramesAndBufferSize)
{
    SModelFile const read = RoundTrip(model_samples::MakeMorph());
    EXPECT_TRUE(read.IsMorph());
    EXPECT_EQ(read.framesCount, 2u);
    EXPECT_EQ(read.speed, 1.0f);
    EXPECT_EQ(read.GetBufferVerticesCount(), 3u);
    ASSERT_EQ(read.triangleSets.size(), 1u);
    EXPECT_EQ(read.triangleSets[0].vertices[4].position, CVector3(1, 0, 2));
}

TEST_F(ModelFileTest, SkeletalModelRoundTripKeepsBonesKeyframesAndInfluences)
{
    SModelFile model = model_samples::MakeSkeletal();
    model.triangleSets[0].vertices[0].tail = 0x30001; // only the low 16 bits count
    SModelFile const read = RoundTrip(model);
    ASSERT_EQ(read.bones.size(), 2u);
    EXPECT_EQ(read.bones[1].name, "arm");
    EXPECT_EQ(read.bones[1].max, CVector3(1.0f, 0.25f, 0.1f));
    EXPECT_EQ(read.bones[0].lastDescendant, 1u);
    ASSERT_EQ(read.keyframes.size(), 2u);
    EXPECT_EQ(read.keyframes[1].position, CVector3(1, 0, 0));
    EXPECT_EQ(read.keyframes[1].rotation.w, 1.0f);
    ASSERT_EQ(read.triangleSets[0].influences.size(), 4u);
    EXPECT_EQ(read.triangleSets[0].influences[2].bone, 1u);
    EXPECT_EQ(read.triangleSets[0].influences[2].position, CVector3(1.0f, 0.25f, 0.0f));
}

// --- hostile files -------------------------------------------------------------------------

TEST_F(ModelFileTest, HeaderChecks)
{
    SModelFile read;
    Bytes bytes = WriteModelFileImage(model_samples::MakeStatic());
    Bytes wrongSize = bytes;
    SetUnsigned(&wrongSize, 0, static_cast<std::uint32_t>(bytes.size() + 1));
    EXPECT_EQ(Read(wrongSize, &read), EModelFileResult::BadFormat);
    Bytes wrongMagic = bytes;
    wrongMagic[8] = 'G';
    EXPECT_EQ(Read(wrongMagic, &read), EModelFileResult::BadFormat);
    Bytes oldVersion = bytes;
    SetUnsigned(&oldVersion, 9, 199);
    EXPECT_EQ(Read(oldVersion, &read), EModelFileResult::BadVersion);
}

TEST_F(ModelFileTest, LyingContentIsRejected)
{
    struct SCase
    {
        char const* name;
        std::function<SModelFile()> make;
    };
    SCase const cases[] = {
        {"no kind",
         [] {
             SModelFile m = model_samples::MakeStatic();
             m.properties &= ~MP_KINDS;
             return m;
         }},
        {"two kinds",
         [] {
             SModelFile m = model_samples::MakeStatic();
             m.properties |= MP_MORPH;
             return m;
         }},
        {"index past the vertices",
         [] {
             SModelFile m = model_samples::MakeStatic();
             m.triangleSets[1].indices[2] = 7;
             return m;
         }},
        {"more vertex records than vertices",
         [] {
             SModelFile m = model_samples::MakeStatic();
             m.verticesCount = 6;
             m.triangleSets[1].indices = {4, 5, 5};
             return m;
         }},
        {"strip of one index",
         [] {
             SModelFile m = model_samples::MakeStatic();
             m.properties &= ~MP_TRIANGLE_LISTS;
             m.triangleSets[1].indices = {4};
             return m;
         }},
        {"morph without frames",
         [] {
             SModelFile m = model_samples::MakeMorph();
             m.framesCount = 0;
             return m;
         }},
        {"morph sets reaching past the frame table",
         [] {
             // Two frames of two vertices; both sets blend both vertices: 8 records, 4 stored.
             SModelFile m = model_samples::MakeMorph();
             m.verticesCount = 4;
             m.triangleSets[0].vertices.resize(4);
             m.triangleSets[0].indices = {0, 1, 1};
             SModelFileTriangleSet second;
             second.indices = {0, 1, 0};
             m.triangleSets.push_back(second);
             return m;
         }},
        {"influence bone past the skeleton",
         [] {
             SModelFile m = model_samples::MakeSkeletal();
             m.triangleSets[0].influences[3].bone = 2;
             return m;
         }},
        {"last descendant past the skeleton",
         [] {
             SModelFile m = model_samples::MakeSkeletal();
             m.bones[0].lastDescendant = 5;
             return m;
         }},
    };
    for (SCase const& c : cases) {
        SModelFile read;
        EXPECT_EQ(Read(WriteModelFileImage(c.make()), &read), EModelFileResult::BadFormat) << c.name;
        EXPECT_TRUE(read.triangleSets.empty()) << c.name;
    }
}

TEST_F(ModelFileTest, HugeCountsAreRejectedBeforeAllocating)
{
    Bytes const bytes = WriteModelFileImage(model_samples::MakeSkeletal());
    // Offset 25: bones count, after header (13), flags (4), frames (4) and speed (4).
    Bytes bones = bytes;
    SetUnsigned(&bones, 25, 0xFFFFFFF0u);
    SModelFile read;
    EXPECT_EQ(Read(bones, &read), EModelFileResult::BadFormat);

    Bytes const plain = WriteModelFileImage(model_samples::MakeStatic());
    // Offset 17: vertex count, then 21: triangle sets count, 25: first set's index count.
    for (std::size_t offset : {17u, 21u, 25u, 29u}) {
        Bytes lying = plain;
        SetUnsigned(&lying, offset, 0x7FFFFFFFu);
        EXPECT_EQ(Read(lying, &read), EModelFileResult::BadFormat) << offset;
    }
}

TEST_F(ModelFileTest, EveryTruncationFailsCleanly)
{
    for (SModelFile const& model :
         {model_samples::MakeStatic(), model_samples::MakeMorph(), model_samples::MakeSkeletal()}) {
        Bytes const bytes = WriteModelFileImage(model);
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
            if (cut.size() >= 4)
                SetUnsigned(&cut, 0, static_cast<std::uint32_t>(length)); // the size field agrees
            SModelFile read;
            bool threw = false;
            EXPECT_NE(Read(cut, &read, &threw), EModelFileResult::Ok) << length;
        }
    }
}
} // namespace
