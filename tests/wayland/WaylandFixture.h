#pragma once

// The program run as a Wayland user runs it: a headless compositor of the test's own, the
// build-tree installation, and the user's folders and log in a private folder the test reads
// afterwards.
#include <gtest/gtest.h>

#include "HeadlessSway.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace wayland
{
namespace fs = std::filesystem;

// The program on any compositor: its derived fixtures start one and hand it to UseCompositor.
class CompositorTest : public ::testing::Test
{
protected:
    // A fresh private folder, and the user the compositor and the program run as; false (the
    // test failed) when there is none.
    bool PrepareFolder()
    {
        // Short: the compositor's socket path inside it must fit a socket address.
        m_folder = fs::temp_directory_path() / ("coralume_wayland_" + std::to_string(getpid()));
        fs::remove_all(m_folder);
        std::string problem;
        m_user = HeadlessCompositor::ChooseUser(problem);
        EXPECT_TRUE(m_user) << problem;
        return m_user.has_value();
    }

    // The compositor the program runs on, with the private folder given to its user and the
    // installation prepared for it.
    void UseCompositor(HeadlessCompositor& compositor)
    {
        m_compositor = &compositor;
        compositor.MakeUserFolder(m_folder, fs::perms::owner_all | fs::perms::group_read |
                                                fs::perms::group_exec | fs::perms::others_read |
                                                fs::perms::others_exec);
        PrepareInstallation();
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    // The program with `arguments`, as the compositor's user starts it.
    bool StartProgram(ChildProcess& program, std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), (m_install / "coralume").string());
        return m_compositor->StartClient(program, arguments,
                                         m_compositor->ClientEnvironment(ProgramEnvironment()),
                                         (m_folder / "stderr.txt").string());
    }

    std::vector<std::string> ProgramEnvironment() const
    {
        std::vector<std::string> environment = {"CORALUME_REGISTRY=" + (m_folder / "registry").string(),
                                                "LIBGL_ALWAYS_SOFTWARE=1", "ALSOFT_DRIVERS=null",
                                                "XSCREENSAVER_WINDOW="};
        environment.insert(environment.end(), m_programEnvironment.begin(), m_programEnvironment.end());
        return environment;
    }

    // The text of every log the runs wrote.
    std::string ReadLogs() const
    {
        std::string text;
        std::error_code error;
        for (fs::directory_entry const& entry : fs::recursive_directory_iterator(m_folder / "home", error)) {
            if (entry.is_regular_file() && entry.path().extension() == ".html")
                text += ReadFile(entry.path());
        }
        return text;
    }

    // What went wrong, for failure messages: the program's error output and the end of its log.
    std::string DescribeRun() const
    {
        constexpr std::size_t Shown = 2000;
        std::string const log = ReadLogs();
        return "stderr: " + ReadFile(m_folder / "stderr.txt") +
               "\nlog end: " + log.substr(log.size() > Shown ? log.size() - Shown : 0);
    }

    // Starts the program with `arguments` and waits until its start-up ends ("Load Time").
    ::testing::AssertionResult StartAndLoad(ChildProcess& program, std::vector<std::string> const& arguments)
    {
        constexpr double StartSeconds = 90.0; // start-up under a loaded software renderer
        if (!StartProgram(program, arguments))
            return ::testing::AssertionFailure() << "cannot start the program";
        auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(StartSeconds);
        while (ChildProcess::Clock::now() < end && program.IsRunning()) {
            if (ReadLogs().find("Load Time") != std::string::npos)
                return ::testing::AssertionSuccess();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return ::testing::AssertionFailure() << "the program did not finish starting\n" << DescribeRun();
    }

    // The installed settings with `lines` added, as the user's own.
    void UseSettings(std::string const& lines) const
    {
        fs::path const folder = m_folder / "home" / "config" / "coralume";
        m_compositor->MakeUserFolder(folder, fs::perms::owner_all);
        std::ofstream(folder / "Coralume.ini")
            << ReadFile(fs::path(CORALUME_STAGE_DIR) / "Data" / "Coralume.ini") << "\n"
            << lines << "\n";
    }

    static std::string ReadFile(fs::path const& path)
    {
        std::ifstream file(path);
        std::stringstream content;
        content << file.rdbuf();
        return content.str();
    }

    // Added to the program's environment for the runs of one test.
    std::vector<std::string> m_programEnvironment;
    fs::path m_folder;
    std::optional<ChildUser> m_user;

private:
    // The build-tree installation, or a copy of it where the compositor's user cannot reach
    // the build tree (a checkout in root's home), and a registry file naming it.
    void PrepareInstallation()
    {
        m_install = CORALUME_STAGE_DIR;
        ChildProcess probe;
        probe.RunAs(m_compositor->GetUser());
        std::string const program = (m_install / "coralume").string();
        if (!probe.Start({"/bin/sh", "-c", "test -x \"$0\" && test -r \"$0\"", program}, {}) ||
            probe.Wait(10.0) != std::optional<int>(0)) {
            fs::path const copy = m_folder / "install";
            fs::copy(m_install, copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
            m_install = copy;
        }
        std::ofstream(m_folder / "registry")
            << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0]\nInstallPath=" << m_install.string()
            << "\n[HKEY_LOCAL_MACHINE\\Software\\Vantorin\\Coralume]\nVersion=100\n";
    }

    HeadlessCompositor* m_compositor = nullptr;
    fs::path m_install;
};

// The program on a headless sway.
class WaylandTest : public CompositorTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareFolder());
        m_sway = std::make_unique<HeadlessSway>(*m_user, m_folder);
        UseCompositor(*m_sway);
        std::string problem;
        if (!m_sway->Start(problem)) {
            // Root runs sway as the setup's account: there (and so in CI) it must work.
            if (geteuid() == 0)
                FAIL() << problem;
            GTEST_SKIP() << problem << " (as root the tests run sway as " << UnprivilegedAccount << ")";
        }
    }

    void TearDown() override
    {
        m_sway.reset();
        CompositorTest::TearDown();
    }

    // Waits up to `seconds` until `output` shows a scene over `background` in every quadrant; a
    // failure tells which quadrants did not and how the program's run went.
    ::testing::AssertionResult ShowsScene(std::string const& output, double seconds,
                                          Colour background = SwayBackground) const
    {
        std::optional<Screenshot> const shot = m_sway->WaitForScene(output, seconds, background);
        if (!shot)
            return ::testing::AssertionFailure() << "no picture of " << output;
        if (!shot->IsSceneInEveryQuadrant(background))
            return ::testing::AssertionFailure()
                   << output << ": " << shot->DescribeQuadrants(background) << "\n"
                   << DescribeRun();
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<HeadlessSway> m_sway;
};
} // namespace wayland
