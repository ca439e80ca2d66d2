#include "CommandLine.h"

#include <gtest/gtest.h>

namespace
{
struct SCommandLineCase
{
    char const* text;
    ERunMode mode;
    unsigned long parent;
    bool desktop;
};

SLaunchOptions Parse(std::vector<std::string> const& arguments, char const* hostWindow = nullptr)
{
    return ParseLaunchOptions(arguments, hostWindow);
}
} // namespace

TEST(CommandLine, SwitchTable)
{
    SCommandLineCase const cases[] = {
        {"/p 1234", RUN_PREVIEW, 1234, false},
        {"/p:1234", RUN_PREVIEW, 1234, false},
        {"/P 66000", RUN_PREVIEW, 66000, false},
        {"/p", RUN_PREVIEW, 0, false},
        {"/p ", RUN_PREVIEW, 0, false},
        {"/s", RUN_SCREENSAVER, 0, false},
        {"/S", RUN_SCREENSAVER, 0, false},
        {"/s 99", RUN_SCREENSAVER, 0, false},
        {"/w", RUN_WALLPAPER, 0, true},
        {"/W", RUN_WALLPAPER, 0, true},
        {"/c", RUN_SETTINGS, 0, false},
        {"/c:4321", RUN_SETTINGS, 4321, false},
        {"/C 77", RUN_SETTINGS, 77, false},
        {"/r", RUN_SETTINGS, 0, false},
        {"", RUN_SETTINGS, 0, false},
        {"s", RUN_SETTINGS, 0, false},
        {"-s", RUN_SETTINGS, 0, false},
        {"/x", RUN_SETTINGS, 0, false},
        {"/", RUN_SETTINGS, 0, false},
        {"/screensaver", RUN_SCREENSAVER, 0, false},
    };
    for (SCommandLineCase const& c : cases) {
        SCommandLine const line = ParseCommandLine(c.text);
        EXPECT_EQ(line.runMode, c.mode) << '"' << c.text << '"';
        EXPECT_EQ(line.parentWindow, c.parent) << '"' << c.text << '"';
        EXPECT_EQ(line.desktopParent, c.desktop) << '"' << c.text << '"';
    }
    EXPECT_EQ(ParseCommandLine(nullptr).runMode, RUN_SETTINGS);
}

TEST(CommandLine, ArgumentsJoinIntoTheSwitchLine)
{
    SLaunchOptions const preview = Parse({"/p", "1234"});
    EXPECT_EQ(preview.command.runMode, RUN_PREVIEW);
    EXPECT_EQ(preview.command.parentWindow, 1234u);
    EXPECT_EQ(Parse({}).command.runMode, RUN_SETTINGS);
    EXPECT_EQ(Parse({"/s"}).command.runMode, RUN_SCREENSAVER);
    EXPECT_FALSE(Parse({"/s"}).windowed);
}

TEST(CommandLine, ScreenSaverHostConventions)
{
    SLaunchOptions const root = Parse({"-root"});
    EXPECT_EQ(root.command.runMode, RUN_WALLPAPER);
    EXPECT_TRUE(root.command.desktopParent);

    SLaunchOptions const inside = Parse({"-window-id", "0x1a00007"});
    EXPECT_EQ(inside.command.runMode, RUN_SCREENSAVER);
    EXPECT_EQ(inside.command.parentWindow, 0x1a00007u);
    EXPECT_TRUE(inside.hostWindow);

    SLaunchOptions const decimal = Parse({"-window-id", "4242"});
    EXPECT_EQ(decimal.command.parentWindow, 4242u);

    SLaunchOptions const environment = Parse({}, "0x2c00003");
    EXPECT_EQ(environment.command.runMode, RUN_SCREENSAVER);
    EXPECT_EQ(environment.command.parentWindow, 0x2c00003u);
    EXPECT_TRUE(environment.hostWindow);

    // An explicit switch wins over the host's variable; a bad variable is ignored.
    EXPECT_EQ(Parse({"/c"}, "0x2c00003").command.runMode, RUN_SETTINGS);
    EXPECT_EQ(Parse({}, "junk").command.runMode, RUN_SETTINGS);
}

