#include "ByteReader.h"

#include "ByteWriter.h"
#include "FishDataWriter.h"
#include "FontWriter.h"
#include "OctreeWriter.h"
#include "PackFileWriter.h"
#include "ParticleSystemWriter.h"
#include "PluginDescriptorWriter.h"
#include "ShaderFileWriter.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

using namespace content;

TEST(ByteWriter, BinaryStringsCountTheirTerminator)
{
    CByteWriter out;
    out.WriteBinaryString("abc");
    EXPECT_EQ(out.GetBytes(), (std::vector<std::uint8_t>{4, 'a', 'b', 'c', 0}));
    EXPECT_NO_THROW(out.WriteBinaryString(std::string(254, 'x')));
    EXPECT_THROW(out.WriteBinaryString(std::string(255, 'x')), std::length_error);
    EXPECT_THROW(out.WriteFixedString(std::string(256, 'x'), 256), std::length_error);
    EXPECT_THROW(out.PatchU32(out.GetSize() - 2, 1), std::out_of_range);
}

TEST(ShaderFileWriter, OffsetsLeadToEachRecord)
{
    SShaderRecord body = SShaderRecord::MakeOpaque("fish1_1.jpg");
    body.stages[0].borderU = 0;
    body.stages[0].scaleV = 2.0f;
    SShaderRecord fins = SShaderRecord::MakeBlended("fish1_1.jpg", "fish_alfa_1_1.jpg");
    fins.diffuse = CVector4(0.5f, 0.25f, 1.0f, 1.0f);
    std::vector<std::uint8_t> const bytes = CShaderFileWriter::Write({body, fins});
    CTestByteReader in(bytes);
    EXPECT_EQ(in.Header("TWSRF"), 203u);
    ASSERT_EQ(in.U32(), 2u);
    std::uint32_t const first = in.U32(), second = in.U32();
    EXPECT_EQ(first, 25u);

    in.Seek(second);
    EXPECT_EQ(in.U32(), 1u); // properties: blending
    for (int i = 0; i < 4; ++i) {
        in.F32(); // ambient
    }
    EXPECT_FLOAT_EQ(in.F32(), 0.5f);
    EXPECT_FLOAT_EQ(in.F32(), 0.25f);
    in.Seek(second + 4 + 64 + 8);
    EXPECT_EQ(in.U32(), SBF_SRC_ALPHA);
    EXPECT_EQ(in.U32(), SBF_INV_SRC_ALPHA);
    ASSERT_EQ(in.U32(), 1u);
    EXPECT_EQ(in.U32(), SSF_TEXTURE | SSF_OPACITY_MAP | SSF_MIP_MAPPING);
    EXPECT_EQ(in.U32(), 1u);
    EXPECT_FLOAT_EQ(in.F32(), 0.0f);
    EXPECT_EQ(in.BinaryString(), "fish1_1.jpg");
    EXPECT_EQ(in.BinaryString(), "fish_alfa_1_1.jpg");
    EXPECT_TRUE((in.Seek(in.Position() + 24), in.AtEnd()));

    in.Seek(first + 4 + 64 + 8 + 8 + 4 + 12);
    EXPECT_EQ(in.BinaryString(), "fish1_1.jpg");
    EXPECT_EQ(in.BinaryString(), ""); // no opacity image: an empty string
    EXPECT_EQ(in.U32(), 0u);          // border U
    EXPECT_EQ(in.U32(), 1u);          // border V
    EXPECT_FLOAT_EQ(in.F32(), 1.0f);
    EXPECT_FLOAT_EQ(in.F32(), 2.0f);
    EXPECT_FLOAT_EQ(in.F32(), 0.0f);
    EXPECT_FLOAT_EQ(in.F32(), 0.0f);
    EXPECT_EQ(in.Position(), second);
}

TEST(ShaderFileWriter, RejectsNineStages)
{
    SShaderRecord record;
    record.stages.resize(9);
    EXPECT_THROW(CShaderFileWriter::Write({record}), std::invalid_argument);
}

