// The wallpaper program on a screen of the test's own: it stops using the processor while a
// window covers the whole desktop and draws again once the desktop shows.
#include "support/PrivateScreen.h"
#include "support/ProcessCpu.h"

#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

class WallpaperPauseTest : public CPrivateScreenFixture
{
protected:
    static constexpr auto StartLimit = std::chrono::seconds(60);
    static constexpr auto SettleTime = std::chrono::seconds(1);
    static constexpr auto MeasureTime = std::chrono::seconds(3);
    // A wallpaper that draws uses a third of a core or more here; a paused one next to nothing.
    static constexpr double PausedCpuBound = 0.15;

    void SetUp() override
    {
        CPrivateScreenFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_registryPath = "/tmp/coralume-wallpaper-registry-" + std::to_string(getpid());
        std::ofstream(m_registryPath)
            << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0]\nInstallPath=" << CORALUME_STAGE_DIR
            << "\n";
        m_wallpaper = fork();
        ASSERT_GE(m_wallpaper, 0);
        if (m_wallpaper == 0) {
            setenv("CORALUME_REGISTRY", m_registryPath.c_str(), 1);
            setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
            setenv("ALSOFT_DRIVERS", "null", 1);
            std::string const program = std::string(CORALUME_STAGE_DIR) + "/coralume";
            execl(program.c_str(), program.c_str(), "-root", static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    void TearDown() override
    {
        if (m_wallpaper > 0) {
            kill(m_wallpaper, SIGKILL);
            waitpid(m_wallpaper, nullptr, 0);
        }
        if (!m_registryPath.empty())
            std::remove(m_registryPath.c_str());
        CPrivateScreenFixture::TearDown();
    }

    std::vector<char> ReadScreen()
    {
        std::vector<char> pixels;
        if (XImage* image = XGetImage(display, root, 0, 0, Width, Height, AllPlanes, ZPixmap)) {
            pixels.assign(image->data, image->data + image->bytes_per_line * image->height);
            XDestroyImage(image);
        }
        return pixels;
    }

    // True once the picture on the root window changes within `limit`.
    bool ScreenChangesWithin(Clock::duration limit)
    {
        std::vector<char> const first = ReadScreen();
        Clock::time_point const end = Clock::now() + limit;
        while (Clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (ReadScreen() != first)
                return true;
            if (waitpid(m_wallpaper, nullptr, WNOHANG) == m_wallpaper) {
                m_wallpaper = -1;
                return false;
            }
        }
        return false;
    }

    pid_t m_wallpaper = -1;
    std::string m_registryPath;
};

TEST_F(WallpaperPauseTest, IdlesWhileAWindowCoversTheDesktopAndDrawsAgainAfter)
{
    // The loading picture, then the scene moving: the frame loop runs.
    ASSERT_TRUE(ScreenChangesWithin(StartLimit)) << "the wallpaper never drew";
    ASSERT_TRUE(ScreenChangesWithin(StartLimit)) << "the scene never moved";
    Window const cover = MapWindow(0, 0, Width, Height);
    std::this_thread::sleep_for(SettleTime);
    double const before = ProcessCpuSeconds(m_wallpaper);
    std::this_thread::sleep_for(MeasureTime);
    double const used = ProcessCpuSeconds(m_wallpaper) - before;
    std::printf("wallpaper covered: %.3f CPU seconds in %lld s\n", used,
                static_cast<long long>(MeasureTime.count()));
    EXPECT_LT(used, PausedCpuBound);
    XUnmapWindow(display, cover);
    XSync(display, False);
    EXPECT_TRUE(ScreenChangesWithin(std::chrono::seconds(10))) << "the wallpaper did not draw again";
}
} // namespace
