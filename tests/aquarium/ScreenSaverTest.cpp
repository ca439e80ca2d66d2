// The screen saver run in a window of the test's own on a real display, on the build tree's
// installation: loading window, scene, exit rules and a clean log.
#include "AquariumApp.h"

#include "platform/os/Path.h"
#include "platform/window/EventPump.h"
#include "platform/window/NativeWindow.h"
#include "platform/window/x11/SdlWindowAccess.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace
{
// C++ heap allocations of the whole process, counted for the steady-frame test.
std::atomic<unsigned long> g_allocations{0};
} // namespace

void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

// Not inlined: the compiler would otherwise pair a `new` it sees with this `free`.
__attribute__((noinline)) void operator delete(void* block) noexcept
{
    std::free(block);
}

__attribute__((noinline)) void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

namespace
{
constexpr unsigned int Width = 320;
constexpr unsigned int Height = 240;

class ScreenSaverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!platform::InitializeVideo())
            GTEST_SKIP() << "no display";
        m_registryPath = "/tmp/coralume-aquarium-registry-" + std::to_string(getpid());
        std::ofstream(m_registryPath)
            << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0]\nInstallPath=" << CORALUME_STAGE_DIR
            << "\n";
        setenv("CORALUME_REGISTRY", m_registryPath.c_str(), 1);
        // Settings, logs and pictures of this run in a folder of its own.
        m_home =
            std::filesystem::temp_directory_path() / ("coralume-aquarium-home-" + std::to_string(getpid()));
        setenv("XDG_CONFIG_HOME", (m_home / "config").c_str(), 1);
        setenv("XDG_STATE_HOME", (m_home / "state").c_str(), 1);
        setenv("XDG_PICTURES_DIR", (m_home / "pictures").c_str(), 1);
        m_window = platform::CreateNativeWindow("Coralume Screensaver test",
                                                platform::NativeWindowStyle::Windowed, 0, 0, Width, Height);
        ASSERT_NE(m_window, nullptr);
    }

    void TearDown() override
    {
        m_app.Shutdown();
        if (m_window)
            platform::DestroyNativeWindow(m_window);
        unsetenv("CORALUME_REGISTRY");
        std::remove(m_registryPath.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(m_home, ignored);
    }

    std::vector<std::uint32_t> ShownFrame()
    {
        unsigned int width = 0;
        unsigned int height = 0;
        platform::GetWindowClientSize(m_window, &width, &height);
        std::vector<std::uint32_t> pixels(std::size_t(width) * height);
        IDirect3DDevice8* device = m_app.GetEngine()->GetDirect3DSubsystem()->GetDevice();
        EXPECT_EQ(device->GetFrontBuffer(pixels.data(), width * 4), D3D_OK);
        return pixels;
    }

    void PumpAndFrame()
    {
        while (platform::PumpOneEvent()) {
        }
        m_app.Frame();
    }

    void RunUntil(float elapsed)
    {
        for (int i = 0; i < 2000 && m_app.GetElapsedTime() < elapsed && !m_app.GetEngine()->IsExit(); ++i) {
            PumpAndFrame();
            SDL_Delay(2);
        }
    }

    void PushEscape(bool down)
    {
        SDL_Event event;
        SDL_zero(event);
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = SDL_GetWindowID(platform::GetSdlWindow(m_window));
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
        event.key.keysym.sym = SDLK_ESCAPE;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    std::string m_registryPath;
    std::filesystem::path m_home;
    HWND m_window = nullptr;
    CAquariumApp m_app;
};
} // namespace

TEST_F(ScreenSaverTest, LoadingWindowThenSceneThenEscapeAfterTheGuard)
{
    ASSERT_TRUE(m_app.StartUp(RUN_SCREENSAVER, m_window));
    // The test reads frames the engine's capture did not ask for.
    m_app.GetEngine()->GetDirect3DSubsystem()->GetDevice()->SetFrameKeeping(true);
    std::string const logPath = m_app.GetEngine()->GetMessageManager()->GetLogFilePath();

    // Start-up put the loading picture up and drew a frame; the first frame removes it and
    // the scene shows: many colours, not one picture colour or the clear colour alone.
    EXPECT_TRUE(m_app.GetScreenOverlay()->IsLoadingScreenShown());
    PumpAndFrame();
    EXPECT_FALSE(m_app.GetScreenOverlay()->IsLoadingScreenShown());
    PumpAndFrame();
    std::vector<std::uint32_t> scene = ShownFrame();
    ASSERT_FALSE(scene.empty());
    for (std::uint32_t& pixel : scene)
        pixel &= 0xFFFFFF;
    std::sort(scene.begin(), scene.end());
    auto const distinctColours = std::unique(scene.begin(), scene.end()) - scene.begin();
    EXPECT_GT(distinctColours, 100);

    // Escape within the first half second is ignored, later it ends the screen saver.
    PushEscape(true);
    RunUntil(0.3f);
    EXPECT_FALSE(m_app.GetEngine()->IsExit());
    PushEscape(false);
    RunUntil(0.6f);
    EXPECT_FALSE(m_app.GetEngine()->IsExit());
    PushEscape(true);
    PumpAndFrame();
    EXPECT_TRUE(m_app.GetEngine()->IsExit());
    PushEscape(false);
    m_app.Shutdown();

    std::ifstream file(platform::ResolvePath(logPath));
    std::stringstream log;
    log << file.rdbuf();
    std::string const text = log.str();
    EXPECT_NE(text.find("Load Time: "), std::string::npos);
    EXPECT_EQ(text.find("Error:"), std::string::npos) << text;
    EXPECT_EQ(text.find("PROGRAM ABORTING"), std::string::npos);
}

// Once the scene runs, a frame (engine, every plug-in, overlay, capture polling, present)
// allocates nothing on the C++ heap.
TEST_F(ScreenSaverTest, SteadyFramesAllocateNothing)
{
    ASSERT_TRUE(m_app.StartUp(RUN_SCREENSAVER, m_window));
    RunUntil(1.0f);
    unsigned long const before = g_allocations.load();
    for (int frame = 0; frame < 60; ++frame)
        m_app.Frame();
    EXPECT_EQ(g_allocations.load() - before, 0u);
    EXPECT_FALSE(m_app.GetEngine()->IsExit());
}

// The command line's settings for the run outlast the configuration reload of start-up.
TEST_F(ScreenSaverTest, RunOverridesHoldAfterStartUp)
{
    m_app.SetConfigOverrides({"g_max_fishes 2", "v_max_fps 0"});
    ASSERT_TRUE(m_app.StartUp(RUN_SCREENSAVER, m_window));
    CConfig* config = m_app.GetEngine()->GetConfig();
    EXPECT_EQ(config->GetValueAsInt("g_max_fishes"), 2);
    EXPECT_EQ(config->GetValueAsInt("v_max_fps"), 0);
}

// A wallpaper makes no sound unless asked to; the screen saver keeps the bubbles.
TEST_F(ScreenSaverTest, WallpaperIsQuietByDefaultAndTheScreenSaverIsNot)
{
    ASSERT_TRUE(m_app.StartUp(RUN_SCREENSAVER, m_window));
    EXPECT_TRUE(m_app.GetEngine()->GetConfig()->GetValueAsBoolean("g_play_bubles_sound"));
    m_app.Shutdown();
    ASSERT_TRUE(m_app.StartUp(RUN_WALLPAPER, m_window));
    EXPECT_FALSE(m_app.GetEngine()->GetConfig()->GetValueAsBoolean("g_play_bubles_sound"));
}
