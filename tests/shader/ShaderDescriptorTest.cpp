#include "ShaderFileImage.h"

#include "core/Errors.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "core/TimerManager.h"
#include "platform/os/Clock.h"
#include "render/ShaderDescriptor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>

namespace
{
class ScriptedClock : public platform::ClockSource
{
public:
    std::uint64_t GetTickMilliseconds() const override { return static_cast<std::uint64_t>(counter); }
    std::int64_t GetPerformanceCounter() const override { return counter; }
    std::int64_t GetPerformanceFrequency() const override { return 1000; }
    bool GetTimerMinimumPeriod(std::uint32_t&) const override { return false; }
    void BeginTimerPeriod(std::uint32_t) override {}
    void EndTimerPeriod(std::uint32_t) override {}

    std::int64_t counter = 0;
};
} // namespace

class ShaderDescriptorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto const* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory = std::filesystem::temp_directory_path() / (std::string("coralume_shader_") + test->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        messages.Create("shader", false, nullptr);
        memory.Create(&messages);
        files.Create(&messages, &memory, directory.c_str(), nullptr);
        timers.Create(clock);
    }

    void TearDown() override
    {
        timers.Destroy();
        files.Destroy();
        memory.Destroy();
        messages.Destroy();
        std::filesystem::remove_all(directory);
    }

    void Write(std::string const& name, shaderfile::Bytes const& bytes)
    {
        std::ofstream out(directory / name, std::ios::binary);
        out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    shaderfile::Bytes Read(std::string const& name)
    {
        std::ifstream in(directory / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void MakeDefault(CShaderDescriptor* descriptor, unsigned int properties = 0)
    {
        descriptor->Create(&messages, &memory, &files, &timers, properties);
    }

    bool Load(CShaderDescriptor* descriptor, char const* name, unsigned int index)
    {
        messages.ClearMessagesBuffer();
        return descriptor->Create(&messages, &memory, &files, &timers, name, index);
    }

    bool HasError(std::string const& text)
    {
        for (unsigned int i = 0; i < messages.GetMessagesCount(); ++i) {
            if (messages.GetMessageType(i) == MT_ERROR &&
                std::string(messages.GetMessageText(i)).find("Error: " + text + "!") != std::string::npos)
                return true;
        }
        return false;
    }

    void ExpectDefault(CShaderDescriptor const& descriptor)
    {
        EXPECT_FALSE(descriptor.IsFree());
        EXPECT_EQ(descriptor.GetProperties(), 0u);
        EXPECT_EQ(descriptor.GetStagesCount(), 0u);
        EXPECT_EQ(descriptor.GetDiffuseColor().x, 1.0f);
        EXPECT_EQ(descriptor.GetEmissionColor().x, 0.0f);
    }

    std::filesystem::path directory;
    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
    ScriptedClock clock;
    CTimerManager timers;
};

TEST_F(ShaderDescriptorTest, DefaultIsWhiteWithoutShineOrStages)
{
    CShaderDescriptor descriptor;
    EXPECT_TRUE(descriptor.IsFree());
    MakeDefault(&descriptor, 1);
    EXPECT_EQ(descriptor.GetProperties(), 1u);
    EXPECT_EQ(descriptor.GetAmbientColor().w, 1.0f);
    EXPECT_EQ(descriptor.GetSpecularColor().y, 1.0f);
    EXPECT_EQ(descriptor.GetEmissionColor().z, 0.0f);
    EXPECT_EQ(descriptor.GetEmissionColor().w, 1.0f);
    EXPECT_EQ(descriptor.GetBlendingFactor(0), SBF_ZERO);
    EXPECT_EQ(descriptor.GetBlendingFactor(1), SBF_ZERO);
    D3DMATERIAL8 const& material = descriptor.GetMaterialD3D();
    EXPECT_EQ(material.Diffuse.g, 1.0f);
    EXPECT_EQ(material.Ambient.b, 1.0f);
    EXPECT_EQ(material.Emissive.r, 0.0f);
    // No shine strength: no specular light at all.
    EXPECT_EQ(material.Specular.r, 0.0f);
    EXPECT_EQ(material.Power, 0.0f);
}

TEST_F(ShaderDescriptorTest, MaterialFollowsColoursAndShineStrength)
{
    CShaderDescriptor descriptor;
    MakeDefault(&descriptor);
    descriptor.SetDiffuseColor(CVector4(0.5f, 0.25f, 0.125f, 1.0f));
    descriptor.SetSpecularColor(CVector4(0.3f, 0.3f, 0.3f, 1.0f));
    descriptor.SetShine(20.0f);
    EXPECT_EQ(descriptor.GetMaterialD3D().Diffuse.g, 0.25f);
    EXPECT_EQ(descriptor.GetMaterialD3D().Specular.r, 0.0f);
    EXPECT_EQ(descriptor.GetMaterialD3D().Power, 0.0f);

    descriptor.SetShineStrength(0.5f);
    EXPECT_EQ(descriptor.GetMaterialD3D().Specular.r, 0.3f);
    EXPECT_EQ(descriptor.GetMaterialD3D().Power, 20.0f);
    descriptor.SetShine(10.0f);
    EXPECT_EQ(descriptor.GetMaterialD3D().Power, 10.0f);
    descriptor.SetShineStrength(0.000001f);
    EXPECT_EQ(descriptor.GetMaterialD3D().Specular.r, 0.0f);
    EXPECT_EQ(descriptor.GetMaterialD3D().Power, 0.0f);
}

TEST_F(ShaderDescriptorTest, StagesKeepOnlyTheNamesTheirFlagsUse)
{
    CShaderDescriptor descriptor;
    MakeDefault(&descriptor);
    EXPECT_EQ(
        descriptor.AddStage(SSF_TEXTURE | SSF_MIP_MAPPING, 7, 2.0f, "font\\font.tga", "32bit", SSBT_REPEAT),
        0u);
    EXPECT_EQ(descriptor.AddStage(SSF_TEXTURE | SSF_OPACITY_MAP | SSF_ANIMATED_TEXTURE, 12, 5.0f, "wave.tga",
                                  "mask.tga", SSBT_CLAMP),
              1u);
    EXPECT_EQ(descriptor.AddStage(SSF_TEXTURE, 1, 0.0f, "preview.jpg", nullptr, SSBT_REPEAT), 2u);

    SShaderDescriptorStage const* still = descriptor.GetStage(0);
    EXPECT_EQ(still->frames, 1u);
    EXPECT_STREQ(still->imageName, "font\\font.tga");
    EXPECT_STREQ(still->opacityName, "");
    SShaderDescriptorStage const* animated = descriptor.GetStage(1);
    EXPECT_EQ(animated->frames, 12u);
    EXPECT_EQ(animated->time, 0.0f);
    EXPECT_STREQ(animated->opacityName, "mask.tga");
    EXPECT_EQ(animated->borderU, SSBT_CLAMP);
    EXPECT_EQ(animated->borderV, SSBT_CLAMP);
    EXPECT_EQ(animated->scaleV, 1.0f);
    EXPECT_EQ(animated->offsetU, 0.0f);

    descriptor.RemoveStage(0);
    EXPECT_EQ(descriptor.GetStagesCount(), 2u);
    EXPECT_STREQ(descriptor.GetStage(0)->imageName, "wave.tga");
    EXPECT_STREQ(descriptor.GetStage(1)->imageName, "preview.jpg");
}

TEST_F(ShaderDescriptorTest, RandomStartLiesInsideTheSequence)
{
    CShaderDescriptor descriptor;
    MakeDefault(&descriptor);
    float first = -1.0f;
    bool varied = false;
    for (int i = 0; i < 8; ++i) {
        descriptor.AddStage(SSF_TEXTURE | SSF_ANIMATED_TEXTURE | SSF_RANDOM_START, 12, 1.0f, "a.tga", "",
                            SSBT_REPEAT);
        float const time = descriptor.GetStage(i)->time;
        EXPECT_GE(time, 0.0f);
        EXPECT_LT(time, 12.0f);
        varied = varied || (first >= 0.0f && time != first);
        first = time;
    }
    EXPECT_TRUE(varied);
}

TEST_F(ShaderDescriptorTest, NinthStageIsFatal)
{
    CShaderDescriptor descriptor;
    MakeDefault(&descriptor);
    for (int i = 0; i < 8; ++i)
        descriptor.AddStage(SSF_TEXTURE, 1, 0.0f, "a.tga", "", SSBT_REPEAT);
    EXPECT_THROW(descriptor.AddStage(SSF_TEXTURE, 1, 0.0f, "a.tga", "", SSBT_REPEAT), CFatalError);
    EXPECT_EQ(descriptor.GetStagesCount(), 8u);
}

TEST_F(ShaderDescriptorTest, EqualityIgnoresWhatIsAppliedAtUse)
{
    CShaderDescriptor a;
    MakeDefault(&a, 0);
    a.AddStage(SSF_TEXTURE | SSF_ANIMATED_TEXTURE, 4, 1.0f, "a.tga", "", SSBT_REPEAT);
    CShaderDescriptor b;
    MakeDefault(&b, SP_BLENDING);
    b.AddStage(SSF_TEXTURE | SSF_ANIMATED_TEXTURE | SSF_RANDOM_START | 0x008, 4, 9.0f, "a.tga", "",
               SSBT_CLAMP);
    b.SetDiffuseColor(CVector4(0.1f, 0.2f, 0.3f, 0.4f));
    b.SetBlendingFactor(0, SBF_SRC_ALPHA);
    b.GetStage(0)->scaleU = 3.0f;
    EXPECT_TRUE(a.IsEqual(b));
    EXPECT_TRUE(b.IsEqual(a));

    CShaderDescriptor c(a);
    c.AddProperties(2);
    EXPECT_FALSE(a.IsEqual(c));
    CShaderDescriptor d(a);
    d.GetStage(0)->frames = 5;
    EXPECT_FALSE(a.IsEqual(d));
    CShaderDescriptor e(a);
    e.GetStage(0)->flags |= SSF_MIP_MAPPING;
    EXPECT_FALSE(a.IsEqual(e));
    CShaderDescriptor f(a);
    std::snprintf(f.GetStage(0)->imageName, 256, "b.tga");
    EXPECT_FALSE(a.IsEqual(f));
    CShaderDescriptor g(a);
    g.AddStage(SSF_TEXTURE, 1, 0.0f, "a.tga", "", SSBT_REPEAT);
    EXPECT_FALSE(a.IsEqual(g));
}

TEST_F(ShaderDescriptorTest, AnimationWrapsOnlyPastTheLastFrame)
{
    CShaderDescriptor descriptor;
    MakeDefault(&descriptor);
    descriptor.AddStage(SSF_TEXTURE | SSF_ANIMATED_TEXTURE, 12, 0.0f, "wave.tga", "", SSBT_REPEAT);
    descriptor.AddStage(SSF_TEXTURE | SSF_ANIMATED_OPACITY, 12, 0.0f, "wave.tga", "", SSBT_REPEAT);
    descriptor.AddStage(SSF_TEXTURE, 1, 100.0f, "still.tga", "", SSBT_REPEAT);
    descriptor.GetStage(0)->time = 12.5f;
    descriptor.GetStage(1)->time = 12.0f;
    descriptor.Refresh();
    EXPECT_FLOAT_EQ(descriptor.GetStage(0)->time, 0.5f);
    EXPECT_FLOAT_EQ(descriptor.GetStage(1)->time, 12.0f);
    descriptor.GetStage(0)->time = 36.25f;
    descriptor.Refresh();
    EXPECT_FLOAT_EQ(descriptor.GetStage(0)->time, 0.25f);

    // 50 ms at 10 frames per second.
    descriptor.GetStage(0)->speed = 10.0f;
    clock.counter += 50;
    timers.Refresh();
    descriptor.Refresh();
    EXPECT_FLOAT_EQ(descriptor.GetStage(0)->time, 0.75f);
    EXPECT_EQ(descriptor.GetStage(2)->time, 0.0f);

    // Huge positions wrap at once instead of subtracting for ever; an overflow restarts.
    descriptor.GetStage(0)->speed = 1e38f;
    descriptor.GetStage(0)->time = 3e38f;
    descriptor.Refresh();
    EXPECT_GE(descriptor.GetStage(0)->time, 0.0f);
    EXPECT_LE(descriptor.GetStage(0)->time, 12.0f);
    descriptor.GetStage(0)->time = std::numeric_limits<float>::max();
    descriptor.Refresh();
    EXPECT_EQ(descriptor.GetStage(0)->time, 0.0f);
}

TEST_F(ShaderDescriptorTest, SavedFileReadsBackEveryField)
{
    CShaderDescriptor saved[2];
    MakeDefault(&saved[0]);
    MakeDefault(&saved[1], SP_BLENDING);
    saved[1].SetAmbientColor(CVector4(0.1f, 0.2f, 0.3f, 0.4f));
    saved[1].SetSpecularColor(CVector4(0.5f, 0.5f, 0.5f, 1.0f));
    saved[1].SetShine(12.0f);
    saved[1].SetShineStrength(0.75f);
    saved[1].SetBlendingFactor(0, SBF_SRC_ALPHA);
    saved[1].SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    saved[1].AddStage(SSF_TEXTURE | SSF_OPACITY_MAP | SSF_ANIMATED_TEXTURE, 12, 7.5f, "wave.tga", "mask.tga",
                      SSBT_REPEAT);
    saved[1].AddStage(SSF_TEXTURE | 0x008, 1, 0.0f, "b.jpg", "", SSBT_REPEAT);
    SShaderDescriptorStage* stage = saved[1].GetStage(1);
    stage->borderU = SSBT_CLAMP;
    stage->scaleU = 2.0f;
    stage->scaleV = 3.0f;
    stage->offsetU = 0.25f;
    stage->offsetV = -0.5f;
    ASSERT_TRUE(CShaderDescriptor::SaveToFile(&messages, &memory, &files, 2, saved, "models\\fish.srf"));

    shaderfile::Bytes const bytes = Read("models/fish.srf");
    ASSERT_GE(bytes.size(), 25u);
    EXPECT_EQ(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16), static_cast<int>(bytes.size()));
    EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 9), "TWSRF");
    EXPECT_EQ(bytes[9], 203);
    EXPECT_EQ(bytes[13], 2);
    EXPECT_EQ(bytes[17], 25); // the first record follows the two offsets

    CShaderDescriptor loaded;
    ASSERT_TRUE(Load(&loaded, "models\\fish.srf", 1));
    EXPECT_EQ(loaded.GetProperties(), SP_BLENDING);
    EXPECT_EQ(loaded.GetAmbientColor().y, 0.2f);
    EXPECT_EQ(loaded.GetMaterialD3D().Ambient.a, 0.4f);
    EXPECT_EQ(loaded.GetMaterialD3D().Specular.r, 0.5f);
    EXPECT_EQ(loaded.GetMaterialD3D().Power, 12.0f);
    EXPECT_EQ(loaded.GetBlendingFactor(1), SBF_INV_SRC_ALPHA);
    ASSERT_EQ(loaded.GetStagesCount(), 2u);
    EXPECT_TRUE(loaded.IsEqual(saved[1]));
    EXPECT_EQ(loaded.GetStage(0)->speed, 7.5f);
    EXPECT_STREQ(loaded.GetStage(0)->opacityName, "mask.tga");
    SShaderDescriptorStage const* read = loaded.GetStage(1);
    EXPECT_EQ(read->flags, SSF_TEXTURE | 0x008u);
    EXPECT_EQ(read->borderU, SSBT_CLAMP);
    EXPECT_EQ(read->borderV, SSBT_REPEAT);
    EXPECT_EQ(read->scaleV, 3.0f);
    EXPECT_EQ(read->offsetV, -0.5f);

    ASSERT_TRUE(Load(&loaded, "models\\fish.srf", 0));
    EXPECT_EQ(loaded.GetStagesCount(), 0u);
}

