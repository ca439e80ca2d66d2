// The program on a Wayland compositor (headless sway): the live wallpaper on every output and
// on a chosen one, and the screen saver above everything, ended by a key or by termination.
#include "WaylandFixture.h"
#include "support/ProcessCpu.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

using namespace wayland;

namespace
{
constexpr double DrawSeconds = 30.0;
constexpr double EndSeconds = 20.0;
constexpr double InputGuardSeconds = 1.0;
constexpr int KeyPresses = 3;
// wtype's keyboard exists only while it runs: the key is held long enough for a client busy
// drawing to take the new keyboard and see the key down when the focus arrives.
constexpr char const* KeyHoldMilliseconds = "1500";
constexpr char const* LogEnd = "Log end:";
constexpr char const* FirstOutput = "HEADLESS-1";
// The program notices a window hidden or shown again within a second.
constexpr double RestSettleSeconds = 1.5;
} // namespace

// The harness itself, with sway's own background client: a picture is seen as a scene on
// its output, a flat colour on the other is not.
TEST_F(WaylandTest, HarnessTellsAPictureFromAFlatColour)
{
    fs::path const picture = m_folder / "picture.ppm";
    {
        constexpr int Width = 160;
        constexpr int Height = 90;
        std::ofstream file(picture, std::ios::binary);
        file << "P6\n" << Width << " " << Height << "\n255\n";
        std::mt19937 random(1);
        for (int pixel = 0; pixel < Width * Height * 3; ++pixel)
            file.put(static_cast<char>(random() & 0xFF));
    }
    std::optional<std::string> const second = m_sway->CreateOutput();
    ASSERT_TRUE(second);
    ChildProcess pictureClient;
    ChildProcess flatClient;
    ASSERT_TRUE(m_sway->StartClient(pictureClient, {"swaybg", "-o", FirstOutput, "-i", picture.string()},
                                    m_sway->ClientEnvironment()));
    ASSERT_TRUE(m_sway->StartClient(flatClient, {"swaybg", "-o", *second, "-c", "#ff0000"},
                                    m_sway->ClientEnvironment()));
    EXPECT_TRUE(ShowsScene(FirstOutput, DrawSeconds));
    // The flat client's first frame may come later than the picture's.
    std::optional<Screenshot> flat = m_sway->Capture(*second);
    auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(DrawSeconds);
    while (flat && flat->GetPixel(0, 0).red != 0xFF && ChildProcess::Clock::now() < end)
        flat = m_sway->Capture(*second);
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->GetPixel(flat->GetWidth() / 2, flat->GetHeight() / 2).red, 0xFF);
    EXPECT_FALSE(flat->IsSceneInEveryQuadrant(SwayBackground)) << flat->DescribeQuadrants(SwayBackground);
}

TEST_F(WaylandTest, WallpaperDrawsTheAquariumAcrossTheOutput)
{
    ChildProcess wallpaper;
    ASSERT_TRUE(StartAndLoad(wallpaper, {"/w"}));
    EXPECT_TRUE(ShowsScene(FirstOutput, DrawSeconds));
    EXPECT_TRUE(wallpaper.IsRunning());
}

TEST_F(WaylandTest, WallpaperDrawsOnAnOutputAddedLater)
{
    ChildProcess wallpaper;
    ASSERT_TRUE(StartAndLoad(wallpaper, {"/w"}));
    ASSERT_TRUE(m_sway->WaitForScene(FirstOutput, DrawSeconds));
    std::optional<std::string> const second = m_sway->CreateOutput();
    ASSERT_TRUE(second);
    EXPECT_TRUE(ShowsScene(*second, DrawSeconds));
    EXPECT_TRUE(ShowsScene(FirstOutput, DrawSeconds));
}

