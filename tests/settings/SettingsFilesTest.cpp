#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

#include "FishSelection.h"
#include "SettingsFile.h"
#include "core/Config.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"

namespace
{

namespace fs = std::filesystem;

class SettingsFilesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        auto const* test = testing::UnitTest::GetInstance()->current_test_info();
        directory = fs::temp_directory_path() /
                    ("coralume-settings-" + std::string(test->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    }

    void WriteBytes(fs::path const& path, std::vector<std::uint8_t> const& bytes)
    {
        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    fs::path directory;
};

TEST_F(SettingsFilesTest, ValuesReplaceTheirLinesAndEveryOtherLineStays)
{
    std::string const path = (directory / "Coralume.ini").string();
    std::ofstream(path)
        << "// the tank\ng_fish_areas_count 2\nG_Exit_Mode 3 // any key\ns_sound_volume 0.2500\n";
    CSettingsFile file;
    ASSERT_TRUE(file.Load(path));
    EXPECT_EQ(file.GetValue("g_exit_mode", "2"), "3");
    EXPECT_EQ(file.GetValue("g_debug_mode", "0"), "0");
    SSavedSettings settings = SSavedSettings::Read(file);
    EXPECT_EQ(settings.exitMode, 3);
    EXPECT_FLOAT_EQ(settings.volume, 0.25f);
    EXPECT_TRUE(settings.playBubblesSound);
    settings.exitMode = 0;
    settings.playBubblesSound = false;
    settings.videoMode = "1024x768x32";
    EXPECT_EQ(settings.monitorLayout, "auto");
    settings.monitorLayout = "span";
    settings.Write(&file);
    ASSERT_TRUE(file.Save(path));
    CSettingsFile again;
    again.Load(path);
    std::vector<std::string> const& lines = again.GetLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "// the tank");
    EXPECT_EQ(lines[1], "g_fish_areas_count 2");
    EXPECT_EQ(lines[2], "g_exit_mode 0");
    EXPECT_EQ(lines[3], "s_sound_volume 0.2500");
    EXPECT_EQ(again.GetValue("g_play_bubles_sound", ""), "0");
    EXPECT_EQ(again.GetValue("v_mode", ""), "1024x768x32");
    EXPECT_EQ(again.GetValue("g_monitor_layout", ""), "span");
}

TEST_F(SettingsFilesTest, EditsTheLineTheEngineUses)
{
    // The engine applies every line, so the last one of a name is in effect; a byte-order
    // mark before the first is no part of its name.
    std::string const path = (directory / "Coralume.ini").string();
    std::ofstream(path) << "\xEF\xBB\xBFg_exit_mode 1\ng_exit_mode 3\n";
    CSettingsFile file;
    ASSERT_TRUE(file.Load(path));
    EXPECT_EQ(file.GetValue("g_exit_mode", ""), "3");
    file.SetValue("g_exit_mode", "0");
    EXPECT_EQ(file.GetLines(), (std::vector<std::string>{"g_exit_mode 1", "g_exit_mode 0"}));
}

TEST_F(SettingsFilesTest, ValuesOutOfRangeAreBroughtIntoIt)
{
    CSettingsFile file;
    file.SetValue("g_exit_mode", "17");
    file.SetValue("g_wallpaper_priority", "-4");
    file.SetValue("s_sound_volume", "3.5");
    SSavedSettings const settings = SSavedSettings::Read(file);
    EXPECT_EQ(settings.exitMode, 2);
    EXPECT_EQ(settings.wallpaperPriority, 0);
    EXPECT_FLOAT_EQ(settings.volume, 1.0f);
}

// The program's next run reads what the Settings program saved, through the engine's own
// configuration file reader.
TEST_F(SettingsFilesTest, TheEngineReadsTheSavedFile)
{
    CSettingsFile file;
    SSavedSettings settings;
    settings.exitMode = 4;
    settings.debugMode = true;
    settings.playBubblesSound = false;
    settings.wallpaperPriority = 3;
    settings.volume = 0.7f;
    settings.videoMode = "800x600x32";
    settings.Write(&file);
    ASSERT_TRUE(file.Save((directory / "Coralume.ini").string()));

    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
    CConfig config;
    messages.Create("SettingsTest", false, nullptr);
    memory.Create(&messages);
    files.Create(&messages, &memory, directory.c_str(), nullptr);
    config.Create(&messages, &memory, &files, directory.c_str(), "Coralume", "desktop");
    config.Load();
    int exitMode = 0, priority = 0;
    bool debug = false, bubbles = true;
    config.CreateCommand("g_exit_mode", CCT_INT, false, true, &exitMode, "2");
    config.CreateCommand("g_debug_mode", CCT_BOOL, false, true, &debug, "0");
    config.CreateCommand("g_play_bubles_sound", CCT_BOOL, false, true, &bubbles, "1");
    config.CreateCommand("g_wallpaper_priority", CCT_INT, false, true, &priority, "9");
    EXPECT_EQ(exitMode, 4);
    EXPECT_TRUE(debug);
    EXPECT_FALSE(bubbles);
    EXPECT_EQ(priority, 3);
    EXPECT_STREQ(config.GetValue("v_mode"), "800x600x32");
    EXPECT_NEAR(config.GetValueAsFloat("s_sound_volume"), 0.7f, 1e-4f);
    config.Destroy();
    files.Destroy();
    memory.Destroy();
    messages.Destroy();
}

TEST_F(SettingsFilesTest, FishSelectionRoundTrip)
{
    SFishSelection selection;
    selection.slots[0] = {SFishSelection::EmptyKind, 0};
    selection.slots[3] = {SFishSelection::FirstPackKind + 1, 4};
    selection.unique = false;
    selection.packsEnabled = {0, 1};
    std::string const path = (directory / "fishes.dat").string();
    ASSERT_TRUE(selection.Write(path));
    EXPECT_EQ(fs::file_size(path), 80u + 1u + 4u + 2u);
    SFishSelection const read = SFishSelection::Read(path, 2);
    EXPECT_EQ(read.slots[0].kind, SFishSelection::EmptyKind);
    EXPECT_EQ(read.slots[1].kind, SFishSelection::RandomKind);
    EXPECT_EQ(read.slots[3].kind, 3);
    EXPECT_EQ(read.slots[3].number, 4);
    EXPECT_FALSE(read.unique);
    EXPECT_EQ(read.packsEnabled, (std::vector<std::uint8_t>{0, 1}));
}

TEST_F(SettingsFilesTest, FishSelectionForOtherPacksOrTruncatedEnablesEveryPack)
{
    SFishSelection selection;
    selection.packsEnabled = {0, 1};
    std::string const path = (directory / "fishes.dat").string();
    selection.Write(path);
    EXPECT_EQ(SFishSelection::Read(path, 3).packsEnabled, (std::vector<std::uint8_t>{1, 1, 1}));
    selection.packsEnabled = {0, 0};
    selection.Write(path);
    EXPECT_EQ(SFishSelection::Read(path, 2).packsEnabled, (std::vector<std::uint8_t>{1, 1}));
    // A file that ends inside the slots gives the defaults; one that ends inside the pack
    // bytes keeps the slots but enables every pack.
    WriteBytes(path, std::vector<std::uint8_t>(40, 0));
    SFishSelection const shortFile = SFishSelection::Read(path, 2);
    EXPECT_EQ(shortFile.slots[0].kind, SFishSelection::RandomKind);
    std::vector<std::uint8_t> bytes(85, 0);
    bytes[81] = 5; // written for five packs, with no bytes for them
    WriteBytes(path, bytes);
    SFishSelection const lying = SFishSelection::Read(path, 5);
    EXPECT_EQ(lying.slots[0].kind, SFishSelection::EmptyKind);
    EXPECT_EQ(lying.packsEnabled, (std::vector<std::uint8_t>(5, 1)));
}

std::vector<std::uint8_t> FishPackFile(std::string const& title, std::int32_t count)
{
    std::string text(1, static_cast<char>(title.size() + 1));
    text += title;
    text.push_back('\0');
    for (int i = 0; i < 4; ++i)
        text.push_back(static_cast<char>(count >> (8 * i)));
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST_F(SettingsFilesTest, FishPacksInTheEnginesOrderSkippingDamagedFiles)
{
    // The pack file with one folder per fish beside it.
    auto pack = [this](std::string const& name, std::string const& title, std::int32_t count) {
        for (int fish = 0; fish < count; ++fish)
            std::filesystem::create_directories(directory / "packs" / name /
                                                ("Fish " + std::to_string(fish)));
        return FishPackFile(title, count);
    };
    WriteBytes(directory / "packs" / "reef.fsp", pack("reef", "Reef Fishes", 6));
    WriteBytes(directory / "packs" / "Lagoon.fsp", pack("Lagoon", "Lagoon Fishes", 3));
    WriteBytes(directory / "packs" / "broken.fsp", {200, 'a', 'b'}); // a title longer than the file
    WriteBytes(directory / "packs" / "notes.txt", FishPackFile("Not a pack", 1));
    std::vector<SFishPack> const packs = FindFishPacks((directory / "packs").string());
    ASSERT_EQ(packs.size(), 2u);
    EXPECT_EQ(packs[0].name, "Lagoon");
    EXPECT_EQ(packs[0].title, "Lagoon Fishes");
    EXPECT_EQ(packs[0].fishCount, 3);
    EXPECT_EQ(packs[1].name, "reef");
    EXPECT_EQ(packs[1].fishCount, 6);
}

TEST_F(SettingsFilesTest, FishPackCountsNoMoreFishThanItsFolderHolds)
{
    WriteBytes(directory / "packs" / "huge.fsp", FishPackFile("Huge", 0x7FFFFFFF));
    for (int fish = 0; fish < 2; ++fish)
        std::filesystem::create_directories(directory / "packs" / "huge" / ("Fish " + std::to_string(fish)));
    WriteBytes(directory / "packs" / "none.fsp", FishPackFile("None", 5));
    std::vector<SFishPack> const packs = FindFishPacks((directory / "packs").string());
    ASSERT_EQ(packs.size(), 2u);
    EXPECT_EQ(packs[0].fishCount, 2);
    EXPECT_EQ(packs[1].fishCount, 0);
}

} // namespace