TEST_F(ShaderDescriptorTest, OlderVersionsFillWhatTheyDoNotStore)
{
    shaderfile::SRecord record;
    shaderfile::SStage stage;
    stage.borderU = 0;
    stage.borderV = 1;
    stage.scaleU = 2.0f;
    stage.scaleV = 5.0f;
    stage.offsetU = 0.5f;
    stage.offsetV = 0.75f;
    record.stages = {stage};

    CShaderDescriptor loaded;
    Write("v201.srf", shaderfile::File(201, {record}));
    ASSERT_TRUE(Load(&loaded, "v201.srf", 0));
    EXPECT_EQ(loaded.GetDiffuseColor().x, 0.5f); // the 16 extra bytes are skipped
    EXPECT_EQ(loaded.GetBlendingFactor(0), SBF_SRC_ALPHA);
    SShaderDescriptorStage const* s = loaded.GetStage(0);
    EXPECT_EQ(s->scaleU, 2.0f);
    EXPECT_EQ(s->scaleV, 2.0f);
    EXPECT_EQ(s->offsetU, 0.0f);
    EXPECT_EQ(s->offsetV, 0.0f);
    EXPECT_EQ(s->borderU, SSBT_CLAMP);
    EXPECT_EQ(s->borderV, SSBT_CLAMP);

    Write("v200.srf", shaderfile::File(200, {record}));
    ASSERT_TRUE(Load(&loaded, "v200.srf", 0));
    EXPECT_EQ(loaded.GetDiffuseColor().x, 0.5f);
    EXPECT_EQ(loaded.GetStage(0)->scaleU, 1.0f);
    EXPECT_EQ(loaded.GetStage(0)->scaleV, 1.0f);
    EXPECT_EQ(loaded.GetStage(0)->offsetU, 0.0f);

    Write("v202.srf", shaderfile::File(202, {record}));
    ASSERT_TRUE(Load(&loaded, "v202.srf", 0));
    EXPECT_EQ(loaded.GetDiffuseColor().x, 0.5f);
    EXPECT_EQ(loaded.GetStage(0)->scaleV, 5.0f);
    EXPECT_EQ(loaded.GetStage(0)->offsetV, 0.75f);
    EXPECT_EQ(loaded.GetStage(0)->borderV, SSBT_CLAMP);

    Write("v203.srf", shaderfile::File(203, {record}));
    ASSERT_TRUE(Load(&loaded, "v203.srf", 0));
    EXPECT_EQ(loaded.GetStage(0)->borderU, SSBT_CLAMP);
    EXPECT_EQ(loaded.GetStage(0)->borderV, SSBT_REPEAT);
}

