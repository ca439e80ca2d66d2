// The live wallpaper on desktops as people run them: under a window manager and a compositor,
// on several monitors (the screen saver too), beside another program's desktop icons, and for
// programs that read the root window's background picture.
#include "DesktopFixture.h"
#include "platform/window/NativeWindow.h"
#include "platform/window/WindowBackend.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>

using namespace desktop;

namespace
{
constexpr double StartSeconds = 90.0; // start-up under a loaded software renderer
constexpr char const* Loaded = "Load Time";
constexpr char const* WallpaperTitle = "Coralume Wallpaper";
// A drawn aquarium shows far more colours than a flat background.
constexpr std::size_t SceneColours = 40;

// The first 32-bit value of a window's property; 0 without it.
unsigned long ReadLong(Display* display, Window window, char const* property, std::size_t index = 0)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 64, False,
                           AnyPropertyType, &type, &format, &count, &remaining, &data) == Success &&
        data && format == 32 && index < count)
        value = reinterpret_cast<unsigned long*>(data)[index];
    if (data)
        XFree(data);
    return value;
}

bool HasAtom(Display* display, Window window, char const* property, char const* atom)
{
    Atom const wanted = XInternAtom(display, atom, False);
    for (std::size_t i = 0; i < 16; ++i) {
        if (ReadLong(display, window, property, i) == wanted)
            return true;
    }
    return false;
}

void SetPixmapProperty(Display* display, char const* property, Pixmap pixmap)
{
    XChangeProperty(display, DefaultRootWindow(display), XInternAtom(display, property, False), XA_PIXMAP, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&pixmap), 1);
}

// Adds a monitor of its own to the screen's list (the first takes the screen's only output).
void AddMonitor(Display* display, char const* name, int x, int y, int width, int height, bool takeOutput)
{
    Window const root = DefaultRootWindow(display);
    XRRMonitorInfo* monitor = XRRAllocateMonitor(display, takeOutput ? 1 : 0);
    monitor->name = XInternAtom(display, name, False);
    monitor->x = x;
    monitor->y = y;
    monitor->width = width;
    monitor->height = height;
    monitor->mwidth = width / 4;
    monitor->mheight = height / 4;
    if (takeOutput) {
        XRRScreenResources* resources = XRRGetScreenResources(display, root);
        monitor->outputs[0] = resources->outputs[0];
        XRRFreeScreenResources(resources);
    }
    XRRSetMonitor(display, root, monitor);
    XFree(monitor);
    XSync(display, False);
}

// Two monitors of different sizes side by side on a 1600 x 900 screen.
void AddTwoMonitors(Display* display)
{
    AddMonitor(display, "left", 0, 0, 1000, 900, true);
    AddMonitor(display, "right", 1000, 100, 600, 400, false);
}
} // namespace

class CompositedWallpaperTest : public DesktopTest, public ::testing::WithParamInterface<char const*>
{};

TEST_P(CompositedWallpaperTest, TheScreenShowsTheAquarium)
{
    XServer server;
    ASSERT_TRUE(server.Start(800, 600));
    if (!server.StartWindowManager() || !server.StartCompositor(GetParam()))
        GTEST_SKIP() << "openbox or picom is not installed (scripts/setup installs them)";
    Process wallpaper;
    ASSERT_TRUE(wallpaper.Start(Program({"/w"}), Environment(server)));
    ASSERT_TRUE(WaitForLog(Loaded, StartSeconds));
    Sleep(3.0);
    ASSERT_TRUE(wallpaper.IsRunning());
    EXPECT_GT(server.CountColours(DefaultRootWindow(server.GetDisplay()), 800, 600), SceneColours);
}

INSTANTIATE_TEST_SUITE_P(Compositor, CompositedWallpaperTest, ::testing::Values("xrender", "glx"));

