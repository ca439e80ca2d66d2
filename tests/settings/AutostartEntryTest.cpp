#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "AutostartEntry.h"

namespace
{

namespace fs = std::filesystem;

// A scratch XDG_CONFIG_HOME and a system-wide autostart folder of the test's own.
class AutostartEntryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        auto const* test = testing::UnitTest::GetInstance()->current_test_info();
        directory = fs::temp_directory_path() /
                    ("coralume-autostart-" + std::string(test->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory / "system");
        if (char const* config = std::getenv("XDG_CONFIG_HOME"))
            savedConfigHome = config;
        ::setenv("XDG_CONFIG_HOME", (directory / "config").c_str(), 1);
    }
    void TearDown() override
    {
        if (savedConfigHome.empty())
            ::unsetenv("XDG_CONFIG_HOME");
        else
            ::setenv("XDG_CONFIG_HOME", savedConfigHome.c_str(), 1);
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    }

    CAutostartEntry Entry() const
    {
        return CAutostartEntry(CAutostartEntry::GetUserFolder(), {(directory / "system").string()}, Program);
    }

    fs::path UserEntry() const { return directory / "config" / "autostart" / CAutostartEntry::FileName; }

    static std::string Read(fs::path const& path)
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // A program path that the entry must quote.
    static constexpr char const* Program = "/opt/My Aquarium/coralume";
    fs::path directory;
    std::string savedConfigHome;
};

TEST_F(AutostartEntryTest, SwitchingOnWritesAValidEntryForTheWallpaperAndOffRemovesIt)
{
    CAutostartEntry entry = Entry();
    EXPECT_FALSE(entry.IsEnabled());
    std::string error;
    ASSERT_TRUE(entry.SetEnabled(true, &error)) << error;
    ASSERT_TRUE(fs::is_regular_file(UserEntry()));
    EXPECT_TRUE(entry.IsEnabled());
    std::string const text = Read(UserEntry());
    EXPECT_NE(text.find("\nExec=\"/opt/My Aquarium/coralume\" /w\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Hidden"), std::string::npos) << text;
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0) {
        std::string const command = "desktop-file-validate '" + UserEntry().string() + "' 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char buffer[512];
        std::string output;
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        int const status = ::pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
        EXPECT_EQ(output, "");
    }
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(UserEntry().parent_path()), fs::directory_iterator()), 1);

    ASSERT_TRUE(entry.SetEnabled(false, &error)) << error;
    EXPECT_FALSE(fs::exists(UserEntry()));
    EXPECT_FALSE(entry.IsEnabled());
}

TEST_F(AutostartEntryTest, ASystemWideEntryIsHiddenByTheUsersAndShownAgain)
{
    std::ofstream(directory / "system" / CAutostartEntry::FileName)
        << "[Desktop Entry]\nType=Application\nName=Coralume Wallpaper\nExec=coralume /w\n";
    CAutostartEntry entry = Entry();
    EXPECT_TRUE(entry.IsEnabled());
    std::string error;
    ASSERT_TRUE(entry.SetEnabled(false, &error)) << error;
    EXPECT_NE(Read(UserEntry()).find("\nHidden=true\n"), std::string::npos);
    EXPECT_FALSE(entry.IsEnabled());
    ASSERT_TRUE(entry.SetEnabled(true, &error)) << error;
    EXPECT_EQ(Read(UserEntry()).find("Hidden"), std::string::npos);
    EXPECT_TRUE(entry.IsEnabled());
}

TEST_F(AutostartEntryTest, AnUnwritableFolderIsReported)
{
    fs::create_directories(directory / "config");
    std::ofstream(directory / "config" / "autostart") << "a file where the folder belongs";
    std::string error;
    EXPECT_FALSE(Entry().SetEnabled(true, &error));
    EXPECT_NE(error.find("autostart"), std::string::npos) << error;
}
} // namespace