// An output that goes away leaves the wallpaper drawing on the others; when it comes back,
// the wallpaper covers it again.
TEST_F(WaylandTest, WallpaperOutlivesAnOutputThatGoesAndComesBack)
{
    std::optional<std::string> const second = m_sway->CreateOutput();
    ASSERT_TRUE(second);
    ChildProcess wallpaper;
    ASSERT_TRUE(StartAndLoad(wallpaper, {"/w"}));
    ASSERT_TRUE(m_sway->WaitForScene(*second, DrawSeconds));
    ASSERT_TRUE(m_sway->Command("output " + *second + " disable"));
    std::optional<Screenshot> const before = m_sway->WaitForScene(FirstOutput, DrawSeconds);
    ASSERT_TRUE(before);
    std::optional<Screenshot> const after = m_sway->WaitForChange(FirstOutput, *before, DrawSeconds);
    ASSERT_TRUE(after);
    EXPECT_TRUE(wallpaper.IsRunning()) << DescribeRun();
    EXPECT_FALSE(*before == *after) << "the wallpaper stopped drawing";
    ASSERT_TRUE(m_sway->Command("output " + *second + " enable"));
    EXPECT_TRUE(ShowsScene(*second, DrawSeconds));
}

TEST_F(WaylandTest, WallpaperFollowsTheOutputSize)
{
    constexpr int GrownWidth = 960;
    constexpr int GrownHeight = 540;
    ChildProcess wallpaper;
    ASSERT_TRUE(StartAndLoad(wallpaper, {"/w"}));
    ASSERT_TRUE(m_sway->WaitForScene(FirstOutput, DrawSeconds));
    ASSERT_TRUE(m_sway->Command(std::string("output ") + FirstOutput + " mode " + std::to_string(GrownWidth) +
                                "x" + std::to_string(GrownHeight)));
    std::optional<Screenshot> const shot = m_sway->WaitForScene(FirstOutput, DrawSeconds);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->GetWidth(), GrownWidth);
    EXPECT_TRUE(shot->IsSceneInEveryQuadrant(SwayBackground))
        << shot->DescribeQuadrants(SwayBackground) << "\n"
        << DescribeRun();
}

// Set to the bottom layer in the settings, the wallpaper shows above a background another
// client drew first on the background layer (which would cover it there).
TEST_F(WaylandTest, WallpaperSetToTheBottomLayerShowsAboveAnotherBackground)
{
    UseSettings("g_desktop_layer bottom");
    ChildProcess background;
    ASSERT_TRUE(m_sway->StartClient(background, {"swaybg", "-o", FirstOutput, "-c", "#ff0000"},
                                    m_sway->ClientEnvironment()));
    std::optional<Screenshot> flat = m_sway->Capture(FirstOutput);
    auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(DrawSeconds);
    while (flat && flat->GetPixel(0, 0).red != 0xFF && ChildProcess::Clock::now() < end)
        flat = m_sway->Capture(FirstOutput);
    ASSERT_TRUE(flat && flat->GetPixel(0, 0).red == 0xFF);
    ChildProcess wallpaper;
    ASSERT_TRUE(StartAndLoad(wallpaper, {"/w"}));
    EXPECT_TRUE(ShowsScene(FirstOutput, DrawSeconds));
}

// Outputs of different shapes and scales each show the whole tank at their own size: the rows
// along their bottoms show the same sand, those along their tops the same water (a copy of one
// output's picture cut to the other's shape would show a band out of its middle).
TEST_F(WaylandTest, OutputsOfDifferentShapesAndScalesEachShowTheWholeTank)
{
    constexpr int StripShare = 12; // the strips compared are an twelfth of the height
    constexpr int Tolerance = 24;  // mean colour difference per channel
    UseSettings("g_monitor_layout each");
    ASSERT_TRUE(m_sway->Command(std::string("output ") + FirstOutput + " mode 1024x768"));
    std::optional<std::string> const second = m_sway->CreateOutput();
    ASSERT_TRUE(second);
    ASSERT_TRUE(m_sway->Command("output " + *second + " mode 2560x800 scale 2"));
    ChildProcess wallpaper;
    ASSERT_TRUE(StartAndLoad(wallpaper, {"/w"}));
    std::optional<Screenshot> const first = m_sway->WaitForScene(FirstOutput, DrawSeconds);
    std::optional<Screenshot> const wide = m_sway->WaitForScene(*second, DrawSeconds);
    ASSERT_TRUE(first && wide) << DescribeRun();
    EXPECT_EQ(wide->GetWidth(), 2560); // drawn at the output's pixels, not its logical size
    auto const mean = [](Screenshot const& shot, bool bottom) {
        int const rows = shot.GetHeight() / StripShare;
        int const top = bottom ? shot.GetHeight() - rows : 0;
        long sums[3] = {};
        for (int y = top; y < top + rows; ++y) {
            for (int x = 0; x < shot.GetWidth(); ++x) {
                Colour const pixel = shot.GetPixel(x, y);
                sums[0] += pixel.red;
                sums[1] += pixel.green;
                sums[2] += pixel.blue;
            }
        }
        long const count = long(rows) * shot.GetWidth();
        return std::array<long, 3>{sums[0] / count, sums[1] / count, sums[2] / count};
    };
    for (bool bottom : {false, true}) {
        std::array<long, 3> const a = mean(*first, bottom);
        std::array<long, 3> const b = mean(*wide, bottom);
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(a[channel], b[channel], Tolerance)
                << (bottom ? "bottom" : "top") << " channel " << channel;
    }
}

