#include "platform/os/UserFolders.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace
{
// Sets the variables for one test and puts the previous values back afterwards.
class UserFoldersTest : public testing::Test
{
protected:
    void SetUp() override
    {
        for (char const* name : Names) {
            char const* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
        char pattern[] = "/tmp/tidewell-home-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        home = pattern;
        ::setenv("HOME", home.c_str(), 1);
    }

    void TearDown() override
    {
        for (auto const& [name, value] : saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        std::filesystem::remove_all(home);
    }

    static constexpr char const* Names[] = {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_PICTURES_DIR"};
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
    std::string home;
};

TEST_F(UserFoldersTest, DefaultsLieInTheHome)
{
    EXPECT_EQ(platform::GetUserConfigFolder(), home + "/.config/coralume");
    EXPECT_EQ(platform::GetUserStateFolder(), home + "/.local/state/coralume");
    EXPECT_EQ(platform::GetUserPicturesFolder(), home + "/Pictures/Coralume");
}

TEST_F(UserFoldersTest, AbsoluteVariablesWinAndRelativeOnesAreIgnored)
{
    ::setenv("XDG_CONFIG_HOME", "/srv/config/", 1);
    ::setenv("XDG_STATE_HOME", "relative/state", 1);
    ::setenv("XDG_PICTURES_DIR", "/srv/pictures", 1);
    EXPECT_EQ(platform::GetUserConfigFolder(), "/srv/config/coralume");
    EXPECT_EQ(platform::GetUserStateFolder(), home + "/.local/state/coralume");
    EXPECT_EQ(platform::GetUserPicturesFolder(), "/srv/pictures/Coralume");
}

TEST_F(UserFoldersTest, PicturesFolderOfTheUserDirsFile)
{
    std::filesystem::create_directories(home + "/.config");
    std::ofstream(home + "/.config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                       "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                       "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    EXPECT_EQ(platform::GetUserPicturesFolder(), home + "/Bilder/Coralume");
}
} // namespace
