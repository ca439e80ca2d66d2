// What can be seen on a screen of the test's own: the desktop under windows, a blanked or
// saved screen, and a window under other windows.
#include "support/PrivateScreen.h"

#include "platform/window/x11/DesktopVisibility.h"
#include "platform/window/x11/X11Watch.h"

#include <X11/Xatom.h>
#include <X11/extensions/dpms.h>

#include <chrono>
#include <thread>

namespace
{
using DesktopCover = platform::WindowCover;

class DesktopVisibilityTest : public CPrivateScreenFixture
{};

TEST_F(DesktopVisibilityTest, AWindowOverTheWholeScreenHidesTheDesktopUntilItGoes)
{
    platform::DesktopVisibility desktop(display);
    ASSERT_TRUE(desktop.IsConnected());
    Window const small = MapWindow(0, 0, Width / 2, Height);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::Uncovered);
    Window const whole = MapWindow(0, 0, Width, Height);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::Windows);
    XUnmapWindow(display, whole);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::Uncovered);
    XDestroyWindow(display, small);
}

TEST_F(DesktopVisibilityTest, AnotherProgramsDesktopWindowHidesTheDesktopButTheWallpapersOwnDoesNot)
{
    platform::DesktopVisibility desktop(display);
    Window const icons = MapWindow(0, 0, Width, Height);
    Atom const desktopType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(display, icons, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char const*>(&desktopType), 1);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::IconDesktop);
    desktop.SetOwnWindow(icons);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::Uncovered);
}

TEST_F(DesktopVisibilityTest, AWindowInFullScreenStateCoversTheMonitorItsCentreIsOn)
{
    platform::DesktopVisibility desktop(display);
    Window const window = MapWindow(10, 10, Width / 2, Height / 2);
    Atom const state = XInternAtom(display, "_NET_WM_STATE", False);
    Atom const fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char const*>(&fullScreen), 1);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::Windows);
}

TEST_F(DesktopVisibilityTest, AnActiveScreenSaverHidesTheDesktop)
{
    platform::DesktopVisibility desktop(display);
    XForceScreenSaver(display, ScreenSaverActive);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::ScreenSaver);
    XForceScreenSaver(display, ScreenSaverReset);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::Uncovered);
}

TEST_F(DesktopVisibilityTest, AScreenSaverDaemonsBlankStatusHidesTheDesktop)
{
    platform::DesktopVisibility desktop(display);
    Atom const status = XInternAtom(display, "_SCREENSAVER_STATUS", False);
    long values[3] = {static_cast<long>(XInternAtom(display, "BLANK", False)), 0, 0};
    XChangeProperty(display, root, status, XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<unsigned char const*>(values), 3);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::ScreenSaver);
    values[0] = 0;
    XChangeProperty(display, root, status, XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<unsigned char const*>(values), 3);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::Uncovered);
}

TEST_F(DesktopVisibilityTest, ABlankedDisplayHidesTheDesktop)
{
    int event = 0;
    int error = 0;
    if (!DPMSQueryExtension(display, &event, &error) || !DPMSCapable(display))
        GTEST_SKIP() << "the test server has no power saving";
    platform::DesktopVisibility desktop(display);
    DPMSEnable(display);
    DPMSForceLevel(display, DPMSModeOff);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::PowerSaving);
    DPMSForceLevel(display, DPMSModeOn);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::Uncovered);
}

// What the watch reported last.
class CRecordedReports : public platform::X11WatchReports
{
public:
    void Resized(HWND, unsigned int newWidth, unsigned int newHeight) override
    {
        width = newWidth;
        height = newHeight;
    }
    void Destroyed(HWND) override { destroyed = true; }
    void Covered(HWND, platform::WindowCover newCover) override { cover = newCover; }
    void MonitorsChanged(HWND) override {}

    unsigned int width = 0;
    unsigned int height = 0;
    bool destroyed = false;
    platform::WindowCover cover = platform::WindowCover::Uncovered;
};

class X11WatchTest : public CPrivateScreenFixture
{
protected:
    // The watch's connection goes before the server does.
    void TearDown() override
    {
        watch.Forget(handle);
        CPrivateScreenFixture::TearDown();
    }

    // Waits for the server's notices to arrive (they come on the watch's own connection).
    platform::WindowCover CoverAfterEvents()
    {
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        watch.Poll();
        return reports.cover;
    }

    // The watch only passes the handle back; any distinct address stands for a window.
    HWND const handle = reinterpret_cast<HWND>(&reports);
    CRecordedReports reports;
    platform::X11Watch watch{reports};
};

TEST_F(X11WatchTest, ACoveredOrUnmappedWindowIsNotShownUntilItShowsAgain)
{
    Window const window = MapWindow(100, 100, 200, 150);
    ASSERT_TRUE(watch.Watch(handle, window, false));
    EXPECT_EQ(CoverAfterEvents(), DesktopCover::Uncovered);

    Window const cover = MapWindow(50, 50, 400, 300);
    EXPECT_EQ(CoverAfterEvents(), DesktopCover::Obscured);
    XUnmapWindow(display, cover);
    EXPECT_EQ(CoverAfterEvents(), DesktopCover::Uncovered);

    XUnmapWindow(display, window);
    EXPECT_EQ(CoverAfterEvents(), DesktopCover::Hidden);
    XMapWindow(display, window);
    EXPECT_EQ(CoverAfterEvents(), DesktopCover::Uncovered);
}

TEST_F(X11WatchTest, AWindowThatDoesNotExistIsNotWatched)
{
    EXPECT_FALSE(watch.Watch(handle, 0x7fffff, false));
    EXPECT_EQ(CoverAfterEvents(), DesktopCover::Uncovered);
    EXPECT_EQ(watch.GetDisplay(), nullptr);
}

TEST_F(X11WatchTest, AnotherProgramResizingOrDestroyingTheWindowIsReported)
{
    Window const host = MapWindow(0, 0, 200, 150);
    ASSERT_TRUE(watch.Watch(handle, host, false));
    EXPECT_EQ(reports.width, 200u);
    XResizeWindow(display, host, 320, 240);
    CoverAfterEvents();
    EXPECT_EQ(reports.width, 320u);
    EXPECT_EQ(reports.height, 240u);
    XDestroyWindow(display, host);
    EXPECT_EQ(CoverAfterEvents(), DesktopCover::Hidden);
    EXPECT_TRUE(reports.destroyed);
}

TEST_F(X11WatchTest, AnIconDesktopOverTheWallpapersWindowIsReportedAsSuch)
{
    Atom const desktopType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    auto const mapDesktopWindow = [&] {
        Window const window = MapWindow(0, 0, Width, Height);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<unsigned char const*>(&desktopType), 1);
        return window;
    };
    ASSERT_TRUE(watch.Watch(handle, mapDesktopWindow(), true));
    EXPECT_EQ(CoverAfterEvents(), DesktopCover::Uncovered);
    mapDesktopWindow();
    std::this_thread::sleep_for(platform::X11Watch::DesktopCheckInterval);
    EXPECT_EQ(CoverAfterEvents(), DesktopCover::IconDesktop);
}
} // namespace
