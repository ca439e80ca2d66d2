#include "sprites/SpriteFixture.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

#include "../../plugins/base/Lagoonix.h"
#include "../../plugins/starfish/StarFishScene.h"
#include "core/Errors.h"
#include "core/File.h"
#include "model/ModelFile.h"
#include "platform/os/DynamicLibrary.h"
#include "render/Direct3DSubsystem.h"
#include "render/Light.h"
#include "render/LightManager.h"
#include "render/VertexBuffer.h"

namespace
{
constexpr float Tolerance = 1e-4f;

// Two key frames of one triangle: the second lies two units above the first.
SModelFile MakeMorphTriangle()
{
    SModelFile model;
    model.properties = MP_MORPH | MP_TRIANGLE_LISTS | MP_LIGHTING | MP_OPAQUE | MP_DEPTH_TEST | MP_VISIBLE;
    model.framesCount = 2;
    model.speed = 1.0f;
    model.verticesCount = 6;
    SModelFileTriangleSet set;
    set.indices = {0, 1, 2};
    float const corners[3][2] = {{0, 0}, {1, 0}, {0, 1}};
    for (float z : {0.0f, 2.0f}) {
        for (auto const& corner : corners) {
            SModelFileVertex vertex;
            vertex.position = {corner[0], corner[1], z};
            vertex.normal = {0, 0, 1};
            set.vertices.push_back(vertex);
        }
    }
    model.triangleSets = {set};
    return model;
}

std::vector<std::uint8_t> Descriptor(std::vector<std::uint8_t> ownData)
{
    // First byte, enabled, two empty texts, then the plug-in's data.
    std::vector<std::uint8_t> bytes = {0, 1, 1, 0, 1, 0};
    for (std::uint8_t byte : ownData)
        bytes.push_back(byte);
    return bytes;
}

std::vector<std::uint8_t> FloatBytes(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return {std::uint8_t(bits), std::uint8_t(bits >> 8), std::uint8_t(bits >> 16), std::uint8_t(bits >> 24)};
}

class StarFishTest : public SpriteFixture
{
protected:
    explicit StarFishTest(bool useFakeDevice = true) : SpriteFixture(useFakeDevice) {}

    void SetUp() override
    {
        SpriteFixture::SetUp();
        std::filesystem::create_directories(directory / "data" / "models");
        WriteFile(directory / "data" / "models" / "star.mlf", WriteModelFileImage(MakeMorphTriangle()));
        WriteFile(directory / "data" / "models" / "star_shadow.mlf",
                  WriteModelFileImage(MakeMorphTriangle()));
    }

    static void WriteFile(std::filesystem::path const& path, std::vector<std::uint8_t> const& bytes)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    void OpenDescriptor(CFile* file, std::vector<std::uint8_t> const& bytes)
    {
        WriteFile(directory / "descriptor.dat", bytes);
        file->Open(engine.GetMessageManager(), engine.GetMemoryManager(),
                   (directory / "descriptor.dat").c_str(), FILE_READ_BINARY);
        char text[256];
        file->Seek(FSO_BEGIN, 2);
        file->ReadBinaryString(text);
        file->ReadBinaryString(text);
    }

    static CVector3 PlaceOf(CModel* model) { return model->GetMatrix() * CVector3(0, 0, 0); }