TEST_F(ShaderDescriptorTest, BadHeadersAreErrorsAndGiveTheDefault)
{
    shaderfile::SRecord record;
    record.properties = 1;
    record.stages = {shaderfile::SStage()};
    shaderfile::Bytes const good = shaderfile::File(203, {record});
    CShaderDescriptor loaded;

    shaderfile::Bytes magic = good;
    magic[6] = 'X';
    Write("magic.srf", magic);
    EXPECT_FALSE(Load(&loaded, "magic.srf", 0));
    EXPECT_TRUE(HasError("Incorrect magic.srf file format"));
    ExpectDefault(loaded);

    shaderfile::Bytes longer = good;
    longer.push_back(0);
    Write("size.srf", longer);
    EXPECT_FALSE(Load(&loaded, "size.srf", 0));
    EXPECT_TRUE(HasError("Incorrect size.srf file format"));

    for (std::uint32_t version : {199u, 204u}) {
        shaderfile::Bytes wrong = good;
        shaderfile::SetUnsigned(wrong, 9, version);
        Write("version.srf", wrong);
        EXPECT_FALSE(Load(&loaded, "version.srf", 0));
        EXPECT_TRUE(HasError("Incorrect version.srf format version, current is 203"));
        ExpectDefault(loaded);
    }

    Write("short.srf", {1, 2, 3});
    EXPECT_FALSE(Load(&loaded, "short.srf", 0));
    EXPECT_TRUE(HasError("Incorrect short.srf file format"));

    EXPECT_FALSE(Load(&loaded, "missing.srf", 0));
    EXPECT_EQ(messages.GetMessagesCount(), 1u);
    EXPECT_EQ(messages.GetMessageType(0), MT_ERROR);
    ExpectDefault(loaded);
}

