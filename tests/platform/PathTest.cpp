#include "platform/os/Path.h"
#include "platform/os/FileSystem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
class ScratchDirectory
{
public:
    ScratchDirectory()
    {
        char pattern[] = "/tmp/tidewell-path-XXXXXX";
        char const* made = ::mkdtemp(pattern);
        path = made ? made : "";
    }
    ~ScratchDirectory() { platform::RemoveTree(path); }

    void Touch(std::string const& relative) const
    {
        if (std::FILE* file = std::fopen((path + "/" + relative).c_str(), "wb"))
            std::fclose(file);
    }

    std::string path;
};
} // namespace

TEST(Path, AbsolutePaths)
{
    EXPECT_TRUE(platform::IsAbsolutePath("C:\\Coralume"));
    EXPECT_TRUE(platform::IsAbsolutePath("/opt/coralume"));
    EXPECT_TRUE(platform::IsAbsolutePath("\\\\server"));
    EXPECT_FALSE(platform::IsAbsolutePath("Data\\a.tga"));
    EXPECT_FALSE(platform::IsAbsolutePath("a"));
    EXPECT_FALSE(platform::IsAbsolutePath(""));
    EXPECT_FALSE(platform::IsAbsolutePath(nullptr));
}

TEST(Path, NativeSeparators)
{
    EXPECT_EQ(platform::ToNativePath("Data\\Models\\fish.mlf"), "Data/Models/fish.mlf");
    EXPECT_EQ(platform::ToNativePath("/opt/x\\\\Data//a.tga"), "/opt/x/Data/a.tga");
    EXPECT_EQ(platform::ToNativePath("C:\\Program Files\\x"), "/Program Files/x");
    EXPECT_EQ(platform::ToNativePath("C:"), "/");
    EXPECT_EQ(platform::ToNativePath("Data\\"), "Data/");
}

TEST(Path, ResolveMatchesEachComponentIgnoringCase)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(platform::MakeDirectory(scratch.path + "/Data"));
    ASSERT_TRUE(platform::MakeDirectory(scratch.path + "/Data/Models"));
    scratch.Touch("Data/Models/Fish.MLF");

    EXPECT_EQ(platform::ResolvePath(scratch.path + "\\DATA\\models\\fish.mlf"),
              scratch.path + "/Data/Models/Fish.MLF");
    EXPECT_EQ(platform::ResolvePath(scratch.path + "\\data\\\\MODELS\\"), scratch.path + "/Data/Models/");
    // Missing parts are kept as given, after the parts that do exist.
    EXPECT_EQ(platform::ResolvePath(scratch.path + "\\data\\New\\shot.tga"),
              scratch.path + "/Data/New/shot.tga");
    EXPECT_EQ(platform::ResolvePath(scratch.path + "\\data\\models\\..\\MODELS\\fish.mlf"),
              scratch.path + "/Data/Models/../Models/Fish.MLF");
    EXPECT_EQ(platform::ResolvePath(""), "");
    EXPECT_EQ(platform::ResolvePath("/"), "/");
}

TEST(Path, ResolveRelativePaths)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(platform::MakeDirectory(scratch.path + "/Data"));
    scratch.Touch("Data/a.TXT");
    char const* previous = std::getenv("PWD");
    std::string const saved = previous ? previous : "/";
    ASSERT_EQ(::chdir(scratch.path.c_str()), 0);
    EXPECT_EQ(platform::ResolvePath("data\\A.txt"), "Data/a.TXT");
    EXPECT_EQ(platform::ResolvePath("DATA"), "Data");
    EXPECT_EQ(platform::ResolvePath("none\\a.txt"), "none/a.txt");
    ASSERT_EQ(::chdir(saved.c_str()), 0);
}

TEST(Path, ExecutableDirectory)
{
    std::string const path = platform::GetExecutablePath();
    std::string const directory = platform::GetExecutableDirectory();
    EXPECT_EQ(path, directory + "/test_platform");
    EXPECT_TRUE(platform::IsDirectory(directory));
    EXPECT_NE(directory.back(), '/');
}