    CStarFishScene scene;
};

TEST_F(StarFishTest, SpeedIsTheFloatAfterTheTexts)
{
    CFile file;
    OpenDescriptor(&file, Descriptor(FloatBytes(12.5f)));
    EXPECT_EQ(CStarFishScene::ReadAnimationSpeed(&file), 12.5f);
    EXPECT_FALSE(file.IsOpened());
}

TEST_F(StarFishTest, DescriptorEndingBeforeTheSpeedIsAFileError)
{
    CFile file;
    OpenDescriptor(&file, Descriptor({0x00, 0x00, 0x48}));
    EXPECT_THROW(CStarFishScene::ReadAnimationSpeed(&file), CFileError);
    EXPECT_FALSE(file.IsOpened());
}

TEST_F(StarFishTest, WithoutPositionVariablesBothModelsStandAtTheOrigin)
{
    CVector3 const position = CStarFishScene::ReadPosition(engine.GetConfig());
    EXPECT_EQ(position.x, 0.0f);
    EXPECT_EQ(position.y, 0.0f);
    EXPECT_EQ(position.z, 0.0f);
    scene.Create(Models(), 10.0f, position);
    EXPECT_NEAR((PlaceOf(scene.GetStarFish()) - CVector3(0, 0, 0)).GetLength(), 0.0f, Tolerance);
    EXPECT_NEAR((PlaceOf(scene.GetShadow()) - CVector3(0, 0, 0)).GetLength(), 0.0f, Tolerance);
}

TEST_F(StarFishTest, PositionVariablesPlaceBothModels)
{
    float x = 0, y = 0, z = 0;
    engine.GetConfig()->CreateCommand("g_star_fish_x", CCT_FLOAT, false, false, &x, "1.5");
    engine.GetConfig()->CreateCommand("g_star_fish_y", CCT_FLOAT, false, false, &y, "-2");
    engine.GetConfig()->CreateCommand("g_star_fish_z", CCT_FLOAT, false, false, &z, "3.25");
    scene.Create(Models(), 10.0f, CStarFishScene::ReadPosition(engine.GetConfig()));
    for (CModel* model : {scene.GetStarFish(), scene.GetShadow()}) {
        CVector3 const place = PlaceOf(model);
        EXPECT_NEAR(place.x, 1.5f, Tolerance);
        EXPECT_NEAR(place.y, -2.0f, Tolerance);
        EXPECT_NEAR(place.z, 3.25f, Tolerance);
    }
}

TEST_F(StarFishTest, TheShadowIsUnlitAndDrawsTransparentAtAFixedDepth)
{
    scene.Create(Models(), 10.0f, {0, 0, 0});
    EXPECT_TRUE(scene.GetStarFish()->GetProperties() & MP_OPAQUE);
    CModel* shadow = scene.GetShadow();
    EXPECT_FALSE(shadow->GetProperties() & MP_LIGHTING);
    EXPECT_TRUE(shadow->GetProperties() & MP_TRANSPARENT);
    EXPECT_TRUE(shadow->GetProperties() & MP_FIXED_DEPTH);
    EXPECT_EQ(shadow->GetDepthValue(), 0.00001f);
    EXPECT_TRUE(std::string(scene.GetStarFish()->GetFileName()).ends_with("\\star.mlf"));
    EXPECT_TRUE(std::string(shadow->GetFileName()).ends_with("\\star_shadow.mlf"));
}

// The starfish drawn on the OpenGL device facing the camera, under a light of one strength.
class StarFishLightTest : public StarFishTest
{
protected:
    StarFishLightTest() : StarFishTest(false) {}

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a display (scripts/with-display)";
        StarFishTest::SetUp();
        if (HasFatalFailure())
            return;
        CLightManager* lights = engine.GetLightManager();
        light = lights->AddLight();
        CLight* front = lights->GetLight(light);
        front->SetType(LT_DIRECTIONAL);
        front->SetDirection({0.0f, 0.0f, -1.0f});
        front->SetAmbientColor({0.0f, 0.0f, 0.0f, 1.0f});
        front->SetSpecularColor({0.0f, 0.0f, 0.0f, 1.0f});
        front->Enable();
        Models()->SetClearColor({0.0f, 0.0f, 0.0f, 1.0f});
        // The triangle's middle lies on the view's centre, in front of the camera.
        scene.Create(Models(), 0.0f, {-1.0f / 3.0f, -1.0f / 3.0f, -4.0f});
        // The shadow, unlit and drawn after it, is put out of sight.
        scene.GetShadow()->Transform(CMatrix4x4::GetTranslation({100.0f, 0.0f, 0.0f}));
    }

    // Red, green and blue summed at the middle of the picture drawn under `strength`.
    float DrawnUnder(float strength)
    {
        engine.GetLightManager()->SetGlobalAmbient({strength * 0.5f, strength * 0.5f, strength * 0.5f});
        engine.GetLightManager()->GetLight(light)->SetDiffuseColor({strength, strength, strength, 1.0f});
        IDirect3DDevice8* device = engine.GetDirect3DSubsystem()->GetDevice();
        device->SetFrameKeeping(true);
        engine.BeginFrame();
        engine.FinishFrame();
        D3DPRESENT_PARAMETERS const& parameters = engine.GetDirect3DSubsystem()->GetPresentParameters();
        unsigned int const width = parameters.BackBufferWidth;
        unsigned int const height = parameters.BackBufferHeight;
        std::vector<std::uint32_t> frame(std::size_t(width) * height, 0);
        EXPECT_EQ(device->GetFrontBuffer(frame.data(), width * 4), D3D_OK);
        std::uint32_t const pixel = frame[std::size_t(height / 2) * width + width / 2];
        return float((pixel >> 16) & 0xFF) + float((pixel >> 8) & 0xFF) + float(pixel & 0xFF);
    }

    unsigned int light = 0;
};

TEST_F(StarFishLightTest, DimsWithTheTankLight)
{
    float const day = DrawnUnder(1.0f);
    float const night = DrawnUnder(0.2f);

    EXPECT_GT(day, 300.0f);
    EXPECT_LT(night, day * 0.5f);
}

TEST_F(StarFishTest, SpeedZeroKeepsTheFirstFrame)
{
    scene.Create(Models(), 0.0f, {0, 0, 0});
    for (CModel* model : {scene.GetStarFish(), scene.GetShadow()}) {
        AnimationControl* animation = model->GetAnimationControl();
        ASSERT_NE(animation, nullptr);
        EXPECT_TRUE(animation->IsPlaying());
        EXPECT_TRUE(animation->IsLooped());
        animation->Advance(5.0f);
        EXPECT_EQ(animation->GetTime(), 0.0f);
        model->Refresh(false);
        EXPECT_NEAR(model->GetVertexBuffer()->Get()[0].position.z, 0.0f, Tolerance);
    }
}

