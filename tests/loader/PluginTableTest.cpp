#include "PluginTable.h"
#include "LoaderFixture.h"

#include "Lagoonix.h"
#include "core/Errors.h"
#include "platform/os/FileSystem.h"

#include <gmock/gmock.h>

#include <elf.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace
{
// Sets the value of the first dynamic entry with `tag` in a 64-bit library; false when none.
bool RewriteDynamicEntry(std::string const& path, Elf64_Sxword tag, Elf64_Xword value)
{
    std::vector<char> bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    Elf64_Ehdr header;
    std::memcpy(&header, bytes.data(), sizeof header);
    for (unsigned int i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        std::memcpy(&segment, bytes.data() + header.e_phoff + i * sizeof segment, sizeof segment);
        if (segment.p_type != PT_DYNAMIC)
            continue;
        for (Elf64_Off at = segment.p_offset; at + sizeof(Elf64_Dyn) <= segment.p_offset + segment.p_filesz;
             at += sizeof(Elf64_Dyn)) {
            Elf64_Dyn entry;
            std::memcpy(&entry, bytes.data() + at, sizeof entry);
            if (entry.d_tag != tag)
                continue;
            entry.d_un.d_val = value;
            std::memcpy(bytes.data() + at, &entry, sizeof entry);
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            return true;
        }
    }
    return false;
}
} // namespace

class PluginTableTest : public LoaderFixture
{
protected:
    void SetUp() override
    {
        LoaderFixture::SetUp();
        m_table.SetProbeProgram(CORALUME_PLUGIN_PROBE);
    }

    // Nothing the plug-in registered can be reached any more, by the console or a reset.
    void ExpectSharedEntriesGone()
    {
        CConfig* config = m_engine.GetConfig();
        EXPECT_EQ(config->ExecuteCommand("g_shared_count 7").code, CER_UNKNOWN);
        EXPECT_EQ(config->ExecuteCommand("g_shared_command").code, CER_UNKNOWN);
        config->ExecuteCommand("reset_config");
        config->Refresh();
        for (unsigned int i = 0; i < config->GetCommandsCount(); ++i)
            EXPECT_NE(config->GetCommandName(i).rfind("g_shared", 0), 0u) << config->GetCommandName(i);
    }

    static std::string const& RemovedWarning()
    {
        static std::string const text = "Warning: g_shared_count is read after the plugin that registered it "
                                        "was unloaded; it reads as unset!";
        return text;
    }
    void InstallEnabled(char const* name, std::string const& base = "")
    {
        std::string const file = base.empty() ? name : base;
        InstallPlugin(name, file + ".so");
        WriteDescriptor(file, Descriptor(true, "text one", "text two"));
    }

    void LoadOrderStart()
    {
        m_table.FindAndLoad(&m_engine);
        m_table.OrderByPriority(&m_engine);
        m_table.Start(&m_engine);
        TakeMessages();
    }

    CPluginTable m_table;
};

TEST_F(PluginTableTest, RefreshesByPriorityWhateverTheFolderOrder)
{
    // Listed alphabetically: fish (0), plankton (600), starfish (500) under names that
    // put them in yet another order.
    InstallEnabled("plankton", "c_plankton");
    InstallEnabled("fish", "a_fish");
    InstallEnabled("starfish", "b_starfish");
    m_table.FindAndLoad(&m_engine);
    ASSERT_EQ(m_table.GetCount(), 3);
    m_table.OrderByPriority(&m_engine);
    m_table.Start(&m_engine);
    EXPECT_THAT(TakeMessages(), ElementsAre("create plankton camera given", "create starfish camera given",
                                            "create fish camera given"));
    m_table.RefreshAll();
    EXPECT_THAT(TakeMessages(), ElementsAre("refresh plankton", "refresh starfish", "refresh fish"));

    m_table.UnloadAll();
    EXPECT_THAT(TakeMessages(), ElementsAre("destroy plankton", "destroy starfish", "destroy fish"));
    EXPECT_EQ(m_table.GetCount(), 0);
    EXPECT_EQ(m_table.GetLibrary(0), reinterpret_cast<platform::HMODULE>(~std::uintptr_t{0}));
    EXPECT_EQ(m_table.GetInstance(0), nullptr);
}