TEST(OctreeWriter, NodesReadBackInOrder)
{
    std::vector<SOctreeNodeRecord> nodes(3);
    nodes[0] = {CVector3(-1.0f), CVector3(1.0f), false, 2, 0, 0};
    nodes[1] = {CVector3(-1.0f), CVector3(0.0f), true, 1, 0, 1};
    nodes[2] = {CVector3(0.0f), CVector3(1.0f), true, 2, 1, 2};
    std::vector<std::uint8_t> const bytes = COctreeWriter::Write(nodes);
    EXPECT_EQ(bytes.size(), 17u + 3u * 37u);
    CTestByteReader in(bytes);
    EXPECT_EQ(in.Header("TWOTF"), 100u);
    EXPECT_EQ(in.U32(), 3u);
    in.Seek(17 + 37 * 2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(in.F32(), 0.0f);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(in.F32(), 1.0f);
    }
    EXPECT_EQ(in.U8(), 1u);
    EXPECT_EQ(in.U32(), 2u);
    EXPECT_EQ(in.U32(), 1u);
    EXPECT_EQ(in.U32(), 2u);
    EXPECT_TRUE(in.AtEnd());

    nodes[1].skip = 3;
    EXPECT_THROW(COctreeWriter::Write(nodes), std::invalid_argument);
    nodes[1].skip = 0;
    EXPECT_THROW(COctreeWriter::Write(nodes), std::invalid_argument);
}

