#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

namespace
{
namespace fs = std::filesystem;

fs::path const Source = CORALUME_SOURCE_DIR;
fs::path const Build = fs::path(CORALUME_STAGE_DIR).parent_path();

bool HasProgram(char const* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Exit status and output (standard output and error together) of a shell command.
int RunShell(std::string const& command, std::string* output = nullptr)
{
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    std::string text;
    while (std::fgets(buffer, sizeof buffer, pipe))
        text += buffer;
    int const status = ::pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(fs::path const& path)
{
    return "'" + path.string() + "'";
}

TEST(Packaging, ShippedEngineLibraryExportsNoTestDouble)
{
    if (!HasProgram("nm")) {
        GTEST_SKIP() << "nm is not installed";
    }
    std::string symbols;
    ASSERT_EQ(
        RunShell("nm -D --defined-only " + Quote(fs::path(CORALUME_STAGE_DIR) / "libTidewell.so"), &symbols),
        0)
        << symbols;
    std::istringstream lines(symbols);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.find("Fake"), std::string::npos) << line;
    }
}

TEST(Packaging, DesktopEntriesAreValid)
{
    if (!HasProgram("desktop-file-validate"))
        GTEST_SKIP() << "desktop-file-validate is not installed (scripts/setup installs it)";
    // The screen saver's entry is in no main category on purpose, so that menus leave it out:
    // the validator's hint about that is not asked for.
    for (auto const& [entry, options] :
         {std::pair{"coralume.desktop", ""}, std::pair{"coralume-settings.desktop", ""},
          std::pair{"screensavers/coralume.desktop", "--no-hints "}}) {
        std::string output;
        EXPECT_EQ(
            RunShell(std::string("desktop-file-validate ") + options + Quote(Source / "packaging" / entry),
                     &output),
            0)
            << output;
        EXPECT_EQ(output, "") << entry;
    }
}

TEST(Packaging, AppStreamMetainfoIsValid)
{
    if (!HasProgram("appstreamcli"))
        GTEST_SKIP() << "appstreamcli is not installed (scripts/setup installs it)";
    std::string output;
    EXPECT_EQ(RunShell("appstreamcli validate --no-net " +
                           Quote(Source / "packaging" / "io.github.coralume.Coralume.metainfo.xml"),
                       &output),
              0)
        << output;
}

// The .deb that cpack builds, unpacked into a scratch root as dpkg would install it, then moved
// and made read-only.
class PackageInstallTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!HasProgram("cpack") || !HasProgram("dpkg-deb") ||
            !fs::exists(fs::path(CORALUME_STAGE_DIR) / "coralume") ||
            !fs::exists(fs::path(CORALUME_STAGE_DIR) / "Data" / "Coralume.ini"))
            return;
        scratch = fs::temp_directory_path() / ("coralume-package-" + std::to_string(::getpid()));
        fs::remove_all(scratch);
        fs::create_directories(scratch);
        // A package of its own, so a parallel run of `cpack` in the build folder is not disturbed.
        std::string log;
        built = RunShell("cd " + Quote(Build) + " && cpack -G DEB -B " + Quote(scratch / "cpack"), &log) == 0;
        for (auto const& entry : fs::directory_iterator(scratch / "cpack")) {
            if (entry.path().extension() == ".deb")
                package = entry.path();
        }
        built = built && !package.empty();
        buildLog = log;
        if (built)
            built = RunShell("dpkg-deb -x " + Quote(package) + " " + Quote(scratch / "unpacked")) == 0;
        if (built) {
            fs::rename(scratch / "unpacked", scratch / "moved");
            root = scratch / "moved";
            RunShell("chmod -R a-w " + Quote(root));
        }
    }

    static void TearDownTestSuite()
    {
        if (scratch.empty())
            return;
        RunShell("chmod -R u+w " + Quote(scratch));
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }

    void SetUp() override
    {
        if (scratch.empty())
            GTEST_SKIP() << "cpack, dpkg-deb, the program or its data are not available";
        ASSERT_TRUE(built) << buildLog;
    }

    // The user service as installed, verified by systemd: the program it starts must exist and
    // run, and the manual page it names must be found.
    static void ExpectTheUserServiceVerifies()
    {
        if (!HasProgram("systemd-analyze"))
            return; // scripts/setup installs systemd
        std::ifstream in(root / "usr/lib/systemd/user/coralume-wallpaper.service");
        std::stringstream text;
        text << in.rdbuf();
        std::string unit = text.str();
        std::string const execStart = "\nExecStart=/usr/bin/coralume /w\n";
        std::size_t const at = unit.find(execStart);
        ASSERT_NE(at, std::string::npos) << unit;
        // Relocated to where the package was unpacked.
        unit.replace(at, execStart.size(), "\nExecStart=" + (root / "usr/bin/coralume").string() + " /w\n");
        fs::path const checked = scratch / "verify" / "coralume-wallpaper.service";
        fs::create_directories(checked.parent_path() / "runtime");
        fs::permissions(checked.parent_path() / "runtime", fs::perms::owner_all);
        std::ofstream(checked) << unit;
        std::string output;
        int const status = RunShell("XDG_RUNTIME_DIR=" + Quote(checked.parent_path() / "runtime") +
                                        " MANPATH=" + Quote(root / "usr/share/man") +
                                        " systemd-analyze verify --user " + Quote(checked),
                                    &output);
        if (output.find("Failed to initialize manager") != std::string::npos) {
            std::printf("systemd-analyze cannot run here, the unit is not verified: %s", output.c_str());
            return;
        }
        EXPECT_EQ(status, 0) << output;
        EXPECT_EQ(output, "");
    }

    static void ExpectLintianFindsNoErrorsOrWarnings()
    {
        if (!HasProgram("lintian"))
            return; // scripts/setup installs lintian
        std::string output;
        RunShell("lintian " + Quote(package), &output);
        std::istringstream lines(output);
        std::string findings;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("E: ", 0) == 0 || line.rfind("W: ", 0) == 0)
                findings += line + "\n";
        }
        EXPECT_EQ(findings, "") << output;
    }

    static inline fs::path scratch;
    static inline fs::path package;
    static inline fs::path root;
    static inline bool built = false;
    static inline std::string buildLog;
};