TEST_F(PluginTableTest, InstancesAndLibrariesMoveTogether)
{
    InstallEnabled("fish", "a_fish");
    InstallEnabled("plankton", "b_plankton");
    m_table.FindAndLoad(&m_engine);
    m_table.OrderByPriority(&m_engine);
    using Priority = int (*)();
    auto const priority0 = reinterpret_cast<Priority>(
        platform::FindLibraryExport(m_table.GetLibrary(0), CPluginTable::PriorityExport));
    auto const priority1 = reinterpret_cast<Priority>(
        platform::FindLibraryExport(m_table.GetLibrary(1), CPluginTable::PriorityExport));
    ASSERT_NE(priority0, nullptr);
    ASSERT_NE(priority1, nullptr);
    EXPECT_EQ(priority0(), 600);
    EXPECT_EQ(priority1(), 0);
    m_table.Start(&m_engine);
    TakeMessages();
    m_table.RefreshAll();
    EXPECT_THAT(TakeMessages(), ElementsAre("refresh plankton", "refresh fish"));
    m_table.UnloadAll();
}

TEST_F(PluginTableTest, EqualPrioritiesKeepTheirOrder)
{
    InstallEnabled("equal_first", "a_first");
    InstallEnabled("equal_second", "b_second");
    InstallEnabled("fish", "c_fish");
    LoadOrderStart();
    m_table.RefreshAll();
    EXPECT_THAT(TakeMessages(), ElementsAre("refresh equal_first", "refresh equal_second", "refresh fish"));
    m_table.UnloadAll();
}

TEST_F(PluginTableTest, SelectionSortOrderOfEqualPrioritiesAfterASwap)
{
    // fish (0), equal_first (100), equal_second (100), plankton (600): plankton is swapped to
    // the front, fish to position 3, and the two equal ones keep their relative order.
    InstallEnabled("fish", "a");
    InstallEnabled("equal_first", "b");
    InstallEnabled("equal_second", "c");
    InstallEnabled("plankton", "d");
    LoadOrderStart();
    m_table.RefreshAll();
    EXPECT_THAT(TakeMessages(), ElementsAre("refresh plankton", "refresh equal_first", "refresh equal_second",
                                            "refresh fish"));
    m_table.UnloadAll();
}

TEST_F(PluginTableTest, DisabledPluginIsNeverLoaded)
{
    unsetenv("CORALUME_TEST_LOADED_starfish");
    InstallPlugin("starfish");
    WriteDescriptor("starfish", Descriptor(false));
    m_table.FindAndLoad(&m_engine);
    EXPECT_EQ(m_table.GetCount(), 0);
    EXPECT_THAT(TakeMessages(), ElementsAre("plugin " + PluginPath("starfish.so") + " disabled"));
    EXPECT_EQ(std::getenv("CORALUME_TEST_LOADED_starfish"), nullptr);
}

TEST_F(PluginTableTest, FailuresAreLoggedAndSkipped)
{
    InstallEnabled("missing_create");
    InstallEnabled("missing_type");
    InstallEnabled("null_object");
    InstallEnabled("fish");
    m_table.FindAndLoad(&m_engine);
    ASSERT_EQ(m_table.GetCount(), 1);
    EXPECT_THAT(TakeMessages(MT_ERROR),
                ElementsAre("Error: cannot find plugin " + PluginPath("missing_create.so") + " entry point!",
                            "Error: cannot find plugin " + PluginPath("missing_type.so") + " entry point!",
                            "Error: cannot create plugin " + PluginPath("null_object.so") + " instance!"));
    m_table.OrderByPriority(&m_engine);
    m_table.Start(&m_engine);
    TakeMessages();
    m_table.RefreshAll();
    EXPECT_THAT(TakeMessages(), ElementsAre("refresh fish"));
    m_table.UnloadAll();
}

