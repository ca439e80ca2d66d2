#include "core/Engine.h"
#include "core/Errors.h"
#include "platform/os/Path.h"
#include "render/Camera.h"
#include "support/FakeDirect3D8.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
std::string ReadWholeFile(std::filesystem::path const& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// An engine on a scripted device in a small window, with its files in a private folder.
class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        directory = std::filesystem::temp_directory_path() /
                    ("tidewell_engine_" +
                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        std::ofstream(directory / "EngineTest.ini") << "v_fullscreen 0\nv_mode 640x480x32\n";

        D3DDISPLAYMODE const desktop{1280, 1024, 60, D3DFMT_X8R8G8B8};
        std::vector<D3DDISPLAYMODE> const modes{{640, 480, 60, D3DFMT_X8R8G8B8},
                                                {800, 600, 60, D3DFMT_X8R8G8B8},
                                                {1280, 1024, 60, D3DFMT_X8R8G8B8}};
        device.adapters.push_back(FakeDirect3D8::MakeAdapter(desktop, modes));
        device.Install();

        directoryText = directory.string();
        settings.applicationName = "EngineTest";
        settings.applicationVersion = 105;
        settings.engineDirectory = directoryText.c_str();
        settings.configFileName = "EngineTest";
        settings.configDirectory = directoryText.c_str();
        settings.createLogFile = true;
        settings.logDirectory = directoryText.c_str();
    }

    void TearDown() override
    {
        engine.Destroy();
        device.Uninstall();
    }

    unsigned int CountStoredMessages(char const* text)
    {
        CMessageManager* messages = engine.GetMessageManager();
        unsigned int count = 0;
        for (unsigned int i = 0; i < messages->GetMessagesCount(); ++i)
            count += std::string(messages->GetMessageText(i)) == text;
        return count;
    }

    std::filesystem::path directory;
    std::string directoryText;
    FakeDirect3D8 device;
    SEngineSettings settings{};
    CEngine engine;
};

TEST_F(EngineTest, TitleFormatsVersionAsHundredths)
{
    engine.Create(settings);
    EXPECT_STREQ(engine.GetApplicationTitle(), "EngineTest 1.05");
    settings.applicationVersion = 7;
    engine.Destroy();
    engine.Create(settings);
    EXPECT_STREQ(engine.GetApplicationTitle(), "EngineTest 0.07");
    EXPECT_EQ(engine.GetApplicationVersion(), 7);
}

TEST_F(EngineTest, NullNameGivesTheEngineTitleAndLogName)
{
    settings.applicationName = nullptr;
    settings.applicationVersion = 3;
    engine.Create(settings);
    EXPECT_STREQ(engine.GetApplicationName(), "Tidewell");
    EXPECT_STREQ(engine.GetApplicationTitle(), "Tidewell 0.53");
    engine.Destroy();
    EXPECT_TRUE(std::filesystem::exists(directory / "Tidewell.html"));
}

TEST_F(EngineTest, ExitStaysRequestedAndEachFrameSaysExiting)
{
    engine.Create(settings);
    EXPECT_FALSE(engine.IsExit());
    engine.BeginFrame();
    engine.FinishFrame();
    EXPECT_FALSE(engine.IsExit());

    engine.Exit(false);
    EXPECT_TRUE(engine.IsExit());
    for (int frame = 0; frame < 3; ++frame) {
        engine.BeginFrame();
        EXPECT_EQ(CountStoredMessages("\nExiting...\n\n"), 0u);
        engine.FinishFrame();
        EXPECT_TRUE(engine.IsExit());
        EXPECT_EQ(CountStoredMessages("\nExiting...\n\n"), 1u);
    }
}

TEST_F(EngineTest, ResetConfigCancelsTheExitRequest)
{
    engine.Create(settings);
    engine.Exit(true);
    engine.GetConfig()->ExecuteCommand("reset_config");
    engine.BeginFrame();
    engine.FinishFrame();
    EXPECT_FALSE(engine.IsExit());
}

