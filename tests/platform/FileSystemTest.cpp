#include "platform/os/FileSystem.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
std::string MakeScratch()
{
    char pattern[] = "/tmp/tidewell-fs-XXXXXX";
    char const* made = ::mkdtemp(pattern);
    return made ? made : "";
}

void WriteText(std::string const& path, std::string const& text)
{
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}
} // namespace

TEST(FileSystem, MasksMatchIgnoringCase)
{
    EXPECT_TRUE(platform::MatchesMask("Main.PAK", "*.pak"));
    EXPECT_FALSE(platform::MatchesMask("main.pak.txt", "*.pak"));
    EXPECT_TRUE(platform::MatchesMask("readme", "*.*"));
    EXPECT_TRUE(platform::MatchesMask("fish01.tga", "fish??.tga"));
    EXPECT_FALSE(platform::MatchesMask("fish1.tga", "fish??.tga"));
    EXPECT_TRUE(platform::MatchesMask("anything", "*"));
    EXPECT_TRUE(platform::MatchesMask("a.b.c", "*.*.*"));
    EXPECT_FALSE(platform::MatchesMask("", "?"));
}

TEST(FileSystem, ListCreateCopyAndRemove)
{
    std::string const root = MakeScratch();
    ASSERT_FALSE(root.empty());
    ASSERT_TRUE(platform::MakeDirectory(root + "/sub"));
    EXPECT_TRUE(platform::MakeDirectory(root + "/sub"));
    EXPECT_FALSE(platform::MakeDirectory(root + "/missing/deeper"));
    WriteText(root + "/b.txt", "bravo");
    WriteText(root + "/A.txt", "alpha");
    WriteText(root + "/sub/c.txt", "charlie");
    ASSERT_EQ(::symlink(root.c_str(), (root + "/sub/loop").c_str()), 0);

    auto const entries = platform::ListDirectory(root);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "A.txt");
    EXPECT_EQ(entries[1].name, "b.txt");
    EXPECT_EQ(entries[2].name, "sub");
    EXPECT_TRUE(entries[2].isDirectory);
    EXPECT_FALSE(entries[0].isDirectory);
    auto const inner = platform::ListDirectory(root + "/sub");
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_TRUE(inner[1].isLink);
    EXPECT_TRUE(platform::ListDirectory(root + "/none").empty());

    EXPECT_TRUE(platform::CopyFile(root + "/b.txt", root + "/sub/copy.txt"));
    std::FILE* copy = std::fopen((root + "/sub/copy.txt").c_str(), "rb");
    ASSERT_NE(copy, nullptr);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof(text), copy), 5u);
    std::fclose(copy);
    EXPECT_STREQ(text, "bravo");
    EXPECT_FALSE(platform::CopyFile(root + "/none.txt", root + "/x.txt"));

    EXPECT_TRUE(platform::RemoveTree(root + "/b.txt"));
    EXPECT_FALSE(platform::PathExists(root + "/b.txt"));
    // Removal does not follow the link back to the root.
    EXPECT_TRUE(platform::RemoveTree(root + "/sub"));
    EXPECT_TRUE(platform::PathExists(root + "/A.txt"));
    EXPECT_TRUE(platform::RemoveTree(root));
    EXPECT_FALSE(platform::PathExists(root));
    EXPECT_TRUE(platform::RemoveTree(root));
}