TEST_F(PluginTableTest, LibraryThatDoesNotLoad)
{
    WriteDescriptor("broken", Descriptor(true));
    std::FILE* file = std::fopen((m_installPath + "/Plugins/broken.so").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("not a library", file);
    std::fclose(file);
    m_table.FindAndLoad(&m_engine);
    EXPECT_EQ(m_table.GetCount(), 0);
    EXPECT_THAT(TakeMessages(MT_ERROR),
                ElementsAre("Error: can not load plugin " + PluginPath("broken.so") + ", error: 193!"));
}

TEST_F(PluginTableTest, LibraryCutShortIsRefusedBeforeLoading)
{
    InstallEnabled("fish", "cut");
    std::filesystem::resize_file(m_installPath + "/Plugins/cut.so", 3000);
    m_table.FindAndLoad(&m_engine);
    EXPECT_EQ(m_table.GetCount(), 0);
    EXPECT_THAT(TakeMessages(MT_ERROR),
                ElementsAre("Error: can not load plugin " + PluginPath("cut.so") + ", error: 193!"));
}

TEST_F(PluginTableTest, LibraryMissingOnlyItsSectionTableIsRefused)
{
    // The section table ends the file: without its last byte every loaded segment is still
    // whole, yet the file is damaged.
    InstallEnabled("fish", "tail");
    std::string const path = m_installPath + "/Plugins/tail.so";
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 1);
    m_table.FindAndLoad(&m_engine);
    EXPECT_EQ(m_table.GetCount(), 0);
    EXPECT_THAT(TakeMessages(MT_ERROR),
                ElementsAre("Error: can not load plugin " + PluginPath("tail.so") + ", error: 193!"));
}

TEST_F(PluginTableTest, MissingOrMalformedDescriptorSkipsThePlugin)
{
    InstallPlugin("fish"); // no descriptor at all
    InstallPlugin("starfish");
    WriteDescriptor("starfish", {0x01}); // too short for the enabled byte
    InstallPlugin("plankton");
    WriteDescriptor("plankton", {}); // empty
    m_table.FindAndLoad(&m_engine);
    EXPECT_EQ(m_table.GetCount(), 0);
    std::vector<std::string> const errors = TakeMessages(MT_ERROR);
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_THAT(errors[0], HasSubstr("fish.dat"));
    EXPECT_THAT(errors[1], HasSubstr("plankton.dat"));
    EXPECT_THAT(errors[2], HasSubstr("starfish.dat"));
}

TEST_F(PluginTableTest, PluginThatThrowsIsLoggedAndLeftOut)
{
    InstallEnabled("throwing_create");
    InstallEnabled("throwing_refresh");
    InstallEnabled("fish");
    m_table.FindAndLoad(&m_engine);
    m_table.OrderByPriority(&m_engine);
    m_table.Start(&m_engine);
    EXPECT_THAT(
        TakeMessages(),
        ElementsAre("Error: plugin " + PluginPath("throwing_create.so") + " failed in Create: create broke!",
                    "create throwing_refresh camera given", "create fish camera given"));
    m_table.RefreshAll();
    m_table.RefreshAll();
    EXPECT_EQ(m_table.GetCount(), 1);
    EXPECT_THAT(TakeMessages(), ElementsAre("Error: plugin " + PluginPath("throwing_refresh.so") +
                                                " failed in Refresh: refresh broke!",
                                            "destroy throwing_refresh", "refresh fish", "refresh fish"));
    m_table.UnloadAll();
    EXPECT_THAT(TakeMessages(), ElementsAre("destroy fish"));
}

