#pragma once

// The installed program run as a user runs it: a process of its own on a private X server
// (Xvfb, optionally with a window manager), on a copy of the build-tree installation whose
// log stays apart from other tests.
#include <gtest/gtest.h>

#include "support/ChildProcess.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
// Xlib's macros collide with GoogleTest's names.
#undef Bool
#undef None

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace desktop
{
constexpr Window NoWindow = 0;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using Process = ChildProcess;

// The client window titled `title`, searched depth first (window managers add frames).
inline Window FindWindowByTitle(Display* display, Window window, char const* title)
{
    // Compared as bytes: toolkits store the name as STRING or as UTF8_STRING.
    XTextProperty name;
    if (XGetWMName(display, window, &name) && name.value) {
        bool const match =
            name.nitems == std::strlen(title) && std::memcmp(name.value, title, name.nitems) == 0;
        XFree(name.value);
        if (match)
            return window;
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = NoWindow;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && found == NoWindow; ++i)
            found = FindWindowByTitle(display, children[i], title);
        if (children)
            XFree(children);
    }
    return found;
}

// A private Xvfb screen; the display name is ":N".
class XServer
{
public:
    bool Start(unsigned int width, unsigned int height)
    {
        std::string const screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        return Launch({"/usr/bin/Xvfb", "-screen", "0", screen, "-nolisten", "tcp"});
    }

    // An X server with real RandR outputs, as on a desk with several monitors: Xorg's dummy
    // driver, whose outputs beyond the first are switched on with xrandr. `folder` takes its
    // configuration and log. False where Xorg or the driver is missing.
    bool StartWithOutputs(std::filesystem::path const& folder)
    {
        if (access(XorgServer, X_OK) != 0 || access(DummyDriver, R_OK) != 0)
            return false;
        std::filesystem::path const config = folder / "xorg.conf";
        std::ofstream(config) << "Section \"Device\"\n  Identifier \"dummy\"\n  Driver \"dummy\"\n"
                                 "  VideoRam 256000\nEndSection\n"
                                 "Section \"Screen\"\n  Identifier \"screen\"\n  Device \"dummy\"\n"
                                 "  DefaultDepth 24\n  SubSection \"Display\"\n    Depth 24\n"
                                 "    Virtual 2400 1200\n  EndSubSection\nEndSection\n";
        return Launch({XorgServer, "-config", config.string(), "-logfile", (folder / "Xorg.log").string(),
                       "-noreset", "-nolisten", "tcp"});
    }

    // Starts `command` with "-displayfd N" added and connects to the display it names.
    bool Launch(std::vector<std::string> command)
    {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return false;
        command.insert(command.begin() + 1, {"-displayfd", std::to_string(pipeEnds[1])});
        if (!m_server.Start(command, {}))
            return false;
        close(pipeEnds[1]);
        char text[16] = {};
        ssize_t const length = read(pipeEnds[0], text, sizeof(text) - 1);
        close(pipeEnds[0]);
        if (length <= 0)
            return false;
        m_name = ":" + std::to_string(std::atoi(text));
        m_display = XOpenDisplay(m_name.c_str());
        return m_display != nullptr;
    }