// At log-in the wallpaper may start before the window manager: once one runs, whose
// compositor hides the bare root window, the wallpaper moves into a desktop window.
TEST_F(DesktopTest, AWindowManagerStartedAfterTheWallpaperStillShowsIt)
{
    if (access("/usr/bin/xfwm4", X_OK) != 0)
        GTEST_SKIP() << "xfwm4 is not installed (scripts/setup installs it)";
    XServer server;
    ASSERT_TRUE(server.Start(800, 600));
    Process wallpaper;
    ASSERT_TRUE(wallpaper.Start(Program({"/w"}), Environment(server)));
    ASSERT_TRUE(WaitForLog(Loaded, StartSeconds));
    ASSERT_TRUE(server.StartWindowManager({"/usr/bin/xfwm4", "--compositor=on"}));
    ASSERT_TRUE(WaitForLog("A window manager started", 10.0));
    Display* display = server.GetDisplay();
    Window desktop = NoWindow;
    for (int i = 0; i < 600 && desktop == NoWindow; ++i) {
        Sleep(0.1);
        desktop = FindWindowByTitle(display, DefaultRootWindow(display), WallpaperTitle);
    }
    ASSERT_NE(desktop, NoWindow);
    Sleep(3.0);
    ASSERT_TRUE(wallpaper.IsRunning());
    EXPECT_GT(server.CountColours(DefaultRootWindow(display), 800, 600), SceneColours);
}

TEST_F(DesktopTest, TheWallpaperIsADesktopWindowOverEveryMonitor)
{
    XServer server;
    ASSERT_TRUE(server.Start(1600, 900));
    AddTwoMonitors(server.GetDisplay());
    if (!server.StartWindowManager())
        GTEST_SKIP() << "openbox is not installed (scripts/setup installs it)";
    Process wallpaper;
    ASSERT_TRUE(wallpaper.Start(Program({"/w"}), Environment(server)));
    ASSERT_TRUE(WaitForLog(Loaded, StartSeconds));
    Display* display = server.GetDisplay();
    Window const window = FindWindowByTitle(display, DefaultRootWindow(display), WallpaperTitle);
    ASSERT_NE(window, NoWindow);
    EXPECT_TRUE(HasAtom(display, window, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DESKTOP"));
    EXPECT_TRUE(HasAtom(display, window, "_NET_WM_STATE", "_NET_WM_STATE_BELOW"));
    XWMHints* hints = XGetWMHints(display, window);
    ASSERT_NE(hints, nullptr);
    EXPECT_TRUE((hints->flags & InputHint) != 0 && hints->input == False);
    XFree(hints);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, window, &attributes));
    EXPECT_EQ(attributes.width, 1600);
    EXPECT_EQ(attributes.height, 900);
    // Drawn on both monitors: the root shows the window on either side of their border.
    Sleep(2.0);
    EXPECT_GT(server.DrawnShare(DefaultRootWindow(display), 0, 0, 1000, 900), 0.95);
    EXPECT_GT(server.DrawnShare(DefaultRootWindow(display), 1000, 100, 600, 400), 0.95);
}

TEST_F(DesktopTest, TheWallpaperFollowsAMonitorPluggedInWhileItRuns)
{
    XServer server;
    ASSERT_TRUE(server.Start(1600, 900));
    Display* display = server.GetDisplay();
    AddMonitor(display, "left", 0, 0, 1000, 900, true);
    if (!server.StartWindowManager())
        GTEST_SKIP() << "openbox is not installed (scripts/setup installs it)";
    Process wallpaper;
    ASSERT_TRUE(wallpaper.Start(Program({"/w"}), Environment(server)));
    ASSERT_TRUE(WaitForLog(Loaded, StartSeconds));
    Window const window = FindWindowByTitle(display, DefaultRootWindow(display), WallpaperTitle);
    ASSERT_NE(window, NoWindow);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, window, &attributes));
    ASSERT_EQ(attributes.width, 1000);
    AddMonitor(display, "right", 1000, 100, 600, 400, false);
    for (int i = 0; i < 100 && attributes.width != 1600; ++i) {
        Sleep(0.1);
        XGetWindowAttributes(display, window, &attributes);
    }
    EXPECT_EQ(attributes.width, 1600);
    EXPECT_EQ(attributes.height, 900);
    Sleep(2.0);
    EXPECT_GT(server.DrawnShare(DefaultRootWindow(display), 0, 0, 1000, 900), 0.95);
    EXPECT_GT(server.DrawnShare(DefaultRootWindow(display), 1000, 100, 600, 400), 0.95);
}