TEST_F(WaylandTest, WallpaperDrawsOnlyOnTheChosenOutput)
{
    std::optional<std::string> const second = m_sway->CreateOutput();
    ASSERT_TRUE(second);
    ChildProcess wallpaper;
    ASSERT_TRUE(StartAndLoad(wallpaper, {"/w", "--output", *second}));
    EXPECT_TRUE(ShowsScene(*second, DrawSeconds));
    std::optional<Screenshot> const other = m_sway->Capture(FirstOutput);
    ASSERT_TRUE(other);
    EXPECT_EQ(
        other->Describe(0, 0, other->GetWidth(), other->GetHeight(), SwayBackground).shareUnlikeBackground,
        0.0);
}

// The saver goes above a background another client draws, on every output, and a key ends it.
TEST_F(WaylandTest, ScreenSaverCoversEveryOutputAndEndsOnAKey)
{
    constexpr Colour Red{0xFF, 0x00, 0x00};
    std::optional<std::string> const second = m_sway->CreateOutput();
    ASSERT_TRUE(second);
    ChildProcess background;
    ASSERT_TRUE(m_sway->StartClient(background, {"swaybg", "-c", "#ff0000"}, m_sway->ClientEnvironment()));
    ChildProcess saver;
    ASSERT_TRUE(StartAndLoad(saver, {"/s"}));
    for (std::string const& output : {std::string(FirstOutput), *second}) {
        EXPECT_TRUE(ShowsScene(output, DrawSeconds, Red));
    }
    // The saver ignores input for its first half second after loading (longer on a slow
    // machine): the key goes again while it runs.
    std::optional<int> status;
    for (int press = 0; press < KeyPresses && !status; ++press) {
        std::this_thread::sleep_for(std::chrono::duration<double>(InputGuardSeconds));
        ASSERT_EQ(m_sway->RunClient({"wtype", "-P", "Escape", "-s", KeyHoldMilliseconds, "-p", "Escape"}),
                  std::optional<int>(0));
        status = saver.Wait(EndSeconds / KeyPresses);
    }
    ASSERT_TRUE(status) << "the key did not end the saver\n" << DescribeRun();
    EXPECT_EQ(*status, 0) << DescribeRun();
    EXPECT_NE(ReadLogs().find(LogEnd), std::string::npos) << DescribeRun();
}

TEST_F(WaylandTest, ScreenSaverEndsOnTerminationWithACompleteLog)
{
    ChildProcess saver;
    ASSERT_TRUE(StartAndLoad(saver, {"/s"}));
    ASSERT_TRUE(m_sway->WaitForScene(FirstOutput, DrawSeconds));
    saver.Signal(SIGTERM);
    std::optional<int> const status = saver.Wait(EndSeconds);
    ASSERT_TRUE(status) << "termination did not end the saver\n" << DescribeRun();
    EXPECT_EQ(*status, 0) << DescribeRun();
    EXPECT_NE(ReadLogs().find(LogEnd), std::string::npos) << DescribeRun();
}