TEST_F(StarFishTest, AnimationLoopsAtTheDescriptorSpeed)
{
    scene.Create(Models(), 4.0f, {0, 0, 0});
    AnimationControl* animation = scene.GetStarFish()->GetAnimationControl();
    EXPECT_EQ(animation->GetSpeed(), 4.0f);
    // Ten seconds at four frames a second go round the two frames many times.
    for (int i = 0; i < 100; ++i)
        animation->Advance(0.1f);
    EXPECT_TRUE(animation->IsPlaying());
    EXPECT_LT(animation->GetTime(), 2.0f);
    EXPECT_LE(animation->GetStartFrame(), 1u);
}

TEST_F(StarFishTest, DestroyRemovesBothModels)
{
    unsigned int const before = Models()->GetOccupiedModelsIndicesCount();
    scene.Create(Models(), 1.0f, {0, 0, 0});
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(), before + 2);
    scene.Destroy();
    EXPECT_TRUE(scene.IsFree());
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(), before);
}

// --- the plug-in library as the program loads it ------------------------------------------

class StarFishPluginTest : public StarFishTest
{
protected:
    void SetUp() override
    {
        StarFishTest::SetUp();
        std::string const path = std::string(CORALUME_STAGE_DIR) + "/Plugins/StarFish.so";
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "plug-in not built: " << path;
        library = platform::LoadDynamicLibrary(path.c_str());
        ASSERT_NE(library, nullptr) << platform::GetLastLibraryErrorText();
        auto create = reinterpret_cast<CLagoonix* (*)()>(
            platform::FindLibraryExport(library, "?CreateObject@@YAPAVCLagoonix@@XZ"));
        destroyObject = reinterpret_cast<void (*)(CLagoonix*)>(
            platform::FindLibraryExport(library, "?DestroyObject@@YAXPAVCLagoonix@@@Z"));
        ASSERT_NE(create, nullptr);
        ASSERT_NE(destroyObject, nullptr);
        plugin = create();
        ASSERT_NE(plugin, nullptr);
        installPathText = directory.string();
        std::snprintf(installPath, sizeof installPath, "%s", installPathText.c_str());
        engine.GetConfig()->CreateCommand("g_install_path", CCT_STRING, true, false, installPath,
                                          installPathText.c_str());
    }

    void TearDown() override
    {
        if (plugin)
            destroyObject(plugin);
        plugin = nullptr;
        if (library)
            platform::FreeDynamicLibrary(library);
        StarFishTest::TearDown();
    }

    bool Logged(char const* text)
    {
        CMessageManager* messages = engine.GetMessageManager();
        for (unsigned int i = 0; i < messages->GetMessagesCount(); ++i) {
            if (std::strstr(messages->GetMessageText(i), text))
                return true;
        }
        return false;
    }

    void CreatePlugin() { plugin->Create(&engine, camera); }
    void DestroyPlugin() { plugin->Destroy(); }

    platform::HMODULE library = nullptr;
    void (*destroyObject)(CLagoonix*) = nullptr;
    CLagoonix* plugin = nullptr;
    std::string installPathText;
    char installPath[256] = {};
};

TEST_F(StarFishPluginTest, MissingDescriptorIsFatal)
{
    try {
        CreatePlugin();
        FAIL() << "no fatal error";
    } catch (CFatalError const& error) {
        EXPECT_STREQ(error.GetText(), "Cannot open Plugins\\StarFish.dat");
    }
}

TEST_F(StarFishPluginTest, DescriptorCutShortLogsTheErrorAndKeepsTheModelSpeed)
{
    WriteFile(directory / "Plugins" / "StarFish.dat", Descriptor({0x00, 0x00}));
    unsigned int const before = Models()->GetOccupiedModelsIndicesCount();
    CreatePlugin();
    EXPECT_TRUE(Logged("Failed to read 4 bytes"));
    EXPECT_TRUE(Logged("+Plugin: StarFish"));
    CModel* star = Models()->GetModel(Models()->GetOccupiedModelIndex(before));
    EXPECT_EQ(star->GetAnimationControl()->GetSpeed(), MakeMorphTriangle().speed);
    DestroyPlugin();
}

TEST_F(StarFishPluginTest, CreateReadsTheDescriptorAndAnnouncesItself)
{
    WriteFile(directory / "Plugins" / "StarFish.dat", Descriptor(FloatBytes(7.0f)));
    unsigned int const before = Models()->GetOccupiedModelsIndicesCount();
    CreatePlugin();
    EXPECT_TRUE(Logged("+Plugin: StarFish"));
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(), before + 2);
    CModel* star = Models()->GetModel(Models()->GetOccupiedModelIndex(before));
    EXPECT_EQ(star->GetAnimationControl()->GetSpeed(), 7.0f);
    plugin->Refresh();
    DestroyPlugin();
    EXPECT_TRUE(Logged("-Plugin: StarFish"));
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(), before);
}
} // namespace