TEST_F(PluginTableTest, MissingPriorityFunctionIsFatal)
{
    InstallEnabled("fish", "a_fish");
    InstallEnabled("missing_priority", "b_missing_priority");
    m_table.FindAndLoad(&m_engine);
    ASSERT_EQ(m_table.GetCount(), 2);
    TakeMessages();
    try {
        m_table.OrderByPriority(&m_engine);
        FAIL() << "no fatal error";
    } catch (CFatalError const& error) {
        EXPECT_STREQ(error.GetText(),
                     "some plugin is damaged: cannot find priority function in DLL. plugin index is 1");
    }
    EXPECT_THAT(TakeMessages(MT_FATAL_ERROR),
                ElementsAre("PROGRAM ABORTING: some plugin is damaged: cannot find priority function in DLL. "
                            "plugin index is 1"));
    // Never started, so unloading deletes the objects without calling Destroy.
    m_table.UnloadAll();
    EXPECT_THAT(TakeMessages(), IsEmpty());
    EXPECT_EQ(m_table.GetCount(), 0);
}

TEST_F(PluginTableTest, NoPluginsFolderMeansNoPlugins)
{
    platform::RemoveTree(m_installPath + "/Plugins");
    m_table.FindAndLoad(&m_engine);
    EXPECT_EQ(m_table.GetCount(), 0);
    EXPECT_THAT(TakeMessages(), IsEmpty());
}

TEST_F(PluginTableTest, OtherFilesInTheFolderAreIgnored)
{
    WriteDescriptor("notes", Descriptor(true));
    InstallEnabled("fish");
    m_table.FindAndLoad(&m_engine);
    EXPECT_EQ(m_table.GetCount(), 1);
    EXPECT_THAT(TakeMessages(), IsEmpty());
    m_table.UnloadAll();
}

TEST_F(PluginTableTest, MacroDefinedExports)
{
    InstallEnabled("macro_defined");
    m_table.FindAndLoad(&m_engine);
    ASSERT_EQ(m_table.GetCount(), 1);
    platform::HMODULE const library = m_table.GetLibrary(0);
    using IntFunction = int (*)();
    using TextFunction = void (*)(char*);
    auto const priority = reinterpret_cast<IntFunction>(
        platform::FindLibraryExport(library, "?GetAquariumPluginPriority@@YAHXZ"));
    auto const type =
        reinterpret_cast<IntFunction>(platform::FindLibraryExport(library, "?GetAquariumPluginType@@YAHXZ"));
    auto const version =
        reinterpret_cast<IntFunction>(platform::FindLibraryExport(library, "?GetPluginVersion@@YAHXZ"));
    auto const shortText =
        reinterpret_cast<TextFunction>(platform::FindLibraryExport(library, "?GetShortDesription@@YAXPAD@Z"));
    auto const longText =
        reinterpret_cast<TextFunction>(platform::FindLibraryExport(library, "?GetLongDesription@@YAXPAD@Z"));
    auto const destroy = reinterpret_cast<void (*)(CLagoonix*)>(
        platform::FindLibraryExport(library, "?DestroyObject@@YAXPAVCLagoonix@@@Z"));
    ASSERT_TRUE(priority && type && version && shortText && longText && destroy);
    EXPECT_EQ(priority(), 7);
    EXPECT_EQ(type(), 2);
    EXPECT_EQ(version(), 100);
    char text[64] = {};
    shortText(text);
    EXPECT_STREQ(text, "Macro Plugin v1.0");
    longText(text);
    EXPECT_STREQ(text, "Macro Plugin v1.0");
    destroy(nullptr); // does nothing
    m_table.UnloadAll();
}