TEST_F(DesktopTest, ThreeWideMonitorsSpannedShowTheTankOutToTheirOuterEdges)
{
    // Three 32:9 monitors in a row: the widest desktop the tank is made for.
    constexpr int MonitorWidth = 1728, MonitorHeight = 486, EdgeWidth = 8;
    XServer server;
    ASSERT_TRUE(server.Start(3 * MonitorWidth, MonitorHeight));
    Display* display = server.GetDisplay();
    AddMonitor(display, "left", 0, 0, MonitorWidth, MonitorHeight, true);
    AddMonitor(display, "middle", MonitorWidth, 0, MonitorWidth, MonitorHeight, false);
    AddMonitor(display, "right", 2 * MonitorWidth, 0, MonitorWidth, MonitorHeight, false);
    Process wallpaper;
    ASSERT_TRUE(wallpaper.Start(Program({"/w"}), Environment(server)));
    ASSERT_TRUE(WaitForLog(Loaded, StartSeconds));
    Sleep(2.0);
    Window const root = DefaultRootWindow(display);
    // Sand or back wall behind every pixel of the outer edges: neither black nor the bare
    // water colour the frame is cleared to.
    for (int left : {0, 3 * MonitorWidth - EdgeWidth}) {
        XImage* image = XGetImage(display, root, left, 0, EdgeWidth, MonitorHeight, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        int empty = 0;
        for (int y = 0; y < MonitorHeight; ++y) {
            for (int x = 0; x < EdgeWidth; ++x) {
                unsigned long const pixel = XGetPixel(image, x, y);
                int const red = int((pixel >> 16) & 0xFF), green = int((pixel >> 8) & 0xFF),
                          blue = int(pixel & 0xFF);
                bool const water =
                    std::abs(red - 94) <= 2 && std::abs(green - 174) <= 2 && std::abs(blue - 243) <= 2;
                empty += (pixel & 0xFFFFFF) == 0 || water;
            }
        }
        XDestroyImage(image);
        EXPECT_LT(empty, EdgeWidth * MonitorHeight / 50) << "edge at " << left;
    }
}

TEST_F(DesktopTest, TheSaverCoversEveryMonitorUnderAWindowManager)
{
    XServer server;
    ASSERT_TRUE(server.Start(1600, 900));
    AddTwoMonitors(server.GetDisplay());
    if (!server.StartWindowManager())
        GTEST_SKIP() << "openbox is not installed (scripts/setup installs it)";
    Process saver;
    ASSERT_TRUE(saver.Start(Program({"/s"}), Environment(server)));
    ASSERT_TRUE(WaitForLog(Loaded, StartSeconds));
    Sleep(2.0);
    ASSERT_TRUE(saver.IsRunning());
    Display* display = server.GetDisplay();
    EXPECT_GT(server.DrawnShare(DefaultRootWindow(display), 0, 0, 1000, 900), 0.95);
    EXPECT_GT(server.DrawnShare(DefaultRootWindow(display), 1000, 100, 600, 400), 0.95);
}

// On a server with two real outputs, a window manager that stretches a full-screen window over
// the monitors it is asked for covers both with the saver.
TEST_F(DesktopTest, TheWindowManagerStretchesTheSaverOverTwoOutputs)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "Xorg takes a configuration file from any folder only for root";
    XServer server;
    if (!server.StartWithOutputs(m_folder) || access("/usr/bin/xfwm4", X_OK) != 0)
        GTEST_SKIP() << "Xorg's dummy driver or xfwm4 is not installed (scripts/setup installs them)";
    ASSERT_TRUE(server.RunClient({"/usr/bin/xrandr", "--addmode", "DUMMY1", "800x600"}));
    ASSERT_TRUE(server.RunClient(
        {"/usr/bin/xrandr", "--output", "DUMMY1", "--mode", "800x600", "--right-of", "DUMMY0"}));
    ASSERT_TRUE(server.StartWindowManager({"/usr/bin/xfwm4", "--compositor=on"}));
    Display* display = server.GetDisplay();
    Process saver;
    ASSERT_TRUE(saver.Start(Program({"/s"}), Environment(server)));
    ASSERT_TRUE(WaitForLog(Loaded, StartSeconds));
    Sleep(3.0);
    ASSERT_TRUE(saver.IsRunning());
    Window const window = FindWindowByTitle(display, DefaultRootWindow(display), "Coralume Screensaver 1.00");
    ASSERT_NE(window, NoWindow);
    EXPECT_EQ(ReadLong(display, window, "_NET_WM_FULLSCREEN_MONITORS", 3), 1u);
    EXPECT_GT(server.DrawnShare(DefaultRootWindow(display), 0, 0, 1024, 768), 0.95);
    EXPECT_GT(server.DrawnShare(DefaultRootWindow(display), 1024, 0, 800, 600), 0.95);
}