TEST(CommandLine, RootDrawsIntoTheHostsWindowWhenItNamesOne)
{
    SLaunchOptions const hack = Parse({"--root"}, "0x2c00003");
    EXPECT_EQ(hack.command.runMode, RUN_SCREENSAVER);
    EXPECT_EQ(hack.command.parentWindow, 0x2c00003u);
    EXPECT_TRUE(hack.hostWindow);
    EXPECT_EQ(Parse({"--root"}).command.runMode, RUN_WALLPAPER);
}

TEST(CommandLine, HackOptionsOverrideTheConfigurationForTheRun)
{
    SLaunchOptions const options = Parse({"--root", "-fps", "--fish", "4", "--no-sound", "-delay", "20000",
                                          "-install", "-mono", "-visual", "best", "-display", ":7"},
                                         "0x2c00003");
    EXPECT_TRUE(options.error.empty()) << options.error;
    EXPECT_EQ(options.delayMicroseconds, 20000u);
    EXPECT_EQ(options.display, ":7");
    EXPECT_EQ(options.configOverrides,
              (std::vector<std::string>{"g_debug_mode 1", "g_max_fishes 4", "g_play_bubles_sound 0",
                                        "s_sound_volume 0"}));
    EXPECT_TRUE(Parse({"--version"}).version);
    EXPECT_FALSE(Parse({"-delay", "soon"}).error.empty());
    EXPECT_FALSE(Parse({"--fish", "0"}).error.empty());
    EXPECT_NE(std::string(GetUsageText()).find("--fish N"), std::string::npos);
}

TEST(CommandLine, TimeChoosesTheModeOrFixesTheHourForTheRun)
{
    EXPECT_EQ(Parse({"/s", "--time", "night"}).configOverrides,
              (std::vector<std::string>{"g_day_mode night"}));
    EXPECT_EQ(Parse({"/s", "--time", "19.5"}).configOverrides, (std::vector<std::string>{"g_day_hour 19.5"}));
    EXPECT_FALSE(Parse({"/s", "--time", "24"}).error.empty());
    EXPECT_FALSE(Parse({"/s", "--time", "dusk"}).error.empty());
    EXPECT_FALSE(Parse({"/s", "--time"}).error.empty());
}

TEST(CommandLine, NoDelayOrMaxFpsSetsTheFrameRateLimitForTheRun)
{
    EXPECT_EQ(Parse({"-window-id", "0x400", "-delay", "0"}).configOverrides,
              (std::vector<std::string>{"v_max_fps 0"}));
    EXPECT_EQ(Parse({"/s", "--max-fps", "30"}).configOverrides, (std::vector<std::string>{"v_max_fps 30"}));
    EXPECT_FALSE(Parse({"/s", "--max-fps", "fast"}).error.empty());
}

TEST(CommandLine, DevelopmentOptions)
{
    SLaunchOptions const windowed = Parse({"-window"});
    EXPECT_EQ(windowed.command.runMode, RUN_SCREENSAVER);
    EXPECT_TRUE(windowed.windowed);
    EXPECT_TRUE(Parse({"/s", "-window"}).windowed);
    EXPECT_FALSE(Parse({"/w", "-window"}).windowed);

    SLaunchOptions const demo = Parse({"--demo-seconds", "5", "--screenshot-dir", "/tmp/shots"});
    EXPECT_EQ(demo.command.runMode, RUN_SCREENSAVER);
    EXPECT_TRUE(demo.windowed);
    EXPECT_DOUBLE_EQ(demo.demoSeconds, 5.0);
    EXPECT_EQ(demo.screenshotDirectory, "/tmp/shots");

    SLaunchOptions const recorded = Parse({"--record-dir", "/tmp/movie"});
    EXPECT_EQ(recorded.command.runMode, RUN_SCREENSAVER);
    EXPECT_TRUE(recorded.windowed);
    EXPECT_EQ(recorded.recordDirectory, "/tmp/movie");

    SLaunchOptions const demoWallpaper = Parse({"/w", "--demo-seconds", "2"});
    EXPECT_EQ(demoWallpaper.command.runMode, RUN_WALLPAPER);
    EXPECT_FALSE(demoWallpaper.windowed);

    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"/s", "-h"}).help);
}