TEST_F(PluginTableTest, LibraryWhoseDynamicSectionLiesIsRefusedAndTheOthersRun)
{
    InstallEnabled("fish", "a_lying");
    ASSERT_TRUE(RewriteDynamicEntry(m_installPath + "/Plugins/a_lying.so", DT_STRTAB, 0x7ff000000000));
    InstallEnabled("fish", "b_fish");
    m_table.FindAndLoad(&m_engine);
    EXPECT_EQ(m_table.GetCount(), 1);
    EXPECT_THAT(TakeMessages(MT_ERROR),
                ElementsAre("Error: can not load plugin " + PluginPath("a_lying.so") + ", error: 193!"));
    m_table.UnloadAll();
}

TEST_F(PluginTableTest, LibraryWhoseInitialiserCrashesIsRefused)
{
    InstallEnabled("crashing_initialiser");
    m_table.FindAndLoad(&m_engine);
    EXPECT_EQ(m_table.GetCount(), 0);
    EXPECT_THAT(TakeMessages(MT_ERROR), ElementsAre("Error: can not load plugin " +
                                                    PluginPath("crashing_initialiser.so") + ", error: 193!"));
}

TEST_F(PluginTableTest, EntriesOfAPluginFailingInCreateLeaveWithIt)
{
    InstallEnabled("fails_in_create");
    InstallEnabled("reading");
    m_table.FindAndLoad(&m_engine);
    m_table.OrderByPriority(&m_engine);
    m_table.Start(&m_engine);
    EXPECT_THAT(TakeMessages(), ElementsAre("create fails_in_create camera given",
                                            "Error: plugin " + PluginPath("fails_in_create.so") +
                                                " failed in Create: create broke!",
                                            "destroy fails_in_create", RemovedWarning(), "read \"\""));
    m_table.RefreshAll();
    m_table.RefreshAll();
    EXPECT_EQ(m_table.GetCount(), 1);
    EXPECT_THAT(TakeMessages(), ElementsAre("read \"\"", "read \"\""));
    ExpectSharedEntriesGone();
    m_table.UnloadAll();
}

TEST_F(PluginTableTest, EntriesOfAPluginFailingInRefreshLeaveWithItAndReadAsUnset)
{
    InstallEnabled("fails_in_refresh");
    InstallEnabled("reading");
    LoadOrderStart();
    m_table.RefreshAll();
    m_table.RefreshAll();
    EXPECT_EQ(m_table.GetCount(), 1);
    EXPECT_THAT(TakeMessages(),
                ElementsAre("Error: plugin " + PluginPath("fails_in_refresh.so") +
                                " failed in Refresh: refresh broke!",
                            "destroy fails_in_refresh", RemovedWarning(), "read \"\"", "read \"\""));
    ExpectSharedEntriesGone();
    m_table.UnloadAll();
}

TEST_F(PluginTableTest, RestartUnloadsAPluginFailingInDestroyWithItsEntries)
{
    InstallEnabled("fails_in_destroy");
    InstallEnabled("reading");
    LoadOrderStart();
    m_table.RefreshAll();
    EXPECT_THAT(TakeMessages(), ElementsAre("refresh fails_in_destroy", "read \"42\""));
    m_table.Restart(&m_engine);
    EXPECT_EQ(m_table.GetCount(), 1);
    EXPECT_THAT(TakeMessages(), ElementsAre("destroy fails_in_destroy",
                                            "Error: plugin " + PluginPath("fails_in_destroy.so") +
                                                " failed in Destroy: destroy broke!",
                                            RemovedWarning(), "read \"\""));
    ExpectSharedEntriesGone();
    m_table.UnloadAll();
}

TEST_F(PluginTableTest, EntriesOfAPluginFailingInDestroyAtShutdownLeaveWithIt)
{
    InstallEnabled("fails_in_destroy");
    LoadOrderStart();
    m_table.UnloadAll();
    EXPECT_THAT(TakeMessages(MT_ERROR), Contains("Error: plugin " + PluginPath("fails_in_destroy.so") +
                                                 " failed in Destroy: destroy broke!"));
    ExpectSharedEntriesGone();
}