// The wallpaper rests while a full-screen window hides it (the compositor stops its frame
// events) and draws again once the window goes.
TEST_F(WaylandTest, WallpaperRestsUnderAFullScreenWindowAndDrawsAgainAfter)
{
    static constexpr double MeasuredSeconds = 3.0;
    // Resting costs at most a tenth of a core, or a quarter of what drawing costs on a machine
    // busy enough to slow the drawing too.
    constexpr double RestingShare = 0.1;
    constexpr double RestingPartOfDrawing = 0.25;
    ChildProcess wallpaper;
    ASSERT_TRUE(StartAndLoad(wallpaper, {"/w"}));
    ASSERT_TRUE(m_sway->WaitForScene(FirstOutput, DrawSeconds));
    auto cpuShare = [&wallpaper] {
        double const before = ProcessCpuSeconds(wallpaper.GetPid());
        std::this_thread::sleep_for(std::chrono::duration<double>(MeasuredSeconds));
        return (ProcessCpuSeconds(wallpaper.GetPid()) - before) / MeasuredSeconds;
    };

    ChildProcess window;
    ASSERT_TRUE(StartProgram(window, {"/s", "-window"}));
    bool fullScreen = false;
    auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(DrawSeconds);
    while (!fullScreen && ChildProcess::Clock::now() < end && window.IsRunning()) {
        fullScreen = m_sway->Command("[app_id=coralume] fullscreen enable");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ASSERT_TRUE(fullScreen) << DescribeRun();
    std::this_thread::sleep_for(std::chrono::duration<double>(RestSettleSeconds));
    double const covered = cpuShare();

    window.Signal(SIGTERM);
    ASSERT_TRUE(window.Wait(EndSeconds)) << DescribeRun();
    // Drawing again shows as a changing picture, however busy the machine (compared after the
    // compositor has shown the wallpaper's last frame again).
    std::this_thread::sleep_for(std::chrono::duration<double>(RestSettleSeconds));
    std::optional<Screenshot> const uncovered = m_sway->Capture(FirstOutput);
    ASSERT_TRUE(uncovered);
    std::optional<Screenshot> const later = m_sway->WaitForChange(FirstOutput, *uncovered, DrawSeconds);
    ASSERT_TRUE(later);
    EXPECT_FALSE(*later == *uncovered) << "the wallpaper did not draw again\n" << DescribeRun();
    double const shown = cpuShare();
    std::printf("Wallpaper under a full-screen window: %.1f %% of a core; shown again: %.1f %%\n",
                covered * 100.0, shown * 100.0);
    EXPECT_LT(covered, std::max(RestingShare, shown * RestingPartOfDrawing)) << DescribeRun();
    EXPECT_TRUE(wallpaper.IsRunning());
}

// A compositor without the layer shell (as GNOME's): the wallpaper says so and ends, the
// screen saver covers the output with a full-screen window instead.
TEST_F(WaylandTest, WithoutALayerShellTheWallpaperSaysSoAndTheSaverTakesAFullScreenWindow)
{
    m_programEnvironment.push_back("CORALUME_WAYLAND_NO_LAYER_SHELL=1");
    ChildProcess wallpaper;
    ASSERT_TRUE(StartProgram(wallpaper, {"/w"}));
    std::optional<int> const wallpaperStatus = wallpaper.Wait(EndSeconds);
    ASSERT_TRUE(wallpaperStatus) << DescribeRun();
    EXPECT_EQ(*wallpaperStatus, 1) << DescribeRun();
    EXPECT_NE(ReadFile(m_folder / "stderr.txt").find("offers no wallpaper layer"), std::string::npos)
        << DescribeRun();

    ChildProcess saver;
    ASSERT_TRUE(StartAndLoad(saver, {"/s"}));
    EXPECT_TRUE(ShowsScene(FirstOutput, DrawSeconds));
    saver.Signal(SIGTERM);
    std::optional<int> const saverStatus = saver.Wait(EndSeconds);
    ASSERT_TRUE(saverStatus) << DescribeRun();
    EXPECT_EQ(*saverStatus, 0) << DescribeRun();
}

// A Wayland session that also has an X display (Xwayland): a second screen saver is refused
// all the same, though no X window carries the first one's title.
TEST_F(WaylandTest, SecondScreenSaverIsRefusedWhereAnXDisplayIsReachableToo)
{
    if (char const* display = std::getenv("DISPLAY"))
        m_programEnvironment.push_back(std::string("DISPLAY=") + display);
    ChildProcess first;
    ASSERT_TRUE(StartAndLoad(first, {"/s"}));
    ChildProcess second;
    ASSERT_TRUE(StartProgram(second, {"/s"}));
    std::optional<int> const status = second.Wait(EndSeconds);
    ASSERT_TRUE(status) << "a second screen saver ran beside the first\n" << DescribeRun();
    EXPECT_EQ(*status, 0) << DescribeRun();
    EXPECT_TRUE(first.IsRunning());
}
