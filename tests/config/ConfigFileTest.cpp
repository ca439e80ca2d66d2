#include "core/Config.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "platform/gl/RendererRequest.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

class ConfigFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        directory = fs::temp_directory_path() /
                    ("config_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                     "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory);
        fs::create_directories(directory);
        messages.Create("ConfigFileTest", false, nullptr);
        memory.Create(&messages);
        files.Create(&messages, &memory, directory.c_str(), nullptr);
        config.Create(&messages, &memory, &files, nullptr, nullptr, nullptr);
        messages.ClearMessagesBuffer();
    }

    void TearDown() override
    {
        config.Destroy();
        files.Destroy();
        memory.Destroy();
        messages.Destroy();
        fs::remove_all(directory);
    }

    void WriteConfigFile(std::string const& text)
    {
        std::ofstream(directory / "Tidewell.ini", std::ios::binary) << text;
    }

    std::string ReadFile(fs::path const& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string result = text.str();
        std::erase(result, '\r');
        return result;
    }

    SMainSettings& Settings() { return *config.GetMainSettings(); }

    fs::path directory;
    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
    CConfig config;
};

TEST_F(ConfigFileTest, LoadAppliesLinesWithCommentsAndIgnoresReadOnlyOnes)
{
    WriteConfigFile("v_mode 800x600x16 // chosen by hand\n"
                    "   V_GAMMA   2.5 extra words\r\n"
                    "s_stop_engine 1\n"
                    "// a comment line\n"
                    "\n"
                    "c_invert_mouse 1");
    config.Load();
    EXPECT_STREQ(Settings().v_mode, "800x600x16");
    EXPECT_FLOAT_EQ(Settings().v_gamma, 2.5f);
    EXPECT_FALSE(Settings().s_stop_engine);
    EXPECT_TRUE(Settings().c_invert_mouse);
}

TEST_F(ConfigFileTest, LateRegistrationAppliesTheLastFileLineOnce)
{
    // The last line of a name wins, as it does for the built-in variables.
    WriteConfigFile("g_fish_count 12\n"
                    "G_FISH_COUNT 99\n"
                    "v_mode 800x600x16\n"
                    "v_mode 640x480x32\n");
    config.Load();
    EXPECT_STREQ(Settings().v_mode, "640x480x32");

    int fishCount = 0;
    config.CreateCommand("g_fish_count", CCT_INT, false, true, &fishCount, "1");
    EXPECT_EQ(fishCount, 99);

    config.CreateCommand("g_fish_count", CCT_INT, false, true, &fishCount, "1");
    EXPECT_EQ(fishCount, 1);
}

TEST_F(ConfigFileTest, LateReadOnlyRegistrationIgnoresItsFileLine)
{
    WriteConfigFile("g_fish_total 12\n");
    config.Load();
    int total = 0;
    config.CreateCommand("g_fish_total", CCT_INT, true, false, &total, "3");
    EXPECT_EQ(total, 3);
}

TEST_F(ConfigFileTest, LoadResetsFirstAndForgetsEarlierPendingLines)
{
    WriteConfigFile("g_late 5\n");
    config.Load();
    config.ExecuteCommand("v_vsync 0");
    config.ExecuteCommand("exit");

    WriteConfigFile("v_gamma 3\n");
    config.Load();
    EXPECT_TRUE(Settings().v_vsync);
    EXPECT_TRUE(config.IsCommandExecuted("exit"));
    EXPECT_FLOAT_EQ(Settings().v_gamma, 3.0f);

    int late = 0;
    config.CreateCommand("g_late", CCT_INT, false, false, &late, "1");
    EXPECT_EQ(late, 1);
}

TEST_F(ConfigFileTest, OverridesHoldOverTheFileAndEveryReload)
{
    WriteConfigFile("v_gamma 3\nv_vsync 0\n");
    config.Load();
    config.SetOverrides({"v_gamma 1.5"});
    EXPECT_FLOAT_EQ(Settings().v_gamma, 1.5f);
    config.Load();
    EXPECT_FLOAT_EQ(Settings().v_gamma, 1.5f);
    EXPECT_FALSE(Settings().v_vsync);
}

