#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

std::string ReadText(fs::path const& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// `cmake --install` of this build tree into a private prefix, as a package build would; one
// installation serves every test.
class InstallTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        fs::path const build = fs::path(CORALUME_STAGE_DIR).parent_path();
        if (!fs::exists(build / "cmake_install.cmake") ||
            !fs::exists(fs::path(CORALUME_STAGE_DIR) / "coralume") ||
            !fs::exists(fs::path(CORALUME_STAGE_DIR) / "Data" / "Coralume.ini"))
            return;
        prefix = fs::temp_directory_path() / ("coralume-install-" + std::to_string(::getpid()));
        fs::remove_all(prefix);
        std::string const command =
            "cmake --install '" + build.string() + "' --prefix '" + prefix.string() + "' > /dev/null";
        installed = std::system(command.c_str()) == 0;
        folder = prefix / "lib" / "coralume";
    }

    static void TearDownTestSuite()
    {
        std::error_code ignored;
        if (!prefix.empty())
            fs::remove_all(prefix, ignored);
    }

    void SetUp() override
    {
        if (prefix.empty())
            GTEST_SKIP() << "program or content not built";
        ASSERT_TRUE(installed) << "cmake --install failed";
    }

    static inline fs::path prefix;
    static inline fs::path folder;
    static inline bool installed = false;

    // The run path recorded in an ELF file, as readelf reports it.
    static std::string RunPath(fs::path const& file)
    {
        std::string const command = "readelf -d '" + file.string() + "' 2>/dev/null | grep -i 'path'";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string text;
        char buffer[512];
        while (pipe && std::fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        if (pipe)
            ::pclose(pipe);
        return text;
    }
};

TEST_F(InstallTest, LaysOutProgramLibrariesPlugInsDataAndRegistry)
{
    for (char const* file :
         {"coralume", "libTidewell.so", "libLagoonix.so", "registry", "Data/Coralume.ini", "Data/fishes.dat",
          "Data/Models/tank_sand.mlf", "Plugins/Tank.so", "Plugins/Tank.dat", "Plugins/StarFish.so",
          "Plugins/StarFish.dat", "Settings", "Data/Textures/Settings/button0.tga"})
        EXPECT_TRUE(fs::exists(folder / file)) << file;
    // The registry names the installation relative to the program, so the tree may move.
    std::string const registry = ReadText(folder / "registry");
    EXPECT_NE(registry.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\0]\nInstallPath=.\n"),
              std::string::npos)
        << registry;
    EXPECT_NE(registry.find("Version=100"), std::string::npos);
    // The command on the path and the screen-saver hack lead to the installed program.
    EXPECT_EQ(fs::canonical(prefix / "bin" / "coralume"), fs::canonical(folder / "coralume"));
    EXPECT_EQ(fs::canonical(prefix / "libexec" / "xscreensaver" / "coralume"),
              fs::canonical(folder / "coralume"));
}

TEST_F(InstallTest, BinariesFindTheirLibrariesRelativeToThemselves)
{
    for (fs::path const& file :
         {folder / "coralume", folder / "Plugins" / "Tank.so", folder / "Plugins" / "StarFish.so"}) {
        std::string const path = RunPath(file);
        if (path.empty())
            GTEST_SKIP() << "readelf not available";
        EXPECT_NE(path.find("$ORIGIN"), std::string::npos) << file << ": " << path;
        // Nothing points back into the build tree.
        EXPECT_EQ(path.find(CORALUME_STAGE_DIR), std::string::npos) << file << ": " << path;
    }
}

TEST_F(InstallTest, DesktopEntriesStartTheProgram)
{
    std::string const application = ReadText(prefix / "share" / "applications" / "coralume.desktop");
    EXPECT_NE(application.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
    EXPECT_NE(application.find("\nExec=coralume -window\n"), std::string::npos);
    EXPECT_NE(application.find("\nExec=coralume -root\n"), std::string::npos);
    std::string const settings = ReadText(prefix / "share" / "applications" / "coralume-settings.desktop");
    EXPECT_NE(settings.find("\nExec=coralume /c\n"), std::string::npos);
    std::string const hack = ReadText(prefix / "share" / "xscreensaver" / "config" / "coralume.xml");
    EXPECT_NE(hack.find("<screensaver name=\"coralume\""), std::string::npos);
}

} // namespace