// One package build serves every check: building it is the slow part.
TEST_F(PackageInstallTest, PassesItsValidatorsCarriesStrippedFilesAndRunsFromAMovedReadOnlyTree)
{
    for (char const* file :
         {"usr/bin/coralume", "usr/lib/coralume/coralume", "usr/lib/coralume/coralume-plugin-probe",
          "usr/lib/coralume/Settings", "usr/lib/coralume/registry", "usr/lib/coralume/Plugins/Shoalmind.so",
          "usr/share/coralume/Data/Coralume.ini", "usr/share/applications/coralume.desktop",
          "usr/share/applications/coralume-settings.desktop",
          "usr/share/icons/hicolor/48x48/apps/coralume.png",
          "usr/share/icons/hicolor/256x256/apps/coralume.png",
          "usr/share/metainfo/io.github.coralume.Coralume.metainfo.xml", "usr/share/man/man6/coralume.6.gz",
          "usr/share/xscreensaver/config/coralume.xml", "usr/libexec/xscreensaver/coralume",
          "usr/share/applications/screensavers/coralume.desktop",
          "usr/lib/systemd/user/coralume-wallpaper.service", "usr/share/doc/coralume/changelog.gz"})
        EXPECT_TRUE(fs::exists(root / file)) << file;
    EXPECT_TRUE(fs::is_symlink(root / "usr/lib/coralume/Data"));
    std::string sections;
    RunShell("readelf -S " + Quote(root / "usr/lib/coralume/coralume") + " " +
                 Quote(root / "usr/lib/coralume/libTidewell.so"),
             &sections);
    EXPECT_NE(sections.find(".text"), std::string::npos) << sections;
    EXPECT_EQ(sections.find(".symtab"), std::string::npos) << "not stripped";
    std::string control;
    RunShell("dpkg-deb -f " + Quote(package), &control);
    EXPECT_NE(control.find("Package: coralume"), std::string::npos) << control;
    EXPECT_NE(control.find("Depends: "), std::string::npos) << control;
    EXPECT_NE(control.find("Section: x11"), std::string::npos) << control;
    ExpectLintianFindsNoErrorsOrWarnings();
    ExpectTheUserServiceVerifies();

    // A user with a fresh home runs the screen saver; everything it writes lands in the home
    // (the tree is read-only, which the super-user would not notice: its listing must not change).
    auto const listing = [] {
        std::string names;
        for (auto const& entry : fs::recursive_directory_iterator(root))
            names += entry.path().string() + "\n";
        return names;
    };
    std::string const before = listing();
    fs::path const home = scratch / "home";
    fs::create_directories(home);
    fs::path const shots = scratch / "shots";
    std::string output;
    int const status =
        RunShell("env -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u XDG_PICTURES_DIR -u CORALUME_REGISTRY HOME=" +
                     Quote(home) + " timeout 120 " + Quote(root / "usr/bin/coralume") +
                     " -window --demo-seconds 1 --screenshot-dir " + Quote(shots),
                 &output);
    ASSERT_EQ(status, 0) << output;
    EXPECT_TRUE(fs::exists(shots / "picture000.tga")) << output;
    EXPECT_TRUE(fs::exists(home / ".config/coralume/Coralume.ini"));
    EXPECT_EQ(listing(), before);
    fs::path const log = home / ".local/state/coralume/Coralume Screensaver.html";
    ASSERT_TRUE(fs::exists(log));
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Configuration file " + (home / ".config/coralume/Coralume.ini").string()),
              std::string::npos);
}

} // namespace