    // A window manager on the screen (openbox unless named); false when it is not installed.
    bool StartWindowManager(std::vector<std::string> const& command = {"/usr/bin/openbox"})
    {
        if (access(command.front().c_str(), X_OK) != 0)
            return false;
        if (!m_windowManager.Start(command, {"DISPLAY=" + m_name, "LIBGL_ALWAYS_SOFTWARE=1"}))
            return false;
        // The manager is ready once it owns the window-manager selection of the screen.
        Atom const selection = XInternAtom(m_display, "WM_S0", False);
        for (int i = 0; i < 250 && XGetSelectionOwner(m_display, selection) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return XGetSelectionOwner(m_display, selection) != 0;
    }

    // A compositing manager drawing with `backend` (xrender, glx); false when none is installed.
    bool StartCompositor(std::string const& backend)
    {
        if (access("/usr/bin/picom", X_OK) != 0)
            return false;
        if (!m_compositor.Start({"/usr/bin/picom", "--backend", backend, "--config", "/dev/null"},
                                {"DISPLAY=" + m_name, "LIBGL_ALWAYS_SOFTWARE=1"}))
            return false;
        Atom const selection = XInternAtom(m_display, "_NET_WM_CM_S0", False);
        for (int i = 0; i < 250 && XGetSelectionOwner(m_display, selection) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return XGetSelectionOwner(m_display, selection) != 0;
    }

    // Runs a client of the screen (xrandr, say) to its end; true when it succeeded.
    bool RunClient(std::vector<std::string> const& arguments)
    {
        ChildProcess client;
        return client.Start(arguments, {"DISPLAY=" + m_name}) && client.Wait(30.0) == std::optional<int>(0);
    }

    ~XServer()
    {
        if (m_display)
            XCloseDisplay(m_display);
        m_compositor.Kill();
        m_windowManager.Kill();
        m_server.Kill();
    }

    Display* GetDisplay() const { return m_display; }
    std::string const& GetName() const { return m_name; }

    // A mapped window of the test's own, black, at (0, 0).
    Window CreateHostWindow(unsigned int width, unsigned int height)
    {
        Window const window =
            XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, width, height, 0, 0,
                                BlackPixel(m_display, DefaultScreen(m_display)));
        XMapWindow(m_display, window);
        XSync(m_display, False);
        return window;
    }

    // Pixels of the window (or the root) that are neither black nor the clear colour alone:
    // the share of the area at (x, y, width, height) that the aquarium drew.
    double DrawnShare(Window window, int x, int y, unsigned int width, unsigned int height)
    {
        XImage* image = XGetImage(m_display, window, x, y, width, height, AllPlanes, ZPixmap);
        if (!image)
            return 0.0;
        unsigned long drawn = 0;
        for (unsigned int row = 0; row < height; ++row) {
            for (unsigned int column = 0; column < width; ++column) {
                if ((XGetPixel(image, int(column), int(row)) & 0xFFFFFF) != 0)
                    ++drawn;
            }
        }
        XDestroyImage(image);
        return double(drawn) / double(width * height);
    }

    // How many colours a grid of samples every `step` pixels of the drawable finds: one for a
    // flat background, many for a drawn scene.
    std::size_t CountColours(Drawable drawable, unsigned int width, unsigned int height,
                             unsigned int step = 8)
    {
        XImage* image = XGetImage(m_display, drawable, 0, 0, width, height, AllPlanes, ZPixmap);
        if (!image)
            return 0;
        std::vector<unsigned long> colours;
        for (unsigned int row = 0; row < height; row += step) {
            for (unsigned int column = 0; column < width; column += step)
                colours.push_back(XGetPixel(image, int(column), int(row)) & 0xFFFFFF);
        }
        XDestroyImage(image);
        std::sort(colours.begin(), colours.end());
        return std::size_t(std::unique(colours.begin(), colours.end()) - colours.begin());
    }

private:
    static constexpr char const* XorgServer = "/usr/lib/xorg/Xorg";
    static constexpr char const* DummyDriver = "/usr/lib/xorg/modules/drivers/dummy_drv.so";
    Process m_server;
    Process m_windowManager;
    Process m_compositor;
    std::string m_name;
    Display* m_display = nullptr;
};

// The build-tree installation under a folder of the test's own: the data and plug-ins are
// links, the registry file and the log are the test's.
class DesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto const* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = fs::temp_directory_path() /
                   ("coralume_desktop_" + std::string(test->name()) + "_" + std::to_string(getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "runtime");
        fs::permissions(m_folder / "runtime", fs::perms::owner_all);
        m_install = m_folder / "install";
        fs::create_directories(m_install);
        for (fs::directory_entry const& entry : fs::directory_iterator(CORALUME_STAGE_DIR)) {
            std::string const name = entry.path().filename().string();
            if (name != "registry" && name.find(".html") == std::string::npos &&
                name.find(".ini") == std::string::npos)
                fs::create_symlink(entry.path(), m_install / name);
        }
        std::ofstream(m_folder / "registry")
            << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0]\nInstallPath=" << m_install.string()
            << "\n[HKEY_LOCAL_MACHINE\\Software\\Vantorin\\Coralume]\nVersion=100\n";
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    std::vector<std::string> Environment(XServer const& server, std::vector<std::string> more = {}) const
    {
        std::vector<std::string> environment{"DISPLAY=" + server.GetName(),
                                             "CORALUME_REGISTRY=" + (m_folder / "registry").string(),
                                             "XDG_RUNTIME_DIR=" + (m_folder / "runtime").string(),
                                             "XDG_CONFIG_HOME=" + (m_folder / "config").string(),
                                             "XDG_DATA_HOME=" + (m_folder / "data").string(),
                                             "XDG_STATE_HOME=" + (m_folder / "state").string(),
                                             "XDG_CACHE_HOME=" + (m_folder / "cache").string(),
                                             "XSCREENSAVER_WINDOW=",
                                             "LIBGL_ALWAYS_SOFTWARE=1",
                                             "ALSOFT_DRIVERS=null"};
        environment.insert(environment.end(), more.begin(), more.end());
        return environment;
    }

    static std::vector<std::string> Program(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), std::string(CORALUME_STAGE_DIR) + "/coralume");
        return arguments;
    }

    // The text of every log the runs wrote.
    std::string ReadLogs() const
    {
        std::string text;
        for (fs::directory_entry const& entry : fs::recursive_directory_iterator(m_folder)) {
            if (entry.is_regular_file() && entry.path().extension() == ".html") {
                std::ifstream file(entry.path());
                std::stringstream content;
                content << file.rdbuf();
                text += content.str();
            }
        }
        return text;
    }

    static std::string ReadFile(fs::path const& path)
    {
        std::ifstream file(path);
        std::stringstream content;
        content << file.rdbuf();
        return content.str();
    }

    // True once a log holds `text` (start-up ended: "Load Time"), within `seconds`.
    bool WaitForLog(char const* text, double seconds = 60.0) const
    {
        auto const end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            if (ReadLogs().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    static void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

    fs::path m_folder;
    fs::path m_install;
};
} // namespace desktop
