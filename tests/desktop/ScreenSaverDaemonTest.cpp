// The screen-saver desktop entry as a desktop's screen-saver daemon uses it: the daemon lists the
// themes of the desktop entries in the Screensaver category, runs the chosen one's Exec line
// with its own full-screen window named in XSCREENSAVER_WINDOW, and the aquarium draws there.
// The daemon runs savers only from folders of its own list (the package links the program into
// one of them, /usr/libexec/xscreensaver/): the test shows it such a folder holding the build's
// program through a bind mount in a mount namespace of its own, leaving the system untouched.
#include "DesktopFixture.h"

#include <cstdlib>

using namespace desktop;

namespace
{
constexpr double StartSeconds = 90.0; // the daemon's start and ours under a software renderer
constexpr double StopSeconds = 30.0;
constexpr char const* Daemon = "/usr/bin/mate-screensaver";
// A folder the daemon runs savers from that exists wherever the daemon is installed.
constexpr char const* HackFolder = "/usr/lib/mate-screensaver/mate-screensaver";
// The desktop entry "screensavers/coralume.desktop" under applications/ has this desktop id.
constexpr char const* ThemeId = "screensavers-coralume";

bool IsInstalled(char const* program)
{
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// A session of its own (D-Bus session bus, settings in a key file under the test's home) in
// which the daemon starts, is asked to activate, and is asked to end once `stop` exists.
std::string SessionScript(fs::path const& folder)
{
    std::string const stop = (folder / "stop").string();
    return "mount --bind '" + (folder / "hacks").string() + "' " + HackFolder +
           " || exit 3\n"
           "gsettings set org.mate.screensaver mode single\n"
           "gsettings set org.mate.screensaver themes \"['" +
           std::string(ThemeId) +
           "']\"\n"
           "gsettings set org.mate.screensaver lock-enabled false\n" +
           Daemon + " --no-daemon --debug >'" + (folder / "daemon.log").string() +
           "' 2>&1 &\n"
           "daemon=$!\n"
           "tries=0\n"
           "until mate-screensaver-command --query >/dev/null 2>&1 || [ $tries -ge 300 ]; do\n"
           "  tries=$((tries + 1)); sleep 0.1\n"
           "done\n"
           "mate-screensaver-command --activate\n"
           "until [ -e '" +
           stop +
           "' ]; do sleep 0.1; done\n"
           "mate-screensaver-command --deactivate\n"
           "sleep 1\n"
           "kill $daemon\n"
           "wait $daemon\n";
}
} // namespace

TEST_F(DesktopTest, TheScreenSaverDaemonListsTheEntryAndRunsItInItsWindow)
{
    for (char const* program : {Daemon, "mate-screensaver-command", "dbus-run-session", "gsettings"}) {
        if (!IsInstalled(program))
            GTEST_SKIP() << program << " is not installed (scripts/setup installs mate-screensaver)";
    }
    if (std::system((std::string("unshare --user --map-root-user --mount mount --bind /tmp ") + HackFolder +
                     " >/dev/null 2>&1")
                        .c_str()) != 0)
        GTEST_SKIP() << "no mount namespace can be made here (unshare --user --mount)";
    XServer server;
    ASSERT_TRUE(server.Start(640, 480));

    // The installed layout: the entry under applications/screensavers/ of a data folder, the
    // program under its installed name in a folder the daemon runs savers from.
    fs::path const entries = m_folder / "share" / "applications" / "screensavers";
    fs::create_directories(entries);
    fs::copy_file(fs::path(CORALUME_SOURCE_DIR) / "packaging" / "screensavers" / "coralume.desktop",
                  entries / "coralume.desktop");
    fs::create_directories(m_folder / "hacks");
    fs::create_symlink(fs::path(CORALUME_STAGE_DIR) / "coralume", m_folder / "hacks" / "coralume");
    std::ofstream(m_folder / "session.sh") << SessionScript(m_folder);

    Process session;
    ASSERT_TRUE(
        session.Start({"/usr/bin/unshare", "--user", "--map-root-user", "--mount",
                       "/usr/bin/dbus-run-session", "--", "/bin/sh", (m_folder / "session.sh").string()},
                      Environment(server, {"HOME=" + (m_folder / "home").string(),
                                           "XDG_DATA_DIRS=" + (m_folder / "share").string() + ":/usr/share",
                                           "XDG_CURRENT_DESKTOP=MATE", "GSETTINGS_BACKEND=keyfile"}),
                      (m_folder / "session.err").string()));
    // Whatever fails below, the session is asked to end and given time to do so.
    struct Stop
    {
        fs::path file;
        Process& session;
        ~Stop()
        {
            std::ofstream(file) << "stop\n";
            session.Wait(StopSeconds);
        }
    } const stop{m_folder / "stop", session};

    ASSERT_TRUE(WaitForLog("Load Time", StartSeconds))
        << ReadFile(m_folder / "daemon.log") << ReadFile(m_folder / "session.err");
    Sleep(2.0);
    // The daemon's window covers the screen; the aquarium fills it.
    EXPECT_GT(server.DrawnShare(DefaultRootWindow(server.GetDisplay()), 0, 0, 640, 480), 0.95);
    std::string const log = ReadLogs();
    EXPECT_NE(log.find("Coralume Screensaver"), std::string::npos);
    EXPECT_EQ(log.find("Coralume Wallpaper"), std::string::npos);

    // Deactivated, the daemon ends the saver, which closes its log.
    std::ofstream(m_folder / "stop") << "stop\n";
    ASSERT_TRUE(session.Wait(StopSeconds).has_value());
    EXPECT_NE(ReadLogs().find("Log end:"), std::string::npos);
}