TEST(FontWriter, GlyphRecordsAreTwentyOneBytes)
{
    std::vector<std::uint8_t> const bytes =
        CFontWriter::Write({{'A', 0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, {'B', 0.6f, 0.7f, 0.8f, 0.9f, 1.0f}});
    ASSERT_EQ(bytes.size(), 17u + 2u * 21u);
    CTestByteReader in(bytes);
    EXPECT_EQ(in.Header("TWFNT"), 200u);
    EXPECT_EQ(in.U32(), 2u);
    in.Seek(17 + 21);
    EXPECT_EQ(in.U8(), 'B');
    EXPECT_FLOAT_EQ(in.F32(), 0.6f);
    in.Seek(17 + 21 + 17);
    EXPECT_FLOAT_EQ(in.F32(), 1.0f);
}

TEST(ParticleSystemWriter, SettingsFollowTheHeaderInFieldOrder)
{
    SParticleSystemSettingsRecord settings;
    settings.period = 3.0f;
    settings.rate[5] = 20.0f;
    settings.lifetime[0] = 2.0f;
    settings.direction[1] = CVector3(0.0f, 0.0f, 1.0f);
    settings.colour[5] = CVector4(0.1f, 0.2f, 0.3f, 0.4f);
    settings.speed[5] = 9.0f;
    std::vector<std::uint8_t> const bytes = CParticleSystemWriter::Write(settings);
    ASSERT_EQ(bytes.size(), CParticleSystemWriter::FileSize);
    CTestByteReader in(bytes);
    EXPECT_EQ(in.Header("TWPSF"), 200u);
    EXPECT_FLOAT_EQ(in.F32(), 3.0f);
    in.Seek(13 + 4 * (1 + 5));
    EXPECT_FLOAT_EQ(in.F32(), 20.0f);
    EXPECT_FLOAT_EQ(in.F32(), 2.0f);
    in.Seek(13 + 4 * (1 + 12 + 3 + 2));
    EXPECT_FLOAT_EQ(in.F32(), 1.0f); // direction key 1, z
    in.Seek(13 + 4 * (1 + 12 + 36 + 20 + 3));
    EXPECT_FLOAT_EQ(in.F32(), 0.4f); // colour key 5, alpha
    in.Seek(bytes.size() - 4);
    EXPECT_FLOAT_EQ(in.F32(), 9.0f);
}

TEST(PackFileWriter, StoresComplementedTableAndData)
{
    CPackFileWriter pack;
    pack.AddFile("Data\\Models\\a.mlf", {1, 2, 3});
    pack.AddFile("Data\\b.dat", {});
    pack.AddFile("Data\\c.txt", {'x', 'y'});
    std::vector<std::uint8_t> bytes = pack.Write();
    CTestByteReader plain(bytes);
    EXPECT_EQ(plain.Header("TWPAK"), 100u);
    for (std::size_t i = 13; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
    }
    CTestByteReader in(bytes, 13);
    ASSERT_EQ(in.U32(), 3u);
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        names.push_back(in.BinaryString());
    }
    EXPECT_EQ(names[0], "Data\\Models\\a.mlf");
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (int i = 0; i < 3; ++i) {
        std::uint32_t const offset = in.U32(), size = in.U32();
        ASSERT_LE(offset + size, bytes.size());
        files[names[i]] = std::vector<std::uint8_t>(bytes.begin() + offset, bytes.begin() + offset + size);
    }
    EXPECT_EQ(files["Data\\Models\\a.mlf"], (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(files["Data\\b.dat"].empty());
    EXPECT_EQ(files["Data\\c.txt"], (std::vector<std::uint8_t>{'x', 'y'}));
    EXPECT_THROW(pack.AddFile(std::string(255, 'n'), {}), std::length_error);
}

TEST(FishDataWriter, FishRecordKeepsTheFieldsTheSchoolReads)
{
    SFishRecord fish;
    fish.model = "fish4.mlf";
    fish.variant = 2;
    fish.sizeDivisor = 1.5f;
    fish.minimumSpeed = 0.25f;
    fish.maximumSpeed = 0.75f;
    fish.value344 = 3.0f;
    std::vector<std::uint8_t> const bytes = CFishDataWriter::WriteFish(fish);
    ASSERT_EQ(bytes.size(), 352u);
    CTestByteReader in(bytes);
    EXPECT_EQ(std::string(reinterpret_cast<char const*>(bytes.data())), "fish4.mlf");
    in.Seek(256);
    EXPECT_EQ(in.I32(), 2);
    EXPECT_FLOAT_EQ(in.F32(), 1.5f);
    EXPECT_FLOAT_EQ(in.F32(), 0.25f);
    EXPECT_FLOAT_EQ(in.F32(), 0.75f);
    EXPECT_FLOAT_EQ(in.F32(), 4.0f); // first fixed behaviour value at 272
    in.Seek(344);
    EXPECT_FLOAT_EQ(in.F32(), 3.0f);
    EXPECT_FLOAT_EQ(in.F32(), 1.0f);
    fish.model = std::string(256, 'm');
    EXPECT_THROW(CFishDataWriter::WriteFish(fish), std::length_error);
}

TEST(FishDataWriter, SelectionAndPackLayouts)
{
    SFishSelection selection;
    selection.slots[0] = {3, 5};
    selection.slots[9] = {1, 0};
    selection.unique = true;
    selection.packsEnabled = {1, 0};
    std::vector<std::uint8_t> const bytes = CFishDataWriter::WriteSelection(selection);
    ASSERT_EQ(bytes.size(), 87u);
    CTestByteReader in(bytes);
    EXPECT_EQ(in.I32(), 3);
    EXPECT_EQ(in.I32(), 5);
    in.Seek(72);
    EXPECT_EQ(in.I32(), 1);
    in.Seek(80);
    EXPECT_EQ(in.U8(), 1u);
    EXPECT_EQ(in.I32(), 2);
    EXPECT_EQ(in.U8(), 1u);
    EXPECT_EQ(in.U8(), 0u);

    std::vector<std::uint8_t> const pack = CFishDataWriter::WritePack("Reef Fishes", 6);
    CTestByteReader packIn(pack);
    EXPECT_EQ(packIn.BinaryString(), "Reef Fishes");
    EXPECT_EQ(packIn.I32(), 6);
    EXPECT_TRUE(packIn.AtEnd());
}

TEST(PluginDescriptorWriter, OwnDataFollowsTheTwoTexts)
{
    SPluginDescriptor descriptor;
    descriptor.ownData = {9, 8};
    std::vector<std::uint8_t> const empty = CPluginDescriptorWriter::Write(descriptor);
    EXPECT_EQ(empty, (std::vector<std::uint8_t>{1, 1, 1, 0, 1, 0, 9, 8}));
    descriptor.enabled = false;
    descriptor.firstText = "StarFish Plugin v1.0";
    std::vector<std::uint8_t> const bytes = CPluginDescriptorWriter::Write(descriptor);
    CTestByteReader in(bytes);
    in.U8();
    EXPECT_EQ(in.U8(), 0u);
    EXPECT_EQ(in.BinaryString(), "StarFish Plugin v1.0");
    EXPECT_EQ(in.BinaryString(), "");
    EXPECT_EQ(in.U8(), 9u);
}