TEST_F(ConfigFileTest, ResetKeepsTheOverrides)
{
    config.SetOverrides({"v_gamma 1.5"});
    config.ExecuteCommand("v_gamma 2");
    config.ExecuteCommand("v_vsync 0");
    config.ExecuteCommand("reset_config");
    config.Refresh();
    EXPECT_FLOAT_EQ(Settings().v_gamma, 1.5f);
    EXPECT_TRUE(Settings().v_vsync);
}

TEST_F(ConfigFileTest, UnreadableFileIsReportedOnceWithPathAndReason)
{
    fs::path const file = directory / "Tidewell.ini";
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    ::testing::internal::CaptureStderr();
    config.Load();
    config.Load();
    std::string const printed = ::testing::internal::GetCapturedStderr();
    std::string const expected = "onfiguration file " + file.string() + " can not be read (a FIFO)";
    int logged = 0;
    for (unsigned int i = 0; i < messages.GetMessagesCount(); ++i)
        logged += messages.GetMessageType(i) == MT_ERROR &&
                  std::string(messages.GetMessageText(i)).find(expected) != std::string::npos;
    EXPECT_EQ(logged, 1);
    EXPECT_NE(printed.find(expected), std::string::npos) << printed;
    EXPECT_EQ(printed.find(expected), printed.rfind(expected)) << printed;
}

TEST_F(ConfigFileTest, MissingFileKeepsDefaultsSilently)
{
    config.ExecuteCommand("v_mode 640x480x16");
    config.Load();
    EXPECT_STREQ(Settings().v_mode, "1024x768x32");
    EXPECT_EQ(messages.GetMessagesCount(), 0u);
}

TEST_F(ConfigFileTest, SaveWritesOnlySavedWritableVariablesInNameOrder)
{
    int saved = 0;
    int locked = 0;
    int unsaved = 0;
    config.CreateCommand("g_saved", CCT_INT, false, true, &saved, "0");
    config.CreateCommand("g_locked", CCT_INT, true, true, &locked, "7");
    config.CreateCommand("g_action", CCT_COMMAND, false, true, nullptr, "");
    config.CreateCommand("g_unsaved", CCT_INT, false, false, &unsaved, "0");
    config.ExecuteCommand("g_saved 42");
    config.ExecuteCommand("s_sound_volume 0.5");
    config.ExecuteCommand("t_engine_speed 2");

    config.Save();

    // Multisampling defaults to none on a software renderer, to 4 samples otherwise.
    std::string const samples = platform::IsSoftwareRendererRequested() ? "0" : "4";
    EXPECT_EQ(ReadFile(directory / "Tidewell.ini"), "c_invert_mouse 0\n"
                                                    "c_mouse_sensitivity 1.2500\n"
                                                    "c_smooth_mouse 0\n"
                                                    "g_saved 42\n"
                                                    "r_multisample " +
                                                        samples +
                                                        "\n"
                                                        "r_show_faces_edges 0\n"
                                                        "r_show_faces_normals 0\n"
                                                        "r_show_mip_maps 0\n"
                                                        "r_show_octree_nodes 0\n"
                                                        "r_texture_anisotropy 1\n"
                                                        "r_use_mip_mapping 1\n"
                                                        "s_sound_volume 0.5000\n"
                                                        "sc_take_screenshot_format 0\n"
                                                        "v_brightness 1.0000\n"
                                                        "v_contrast 1.0000\n"
                                                        "v_fullscreen 1\n"
                                                        "v_gamma 1.0000\n"
                                                        "v_mode 1024x768x32\n"
                                                        "v_vsync 1\n");
    EXPECT_EQ(messages.GetMessagesCount(), 0u);
}