TEST_F(DesktopTest, TheRootPictureShowsTheWallpaperAndIsPutBackAtTheEnd)
{
    XServer server;
    ASSERT_TRUE(server.Start(640, 480));
    if (!server.StartWindowManager())
        GTEST_SKIP() << "openbox is not installed (scripts/setup installs it)";
    Display* display = server.GetDisplay();
    Window const root = DefaultRootWindow(display);
    Pixmap const previous = XCreatePixmap(display, root, 8, 8, unsigned(DefaultDepth(display, 0)));
    SetPixmapProperty(display, "_XROOTPMAP_ID", previous);
    SetPixmapProperty(display, "ESETROOT_PMAP_ID", previous);
    XSync(display, False);
    Process wallpaper;
    ASSERT_TRUE(wallpaper.Start(Program({"/w"}), Environment(server)));
    ASSERT_TRUE(WaitForLog(Loaded, StartSeconds));
    unsigned long shown = previous;
    for (int i = 0; i < 100 && shown == previous; ++i) {
        Sleep(0.1);
        shown = ReadLong(display, root, "_XROOTPMAP_ID");
    }
    ASSERT_NE(shown, previous);
    EXPECT_EQ(ReadLong(display, root, "ESETROOT_PMAP_ID"), shown);
    Sleep(4.0); // the picture follows the frames every few seconds
    EXPECT_GT(server.CountColours(ReadLong(display, root, "_XROOTPMAP_ID"), 640, 480), SceneColours);
    wallpaper.Signal(SIGTERM);
    ASSERT_EQ(wallpaper.Wait(30.0), std::optional<int>(0));
    EXPECT_EQ(ReadLong(display, root, "_XROOTPMAP_ID"), previous);
    EXPECT_EQ(ReadLong(display, root, "ESETROOT_PMAP_ID"), previous);
}

TEST_F(DesktopTest, AnotherProgramsDesktopIconsAreReportedOnce)
{
    XServer server;
    ASSERT_TRUE(server.Start(640, 480));
    if (!server.StartWindowManager())
        GTEST_SKIP() << "openbox is not installed (scripts/setup installs it)";
    Process wallpaper;
    fs::path const errors = m_folder / "stderr.txt";
    ASSERT_TRUE(wallpaper.Start(Program({"/w"}), Environment(server), errors.string()));
    ASSERT_TRUE(WaitForLog(Loaded, StartSeconds));
    // A file manager's desktop: a desktop window over the whole screen.
    Display* display = server.GetDisplay();
    Window const icons = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 640, 480, 0, 0, 0);
    Atom const desktopType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(display, icons, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char const*>(&desktopType), 1);
    XMapWindow(display, icons);
    XSync(display, False);
    char const* const notice = "hidden by another program's desktop window";
    EXPECT_TRUE(WaitForLog(notice, 10.0));
    Sleep(1.0);
    std::string const said = ReadFile(errors);
    std::size_t const first = said.find(notice);
    ASSERT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find(notice, first + 1), std::string::npos) << said;
    EXPECT_TRUE(wallpaper.IsRunning());
}

TEST_F(DesktopTest, TheRootWindowTellsEachMonitor)
{
    XServer server;
    ASSERT_TRUE(server.Start(1600, 900));
    AddTwoMonitors(server.GetDisplay());
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    // SDL connects once per process: the window system is asked in a process of its own.
    pid_t const child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeEnds[0]);
        setenv("DISPLAY", server.GetName().c_str(), 1);
        std::vector<int> values;
        if (HWND root = platform::AttachDesktopWindow()) {
            for (platform::MonitorRect const& monitor : root->GetMonitorRects())
                values.insert(values.end(), {monitor.x, monitor.y, monitor.width, monitor.height});
        }
        ssize_t const written = write(pipeEnds[1], values.data(), values.size() * sizeof(int));
        _exit(written < 0 ? 1 : 0);
    }
    close(pipeEnds[1]);
    std::vector<int> values;
    int value = 0;
    while (read(pipeEnds[0], &value, sizeof(value)) == ssize_t(sizeof(value)))
        values.push_back(value);
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(values, (std::vector<int>{0, 0, 1000, 900, 1000, 100, 600, 400}));
}
