#include "core/Config.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

namespace
{
class ConfigTest : public ::testing::Test
{
protected:
    void SetUp() override { config.Create(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); }

    SMainSettings& Settings() { return *config.GetMainSettings(); }

    CConfig config;
};

// --- Parsing of lines -------------------------------------------------------------

TEST_F(ConfigTest, FoldsNameAndUsesOnlyFirstValueToken)
{
    SConfigCommandExecutionResult const result =
        config.ExecuteCommand("   V_MODE     800x600x16 and more words");
    EXPECT_EQ(result.code, CER_DONE);
    EXPECT_STREQ(result.name, "v_mode");
    EXPECT_STREQ(Settings().v_mode, "800x600x16");
}

TEST_F(ConfigTest, EveryWhiteSpaceCharacterSeparates)
{
    EXPECT_EQ(config.ExecuteCommand("\t\v\fv_gamma\t\r\n2.5\r\n").code, CER_DONE);
    EXPECT_FLOAT_EQ(Settings().v_gamma, 2.5f);
    EXPECT_EQ(config.ExecuteCommand("v_contrast\f0.5").code, CER_DONE);
    EXPECT_FLOAT_EQ(Settings().v_contrast, 0.5f);
}

TEST_F(ConfigTest, OnlyWhiteSpaceIsEmpty)
{
    for (char const* text : {"", " ", "\t\r\n", "\v\f  \n"}) {
        SConfigCommandExecutionResult const result = config.ExecuteCommand(text);
        EXPECT_EQ(result.code, CER_EMPTY) << '"' << text << '"';
        EXPECT_STREQ(result.name, "");
    }
    EXPECT_EQ(config.ExecuteCommand(nullptr).code, CER_EMPTY);
}

TEST_F(ConfigTest, BackslashesBeforeNameAreSkipped)
{
    EXPECT_EQ(config.ExecuteCommand("\\exit").code, CER_DONE);
    EXPECT_FALSE(config.IsCommandExecuted("exit"));

    SConfigCommandExecutionResult const result = config.ExecuteCommand(" \\\\ \\v_vsync 0");
    EXPECT_EQ(result.code, CER_DONE);
    EXPECT_STREQ(result.name, "v_vsync");
    EXPECT_FALSE(Settings().v_vsync);
}

TEST_F(ConfigTest, BackslashEndsNameAndDoubledBackslashEndsValue)
{
    char path[256] = {};
    config.CreateCommand("g_path", CCT_STRING, false, false, path, "");

    EXPECT_EQ(config.ExecuteCommand("g_path\\\\c:\\data\\fish\\\\ignored").code, CER_DONE);
    EXPECT_STREQ(path, "c:\\data\\fish");

    // A single backslash after the name ends the name but belongs to the value.
    EXPECT_EQ(config.ExecuteCommand("g_path\\rest").code, CER_DONE);
    EXPECT_STREQ(path, "\\rest");
}

TEST_F(ConfigTest, OnlyBackslashesGiveAnUnknownEmptyName)
{
    SConfigCommandExecutionResult const result = config.ExecuteCommand("\\\\\\");
    EXPECT_EQ(result.code, CER_UNKNOWN);
    EXPECT_STREQ(result.name, "");
}

TEST_F(ConfigTest, NameWithoutValueAsksToShowIt)
{
    SConfigCommandExecutionResult const result = config.ExecuteCommand("v_fullscreen   ");
    EXPECT_EQ(result.code, CER_SHOW_VALUE);
    EXPECT_STREQ(result.name, "v_fullscreen");
    EXPECT_TRUE(Settings().v_fullscreen);
}

TEST_F(ConfigTest, ReadOnlyRefusesValuesButShowsThem)
{
    EXPECT_EQ(config.ExecuteCommand("s_stop_engine 1").code, CER_READ_ONLY);
    EXPECT_FALSE(Settings().s_stop_engine);
    EXPECT_EQ(config.ExecuteCommand("s_stop_engine").code, CER_SHOW_VALUE);
}

TEST_F(ConfigTest, UnknownNameIsReportedInLowerCase)
{
    SConfigCommandExecutionResult const result = config.ExecuteCommand("  FOO 12");
    EXPECT_EQ(result.code, CER_UNKNOWN);
    EXPECT_STREQ(result.name, "foo");
}

TEST_F(ConfigTest, OverlongNameAndValueAreCutToTheirBuffers)
{
    std::string const longName(1000, 'N');
    SConfigCommandExecutionResult const unknown = config.ExecuteCommand(longName.c_str());
    EXPECT_EQ(unknown.code, CER_UNKNOWN);
    EXPECT_EQ(std::strlen(unknown.name), 255u);
    EXPECT_EQ(unknown.name[0], 'n');

    std::string const line = "v_mode " + std::string(1000, '7');
    EXPECT_EQ(config.ExecuteCommand(line.c_str()).code, CER_DONE);
    EXPECT_EQ(std::string(Settings().v_mode), std::string(255, '7'));
}

// --- Values -----------------------------------------------------------------------

TEST_F(ConfigTest, BooleanIsTrueOnlyAboveZero)
{
    config.ExecuteCommand("v_vsync -1");
    EXPECT_FALSE(Settings().v_vsync);
    config.ExecuteCommand("v_vsync 2");
    EXPECT_TRUE(Settings().v_vsync);
    config.ExecuteCommand("v_vsync yes");
    EXPECT_FALSE(Settings().v_vsync);
    EXPECT_STREQ(config.GetValue("v_vsync"), "0");
}

TEST_F(ConfigTest, IntegerReadAsBooleanIsTrueWhenNonZero)
{
    int value = 0;
    config.CreateCommand("g_count", CCT_INT, false, false, &value, "7");
    EXPECT_EQ(value, 7);
    config.ExecuteCommand("g_count -1");
    EXPECT_EQ(value, -1);
    EXPECT_STREQ(config.GetValue("g_count"), "-1");
    EXPECT_TRUE(config.GetValueAsBoolean("g_count"));
    EXPECT_EQ(config.GetValueAsInt("g_count"), -1);
}

TEST_F(ConfigTest, NumbersOutOfRangeSaturate)
{
    int value = 0;
    config.CreateCommand("g_count", CCT_INT, false, false, &value, "0");
    config.ExecuteCommand("g_count 99999999999999999999");
    EXPECT_EQ(value, INT_MAX);
    config.ExecuteCommand("g_count -99999999999999999999");
    EXPECT_EQ(value, INT_MIN);

    config.ExecuteCommand("v_gamma 1e300");
    EXPECT_TRUE(std::isinf(Settings().v_gamma));
    config.ExecuteCommand("v_gamma 12abc");
    EXPECT_FLOAT_EQ(Settings().v_gamma, 12.0f);
}

TEST_F(ConfigTest, ValuesAsText)
{
    EXPECT_STREQ(config.GetValue("v_brightness"), "1.0000");
    EXPECT_STREQ(config.GetValue("c_mouse_sensitivity"), "1.2500");
    config.ExecuteCommand("s_sound_volume 0.5");
    EXPECT_STREQ(config.GetValue("s_sound_volume"), "0.5000");
    EXPECT_FLOAT_EQ(config.GetValueAsFloat("s_sound_volume"), 0.5f);
    EXPECT_STREQ(config.GetValue("v_mode"), "1024x768x32");
    EXPECT_STREQ(config.GetValue("exit"), "");
    EXPECT_STREQ(config.GetValue("no_such_name"), "");
    EXPECT_STREQ(config.GetDefaultValue("no_such_name"), "");
    EXPECT_STREQ(config.GetDefaultValue("c_mouse_sensitivity"), "1.25");
}

TEST_F(ConfigTest, StringStorageWithoutTerminatorIsReadWithinItsBuffer)
{
    std::memset(Settings().v_mode, 'a', sizeof(Settings().v_mode));
    EXPECT_EQ(std::string(config.GetValue("v_mode")), std::string(255, 'a'));
}

TEST_F(ConfigTest, LookupsOtherThanRegistrationAndExecutionAreExact)
{
    EXPECT_STREQ(config.GetValue("V_MODE"), "");
    config.SetCommandExecution("EXIT", false);
    EXPECT_TRUE(config.IsCommandExecuted("exit"));
    EXPECT_FALSE(config.IsCommandExecuted("EXIT"));
}

// --- Commands ---------------------------------------------------------------------

TEST_F(ConfigTest, CommandIgnoresTrailingWordsAndStaysRequestedUntilMarked)
{
    EXPECT_TRUE(config.IsCommandExecuted("exit"));
    SConfigCommandExecutionResult const result = config.ExecuteCommand("exit right now");
    EXPECT_EQ(result.code, CER_DONE);
    EXPECT_STREQ(result.name, "exit");
    EXPECT_FALSE(config.IsCommandExecuted("exit"));
    config.Refresh();
    EXPECT_FALSE(config.IsCommandExecuted("exit"));
    config.SetCommandExecution("exit", true);
    EXPECT_TRUE(config.IsCommandExecuted("exit"));
}

TEST_F(ConfigTest, UnregisteredCommandIsNeverExecuted)
{
    unsigned int const count = config.GetCommandsCount();
    config.SetCommandExecution("g_nothing", true);
    EXPECT_FALSE(config.IsCommandExecuted("g_nothing"));
    EXPECT_EQ(config.GetCommandsCount(), count);
}

TEST_F(ConfigTest, VariablesHaveNoExecutedMeaning)
{
    EXPECT_FALSE(config.IsCommandExecuted("v_mode"));
}

// --- Reset ------------------------------------------------------------------------

TEST_F(ConfigTest, ResetRestoresDefaultsCancelsRequestsAndSparesReadOnly)
{
    config.ExecuteCommand("v_mode 800x600x16");
    config.ExecuteCommand("r_texture_anisotropy 8");
    config.ExecuteCommand("t_engine_speed 3");
    config.ExecuteCommand("exit");
    config.ExecuteCommand("change_video_mode");
    Settings().s_stop_engine = true;

    config.Reset();

    EXPECT_STREQ(Settings().v_mode, "1024x768x32");
    EXPECT_EQ(Settings().r_texture_anisotropy, 1);
    EXPECT_FLOAT_EQ(Settings().t_engine_speed, 1.0f);
    EXPECT_TRUE(config.IsCommandExecuted("exit"));
    EXPECT_TRUE(config.IsCommandExecuted("change_video_mode"));
    EXPECT_TRUE(Settings().s_stop_engine);
}

TEST_F(ConfigTest, RefreshResetsOnlyWhenRequested)
{
    config.ExecuteCommand("v_gamma 2");
    config.Refresh();
    EXPECT_FLOAT_EQ(Settings().v_gamma, 2.0f);

    config.ExecuteCommand("reset_config");
    config.ExecuteCommand("exit");
    config.Refresh();
    EXPECT_FLOAT_EQ(Settings().v_gamma, 1.0f);
    EXPECT_TRUE(config.IsCommandExecuted("reset_config"));
    EXPECT_TRUE(config.IsCommandExecuted("exit"));
}

TEST_F(ConfigTest, SetDefaultValueAssignsTheStoredDefault)
{
    config.ExecuteCommand("v_mode desktop");
    config.SetDefaultValue("v_mode");
    EXPECT_STREQ(Settings().v_mode, "1024x768x32");
    config.ExecuteCommand("sc_take_screenshot");
    config.SetDefaultValue("sc_take_screenshot");
    EXPECT_TRUE(config.IsCommandExecuted("sc_take_screenshot"));
    config.SetDefaultValue("no_such_name");
}

// --- Registration -----------------------------------------------------------------

TEST_F(ConfigTest, BuiltInEntriesAndDefaults)
{
    static char const* const names[] = {
        "c_invert_mouse",
        "c_mouse_sensitivity",
        "c_smooth_mouse",
        "change_video_mode",
        "exit",
        "r_multisample",
        "r_show_faces_edges",
        "r_show_faces_normals",
        "r_show_mip_maps",
        "r_show_octree_nodes",
        "r_texture_anisotropy",
        "r_use_mip_mapping",
        "reset_config",
        "s_sound_volume",
        "s_stop_engine",
        "sc_start_movie_record",
        "sc_stop_movie_record",
        "sc_take_screenshot",
        "sc_take_screenshot_format",
        "sc_take_screenshot_jpg",
        "sc_take_screenshot_tga",
        "t_engine_speed",
        "v_brightness",
        "v_contrast",
        "v_fullscreen",
        "v_gamma",
        "v_mode",
        "v_vsync",
    };
    ASSERT_EQ(config.GetCommandsCount(), std::size(names));
    for (unsigned int i = 0; i < std::size(names); ++i)
        EXPECT_EQ(config.GetCommandName(i), names[i]);
    EXPECT_EQ(config.GetCommandName(std::size(names)), "");

    SMainSettings const& s = Settings();
    EXPECT_FALSE(s.s_stop_engine);
    EXPECT_TRUE(s.v_fullscreen);
    EXPECT_TRUE(s.v_vsync);
    EXPECT_TRUE(s.r_use_mip_mapping);
    EXPECT_FALSE(s.r_show_mip_maps);
    EXPECT_EQ(s.r_texture_anisotropy, 1);
    EXPECT_FLOAT_EQ(s.c_mouse_sensitivity, 1.25f);
    EXPECT_EQ(s.sc_take_screenshot_format, 0);
    EXPECT_FLOAT_EQ(s.s_sound_volume, 1.0f);
    for (char const* command : {"reset_config", "change_video_mode", "sc_take_screenshot", "exit"})
        EXPECT_TRUE(config.IsCommandExecuted(command)) << command;
}

TEST_F(ConfigTest, DefaultVideoModeAndFilePathComeFromCreate)
{
    EXPECT_STREQ(config.GetConfigFilePath(), "Tidewell.ini");

    config.Create(nullptr, nullptr, nullptr, "c:\\aquarium", "Coralume", "desktop");
    EXPECT_FALSE(config.IsFree());
    EXPECT_STREQ(config.GetConfigFilePath(), "c:\\aquarium\\Coralume.ini");
    EXPECT_STREQ(config.GetMainSettings()->v_mode, "desktop");
    EXPECT_STREQ(config.GetDefaultValue("v_mode"), "desktop");
}

TEST_F(ConfigTest, DestroyEmptiesTheTables)
{
    config.Destroy();
    EXPECT_TRUE(config.IsFree());
    EXPECT_EQ(config.GetCommandsCount(), 0u);
    EXPECT_STREQ(config.GetValue("v_mode"), "");
    config.Destroy();
    EXPECT_TRUE(config.IsFree());
}

TEST_F(ConfigTest, RegistrationFoldsTheNameAndAssignsTheDefault)
{
    float speed = 0.0f;
    config.CreateCommand("G_Fish_Speed", CCT_FLOAT, false, true, &speed, "2.5");
    EXPECT_FLOAT_EQ(speed, 2.5f);
    EXPECT_STREQ(config.GetValue("g_fish_speed"), "2.5000");
    EXPECT_EQ(config.ExecuteCommand("g_FISH_speed 4").code, CER_DONE);
    EXPECT_FLOAT_EQ(speed, 4.0f);
}

TEST_F(ConfigTest, RegisteringAgainKeepsTheFirstEntryButReassignsItsDefault)
{
    int first = 0;
    char second[256] = "untouched";
    config.CreateCommand("g_value", CCT_INT, false, false, &first, "5");
    config.ExecuteCommand("g_value 9");
    config.CreateCommand("g_value", CCT_STRING, true, true, second, "text");

    EXPECT_EQ(first, 5);
    EXPECT_STREQ(second, "untouched");
    EXPECT_STREQ(config.GetDefaultValue("g_value"), "5");
    EXPECT_EQ(config.ExecuteCommand("g_value 3").code, CER_DONE);
    EXPECT_EQ(first, 3);
}

TEST_F(ConfigTest, VariableWithoutStorageIsHarmless)
{
    config.CreateCommand("g_broken", CCT_INT, false, true, nullptr, "4");
    EXPECT_EQ(config.ExecuteCommand("g_broken 3").code, CER_DONE);
    EXPECT_STREQ(config.GetValue("g_broken"), "");
    config.Reset();
}

// --- Owners --------------------------------------------------------------------

TEST_F(ConfigTest, EntriesLeaveWithTheirOwnerOnly)
{
    int kept = 0;
    int owned = 0;
    int ownedAgain = 0;
    config.CreateCommand("g_kept", CCT_INT, false, false, &kept, "1");
    CConfig::Owner const owner = config.CreateOwner();
    {
        CConfig::CRegistrationScope const scope(&config, owner);
        config.CreateCommand("g_owned", CCT_INT, false, false, &owned, "2");
        config.CreateCommand("g_owned_command", CCT_COMMAND, false, false, nullptr, "");
        // Already registered by the program: stays the program's.
        config.CreateCommand("g_kept", CCT_INT, false, false, &ownedAgain, "3");
    }
    config.CreateCommand("g_after", CCT_INT, false, false, &kept, "1");
    unsigned int const count = config.GetCommandsCount();

    config.RemoveEntriesOf(owner);
    EXPECT_EQ(config.GetCommandsCount(), count - 2);
    EXPECT_STREQ(config.GetValue("g_owned"), "");
    EXPECT_EQ(config.ExecuteCommand("g_owned_command").code, CER_UNKNOWN);
    EXPECT_EQ(config.ExecuteCommand("g_kept 5").code, CER_DONE);
    EXPECT_EQ(config.ExecuteCommand("g_after 6").code, CER_DONE);
    EXPECT_EQ(kept, 6);
}

// --- Video mode text --------------------------------------------------------------

TEST(ConfigVideoMode, ParsesThreeNumbersOrFallsBack)
{
    struct Case
    {
        char const* text;
        unsigned long width, height, bits;
    };
    for (Case const& c :
         {Case{"800x600x16", 800, 600, 16}, Case{"800X600X16", 800, 600, 16},
          Case{"1024X768x32", 1024, 768, 32}, Case{"desktop", 640, 480, 16}, Case{"800x600", 640, 480, 16},
          Case{"", 640, 480, 16}, Case{"xx", 0, 0, 0}, Case{"1280x1024x32 trailing", 1280, 1024, 32}}) {
        unsigned long width = 1, height = 1, bits = 1;
        CConfig::ParseVideoModeString(c.text, &width, &height, &bits);
        EXPECT_EQ(width, c.width) << c.text;
        EXPECT_EQ(height, c.height) << c.text;
        EXPECT_EQ(bits, c.bits) << c.text;
    }
}

TEST(ConfigVideoMode, NullOutputsAreSkipped)
{
    unsigned long height = 0;
    CConfig::ParseVideoModeString("320x200x8", nullptr, &height, nullptr);
    EXPECT_EQ(height, 200u);
    CConfig::ParseVideoModeString("desktop", nullptr, nullptr, nullptr);
}
} // namespace
