#include "InstallationData.h"

#include "platform/os/FileSystem.h"
#include "platform/os/Registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace
{
class TemporaryDirectory
{
public:
    TemporaryDirectory()
    {
        char pattern[] = "/tmp/coralume-app-XXXXXX";
        m_path = mkdtemp(pattern) ? pattern : "";
    }
    ~TemporaryDirectory() { platform::RemoveTree(m_path); }
    std::string const& Path() const { return m_path; }
    void Write(std::string const& name, std::string const& content) const
    {
        std::ofstream(m_path + "/" + name, std::ios::binary) << content;
    }

private:
    std::string m_path;
};
} // namespace

TEST(InstallationData, SuffixFileBesideTheProgram)
{
    EXPECT_EQ(installation::GetSuffixFilePath("/opt/coralume/coralume"), "/opt/coralume/coralume.ini");
    EXPECT_EQ(installation::GetSuffixFilePath("/opt/coralume/coralume.scr"), "/opt/coralume/coralume.ini");
    EXPECT_EQ(installation::GetSuffixFilePath("/opt/v1.2/coralume"), "/opt/v1.2/coralume.ini");

    TemporaryDirectory directory;
    std::string const file = directory.Path() + "/coralume.ini";
    EXPECT_EQ(installation::ReadSuffix(file), "0"); // missing
    directory.Write("coralume.ini", "");
    EXPECT_EQ(installation::ReadSuffix(file), "0"); // empty
    directory.Write("coralume.ini", "2");
    EXPECT_EQ(installation::ReadSuffix(file), "2");
    directory.Write("coralume.ini", "2\r\n");
    EXPECT_EQ(installation::ReadSuffix(file), "2");
    directory.Write("coralume.ini", "\n");
    EXPECT_EQ(installation::ReadSuffix(file), "0");
}

TEST(InstallationData, InstallPathUnderTheSuffixedKey)
{
    platform::Registry registry;
    registry.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\2", "InstallPath", "/opt/second");
    registry.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0", "InstallPath", "/opt/first");
    char path[installation::PathLength] = {};
    ASSERT_TRUE(installation::ReadInstallPath(registry, "2", path));
    EXPECT_STREQ(path, "/opt/second");
    ASSERT_TRUE(installation::ReadInstallPath(registry, "0", path));
    EXPECT_STREQ(path, "/opt/first");
    EXPECT_FALSE(installation::ReadInstallPath(registry, "3", path));
}

TEST(InstallationData, RelativeInstallPathIsFoundBesideTheProgram)
{
    platform::Registry registry;
    std::string const key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0";
    char path[installation::PathLength] = {};
    registry.SetString(key, "InstallPath", ".");
    ASSERT_TRUE(installation::ReadInstallPath(registry, "0", path, "/moved/lib/coralume"));
    EXPECT_STREQ(path, "/moved/lib/coralume");
    registry.SetString(key, "InstallPath", "/opt/coralume");
    ASSERT_TRUE(installation::ReadInstallPath(registry, "0", path, "/moved/lib/coralume"));
    EXPECT_STREQ(path, "/opt/coralume");
}

TEST(InstallationData, InstallPathFailures)
{
    platform::Registry registry;
    std::string const key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0";
    char path[installation::PathLength] = "untouched";
    registry.SetString(key, "Other", "/x");
    EXPECT_FALSE(installation::ReadInstallPath(registry, "0", path)); // value missing
    registry.SetNumber(key, "InstallPath", 5);
    EXPECT_FALSE(installation::ReadInstallPath(registry, "0", path)); // not text
    registry.SetString(key, "InstallPath", std::string(256, 'a'));
    EXPECT_FALSE(installation::ReadInstallPath(registry, "0", path)); // no room for the zero
    EXPECT_STREQ(path, "untouched");
    registry.SetString(key, "InstallPath", std::string(255, 'a'));
    EXPECT_TRUE(installation::ReadInstallPath(registry, "0", path));
    EXPECT_EQ(std::string(path), std::string(255, 'a'));
}

TEST(InstallationData, InstallPathWithoutRoomForTheNamesBelowIsRefused)
{
    std::string const longest(installation::MaximumInstallPathLength, 'a');
    EXPECT_EQ(installation::CheckInstallPathLength(longest.c_str()), "");
    std::string const tooLong = "/" + longest;
    EXPECT_NE(installation::CheckInstallPathLength(tooLong.c_str()).find("path is too long"),
              std::string::npos);
}

TEST(InstallationData, VersionForms)
{
    platform::Registry registry;
    EXPECT_EQ(installation::ReadVersionText(registry), "100");
    registry.SetNumber("HKEY_LOCAL_MACHINE\\Software\\Vantorin\\Coralume", "Version", 205);
    EXPECT_EQ(installation::ReadVersionText(registry), "100"); // not a string value
    registry.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\VANTORIN\\CORALUME", "version", "205");
    EXPECT_EQ(installation::ReadVersionText(registry), "205"); // names ignore case

    EXPECT_EQ(installation::GetVersionNumber("100"), 100);
    EXPECT_EQ(installation::GetVersionString("100"), "1.00");
    EXPECT_EQ(installation::GetVersionString("205"), "2.05");
    EXPECT_EQ(installation::GetVersionString(""), "");
}

TEST(Registry, FileRoundTripAndHostileLines)
{
    TemporaryDirectory directory;
    std::string const file = directory.Path() + "/nested/registry";
    platform::Registry registry;
    registry.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0", "InstallPath", "/opt/a=b c");
    registry.SetNumber("HKEY_LOCAL_MACHINE\\Software\\Vantorin\\Coralume", "Count", 7);
    ASSERT_TRUE(registry.Save(file));

    platform::Registry loaded;
    ASSERT_TRUE(loaded.Load(file));
    platform::RegistryValue const* path =
        loaded.FindValue("hkey_local_machine\\software\\vantorin\\coralume\\0\\", "installpath");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->text, "/opt/a=b c");
    platform::RegistryValue const* count =
        loaded.FindValue("HKEY_LOCAL_MACHINE\\Software\\Vantorin\\Coralume", "Count");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->type, platform::RegistryValueType::Number);
    EXPECT_EQ(count->number, 7u);

    directory.Write("junk", "value=before any key\n[unterminated\n=no name\nnoequals\n\r\n[K]\r\nA=1\r\n");
    platform::Registry junk;
    ASSERT_TRUE(junk.Load(directory.Path() + "/junk"));
    EXPECT_FALSE(junk.HasKey("value"));
    EXPECT_TRUE(junk.HasKey("unterminated"));
    ASSERT_NE(junk.FindValue("K", "A"), nullptr);
    EXPECT_EQ(junk.FindValue("K", "A")->text, "1");

    EXPECT_FALSE(junk.Load(directory.Path() + "/absent"));
    EXPECT_FALSE(junk.HasKey("K"));
}

TEST(Registry, DefaultPathFollowsTheEnvironment)
{
    setenv("CORALUME_REGISTRY", "/tmp/explicit-registry", 1);
    EXPECT_EQ(platform::Registry::GetDefaultPath(), "/tmp/explicit-registry");
    unsetenv("CORALUME_REGISTRY");
    std::string const fallback = platform::Registry::GetDefaultPath();
    EXPECT_NE(fallback.find("registry"), std::string::npos);
}
