// What can be seen on a screen of the test's own: the desktop under windows, a blanked or
// saved screen, and a window under other windows.
#include "support/PrivateScreen.h"

#include "platform/window/x11/DesktopVisibility.h"
#include "platform/window/x11/WindowVisibilityWatch.h"

#include <X11/Xatom.h>
#include <X11/extensions/dpms.h>

#include <chrono>
#include <thread>

namespace
{
using platform::DesktopCover;

class DesktopVisibilityTest : public CPrivateScreenFixture
{};

TEST_F(DesktopVisibilityTest, AWindowOverTheWholeScreenHidesTheDesktopUntilItGoes)
{
    platform::DesktopVisibility desktop;
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
    platform::DesktopVisibility desktop;
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
    platform::DesktopVisibility desktop;
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
    platform::DesktopVisibility desktop;
    XForceScreenSaver(display, ScreenSaverActive);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::ScreenSaver);
    XForceScreenSaver(display, ScreenSaverReset);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::Uncovered);
}

TEST_F(DesktopVisibilityTest, AScreenSaverDaemonsBlankStatusHidesTheDesktop)
{
    platform::DesktopVisibility desktop;
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
    platform::DesktopVisibility desktop;
    DPMSEnable(display);
    DPMSForceLevel(display, DPMSModeOff);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::PowerSaving);
    DPMSForceLevel(display, DPMSModeOn);
    XSync(display, False);
    EXPECT_EQ(desktop.FindCover(), DesktopCover::Uncovered);
}

class WindowVisibilityWatchTest : public CPrivateScreenFixture
{
protected:
    // Waits for the server's notices to arrive (they come on the watch's own connection).
    bool ShownAfterEvents(platform::WindowVisibilityWatch& watch)
    {
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return watch.IsShown();
    }
};

TEST_F(WindowVisibilityWatchTest, ACoveredOrUnmappedWindowIsNotShownUntilItShowsAgain)
{
    Window const window = MapWindow(100, 100, 200, 150);
    platform::WindowVisibilityWatch watch;
    ASSERT_TRUE(watch.Watch(window));
    EXPECT_TRUE(ShownAfterEvents(watch));

    Window const cover = MapWindow(50, 50, 400, 300);
    EXPECT_FALSE(ShownAfterEvents(watch));
    XUnmapWindow(display, cover);
    EXPECT_TRUE(ShownAfterEvents(watch));

    XUnmapWindow(display, window);
    EXPECT_FALSE(ShownAfterEvents(watch));
    XMapWindow(display, window);
    EXPECT_TRUE(ShownAfterEvents(watch));
}

TEST_F(WindowVisibilityWatchTest, AWindowThatDoesNotExistIsNotWatched)
{
    platform::WindowVisibilityWatch watch;
    EXPECT_FALSE(watch.Watch(0x7fffff));
    EXPECT_TRUE(watch.IsShown());
}
} // namespace