TEST(CommandLine, BadArgumentsAreReported)
{
    EXPECT_FALSE(Parse({"--bogus"}).error.empty());
    EXPECT_FALSE(Parse({"-window-id"}).error.empty());
    EXPECT_FALSE(Parse({"-window-id", "zero"}).error.empty());
    EXPECT_FALSE(Parse({"--demo-seconds"}).error.empty());
    EXPECT_FALSE(Parse({"--demo-seconds", "-1"}).error.empty());
    EXPECT_FALSE(Parse({"--screenshot-dir"}).error.empty());
    EXPECT_FALSE(Parse({"--record-dir"}).error.empty());
    EXPECT_TRUE(Parse({"/s"}).error.empty());
}

TEST(CommandLine, WindowSystemFollowsTheSessionUnlessForced)
{
    using platform::WindowSystem;
    auto const choose = [](std::vector<std::string> const& arguments, char const* waylandDisplay) {
        return platform::ChooseWindowSystem(Parse(arguments).windowSystem, waylandDisplay);
    };
    EXPECT_EQ(choose({"/s"}, nullptr), WindowSystem::X11);
    EXPECT_EQ(choose({"/s"}, ""), WindowSystem::X11);
    EXPECT_EQ(choose({"/s"}, "wayland-1"), WindowSystem::Wayland);
    EXPECT_EQ(choose({"/w", "--x11"}, "wayland-1"), WindowSystem::X11);
    EXPECT_EQ(choose({"--wayland", "/w"}, nullptr), WindowSystem::Wayland);
    EXPECT_EQ(Parse({"--x11", "/p", "42"}).command.runMode, RUN_PREVIEW);
}

TEST(CommandLine, OutputsAreCollectedInOrderAndNeedAName)
{
    SLaunchOptions const options = Parse({"/w", "--output", "DP-1", "--output", "HDMI-A-1"});
    EXPECT_TRUE(options.error.empty());
    EXPECT_EQ(options.command.runMode, RUN_WALLPAPER);
    EXPECT_EQ(options.outputs, (std::vector<std::string>{"DP-1", "HDMI-A-1"}));
    EXPECT_TRUE(Parse({"/w"}).outputs.empty());
    EXPECT_FALSE(Parse({"/w", "--output"}).error.empty());
    EXPECT_FALSE(Parse({"/w", "--output", ""}).error.empty());
}

TEST(CommandLine, LayerIsBackgroundOrBottom)
{
    EXPECT_EQ(Parse({"/w"}).layer, platform::DesktopLayer::Background);
    SLaunchOptions const bottom = Parse({"--layer", "bottom", "/w"});
    EXPECT_TRUE(bottom.error.empty());
    EXPECT_EQ(bottom.layer, platform::DesktopLayer::Bottom);
    EXPECT_EQ(bottom.command.runMode, RUN_WALLPAPER);
    // The option stands over the setting for this run.
    EXPECT_EQ(bottom.configOverrides, std::vector<std::string>{"g_desktop_layer bottom"});
    EXPECT_EQ(Parse({"/w", "--layer", "background"}).layer, platform::DesktopLayer::Background);
    EXPECT_FALSE(Parse({"/w", "--layer", "top"}).error.empty());
    EXPECT_FALSE(Parse({"/w", "--layer"}).error.empty());
}