TEST_F(ShaderDescriptorTest, LyingCountsAndLengthsAreErrors)
{
    shaderfile::SRecord record;
    record.properties = 1;
    record.stages = {shaderfile::SStage(), shaderfile::SStage()};
    shaderfile::Bytes const good = shaderfile::File(203, {record});
    std::size_t const recordStart = 21;
    std::size_t const stageCount = recordStart + 4 + 64 + 16;
    std::size_t const firstName = stageCount + 4 + 12;
    CShaderDescriptor loaded;

    auto expectRejected = [&](shaderfile::Bytes bytes, unsigned int index, char const* what) {
        Write("bad.srf", bytes);
        EXPECT_FALSE(Load(&loaded, "bad.srf", index)) << what;
        EXPECT_TRUE(HasError("Incorrect bad.srf file format")) << what;
        ExpectDefault(loaded);
    };

    expectRejected(good, 1, "index past the count");
    shaderfile::Bytes bytes = good;
    shaderfile::SetUnsigned(bytes, 13, 0x40000000u);
    expectRejected(bytes, 0, "count past the end");
    bytes = good;
    shaderfile::SetUnsigned(bytes, 17, static_cast<std::uint32_t>(good.size()));
    expectRejected(bytes, 0, "offset past the end");
    bytes = good;
    shaderfile::SetUnsigned(bytes, stageCount, 3);
    expectRejected(bytes, 0, "more stages than stored");
    bytes = good;
    shaderfile::SetUnsigned(bytes, stageCount, 9);
    expectRejected(bytes, 0, "more stages than a descriptor holds");
    bytes = good;
    bytes[firstName] = 255;
    expectRejected(bytes, 0, "name longer than the file");
    bytes = good;
    bytes.resize(bytes.size() - 3);
    shaderfile::FixSize(bytes);
    expectRejected(bytes, 0, "truncated last float");
}

TEST_F(ShaderDescriptorTest, AnimatedStagesNeedASoundFrameCount)
{
    shaderfile::SRecord record;
    shaderfile::SStage stage;
    stage.flags = SSF_TEXTURE | SSF_ANIMATED_TEXTURE;
    stage.frames = 0;
    record.stages = {stage};
    CShaderDescriptor loaded;
    Write("zero.srf", shaderfile::File(203, {record}));
    EXPECT_FALSE(Load(&loaded, "zero.srf", 0));
    record.stages[0].frames = 0xFFFFFFFFu;
    Write("huge.srf", shaderfile::File(203, {record}));
    EXPECT_FALSE(Load(&loaded, "huge.srf", 0));
    // Frames of a still stage are not used, so any count reads as 1.
    record.stages[0].flags = SSF_TEXTURE;
    Write("still.srf", shaderfile::File(203, {record}));
    ASSERT_TRUE(Load(&loaded, "still.srf", 0));
    EXPECT_EQ(loaded.GetStage(0)->frames, 1u);
}