TEST_F(ConfigFileTest, SavedFileLoadsBackTheSameValues)
{
    config.ExecuteCommand("v_mode 800x600x16");
    config.ExecuteCommand("v_fullscreen 0");
    config.ExecuteCommand("c_mouse_sensitivity 0.75");
    config.ExecuteCommand("r_texture_anisotropy 4");
    config.Save();

    CConfig other;
    other.Create(&messages, &memory, &files, nullptr, nullptr, nullptr);
    other.Load();
    for (unsigned int i = 0; i < config.GetCommandsCount(); ++i) {
        std::string const name = config.GetCommandName(i);
        std::string const value = config.GetValue(name.c_str());
        EXPECT_EQ(other.GetValue(name.c_str()), value) << name;
    }
}

TEST_F(ConfigFileTest, SaveCreatesMissingDirectories)
{
    config.Create(&messages, &memory, &files, "settings\\user", "Coralume", nullptr);
    config.Save();
    EXPECT_TRUE(fs::exists(directory / "settings" / "user" / "Coralume.ini"));
    EXPECT_EQ(messages.GetMessagesCount(), 0u);
}

TEST_F(ConfigFileTest, SaveFailureIsReportedAsAnError)
{
    fs::create_directories(directory / "Tidewell.ini");
    config.Save();
    ASSERT_EQ(messages.GetMessagesCount(), 1u);
    EXPECT_EQ(messages.GetMessageType(0), MT_ERROR);
    EXPECT_NE(std::string(messages.GetMessageText(0)).find("Failed to save"), std::string::npos);
}

TEST_F(ConfigFileTest, LongLineStaysOneLine)
{
    // The tail of a long comment line is not a command of its own.
    WriteConfigFile("// " + std::string(300, '-') +
                    " r_texture_anisotropy 8\n"
                    "v_vsync 0\n");
    config.Load();
    EXPECT_EQ(Settings().r_texture_anisotropy, 1);
    EXPECT_FALSE(Settings().v_vsync);
}

TEST_F(ConfigFileTest, ByteOrderMarkIsSkipped)
{
    WriteConfigFile("\xEF\xBB\xBFv_vsync 0\n");
    config.Load();
    EXPECT_FALSE(Settings().v_vsync);
}

TEST_F(ConfigFileTest, UserFileIsReadOverTheInstalledOne)
{
    std::ofstream(directory / "Installed.ini") << "v_vsync 0\nv_mode 800x600x16\n";
    WriteConfigFile("v_mode 640x480x32\n");
    config.SetInstalledFilePath("Installed.ini");
    config.Load();
    EXPECT_FALSE(Settings().v_vsync);
    EXPECT_STREQ(Settings().v_mode, "640x480x32");
}

TEST_F(ConfigFileTest, LogNamesTheFileAndWarnsOncePerNameWithTheLineNumber)
{
    WriteConfigFile("v_vsync yes\n"
                    "v_vsync maybe\n"
                    "c_mouse_sensitivity 2.5\n"
                    "g_unknown 1\n"
                    "g_unknown 2\n");
    config.Load();
    config.ReportUnknownNames();
    config.ReportUnknownNames();
    std::vector<std::string> warnings;
    bool named = false;
    for (unsigned int i = 0; i < messages.GetMessagesCount(); ++i) {
        std::string const text = messages.GetMessageText(i);
        named = named ||
                text.find("Configuration file " + (directory / "Tidewell.ini").string()) != std::string::npos;
        if (messages.GetMessageType(i) == MT_WARNING)
            warnings.push_back(text);
    }
    EXPECT_TRUE(named);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("Tidewell.ini line 1: \"yes\" is not a usable value for v_vsync"),
              std::string::npos)
        << warnings[0];
    EXPECT_NE(warnings[1].find("Tidewell.ini line 5: unknown name g_unknown"), std::string::npos)
        << warnings[1];
}
} // namespace