TEST_F(EngineTest, StoppedFollowsTheStopVariable)
{
    engine.Create(settings);
    EXPECT_FALSE(engine.IsStopped());
    engine.GetConfig()->GetMainSettings()->s_stop_engine = true;
    EXPECT_TRUE(engine.IsStopped());
}

TEST_F(EngineTest, BeginFrameEmptiesTheMessageList)
{
    engine.Create(settings);
    EXPECT_GT(engine.GetMessageManager()->GetMessagesCount(), 0u);
    engine.BeginFrame();
    EXPECT_EQ(engine.GetMessageManager()->GetMessagesCount(), 0u);
    engine.GetMessageManager()->Write("during the frame");
    engine.FinishFrame();
    EXPECT_EQ(CountStoredMessages("during the frame\n"), 1u);
}

TEST_F(EngineTest, ConfigurationIsSavedOnlyWhenAsked)
{
    std::string const original = ReadWholeFile(directory / "EngineTest.ini");
    engine.Create(settings);
    engine.GetConfig()->ExecuteCommand("v_gamma 1.5");
    engine.Destroy();
    EXPECT_EQ(ReadWholeFile(directory / "EngineTest.ini"), original);

    settings.saveConfigOnExit = true;
    engine.Create(settings);
    engine.GetConfig()->ExecuteCommand("v_gamma 1.5");
    engine.Destroy();
    std::string const saved = ReadWholeFile(directory / "EngineTest.ini");
    EXPECT_NE(saved.find("v_gamma 1.5"), std::string::npos) << saved;
    EXPECT_NE(saved.find("v_fullscreen 0"), std::string::npos) << saved;
}

TEST_F(EngineTest, DestroyAfterAFailedCreateLeavesEveryManagerFree)
{
    device.adapters.clear(); // no adapter: the device cannot start
    EXPECT_THROW(engine.Create(settings), CFatalError);
    EXPECT_FALSE(engine.GetMessageManager()->IsFree());
    EXPECT_NO_THROW(engine.Destroy());
    EXPECT_TRUE(engine.GetMessageManager()->IsFree());
    EXPECT_TRUE(engine.GetConfig()->IsFree());
    EXPECT_TRUE(engine.GetWindow()->IsFree());
    EXPECT_TRUE(engine.GetDirect3DSubsystem()->IsFree());
    std::string const log = ReadWholeFile(directory / "EngineTest.html");
    EXPECT_NE(log.find("PROGRAM ABORTING: "), std::string::npos);
    EXPECT_NE(log.find("</HTML>"), std::string::npos);
}

TEST_F(EngineTest, LogOfARunIsOneLineFromHeaderToFooter)
{
    engine.Create(settings);
    for (int frame = 0; frame < 3; ++frame) {
        engine.BeginFrame();
        engine.FinishFrame();
    }
    engine.Destroy();
    std::string const log = ReadWholeFile(directory / "EngineTest.html");
    EXPECT_EQ(log.find('\n'), std::string::npos);
    EXPECT_EQ(log.rfind("<HTML><HEAD><TITLE>EngineTest Log</TITLE>", 0), 0u);
    EXPECT_EQ(log.substr(log.size() - 14), "</BODY></HTML>");
}

TEST_F(EngineTest, CameraZeroIsThePerspectiveSceneCamera)
{
    engine.Create(settings);
    CCamera* camera = engine.GetCameraManager()->GetCamera(0);
    ASSERT_NE(camera, nullptr);
    EXPECT_FALSE(camera->IsFree());
    EXPECT_TRUE(camera->IsPerspective());
    EXPECT_NE(engine.GetCameraManager()->AddCamera(CT_ORTHOGRAPHIC), 0u);
}

TEST_F(EngineTest, CanBeCreatedAgainAfterDestroy)
{
    engine.Create(settings);
    engine.Destroy();
    engine.Create(settings);
    engine.BeginFrame();
    engine.FinishFrame();
    EXPECT_FALSE(engine.IsExit());
}
} // namespace
