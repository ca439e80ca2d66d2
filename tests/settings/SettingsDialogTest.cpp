#include <gtest/gtest.h>

#include <memory>

#include "FishSelection.h"
#include "SettingsDialog.h"
#include "SettingsFile.h"
#include "SettingsHelp.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIComboBox.h"
#include "gui/GUIHost.h"
#include "gui/GUISlider.h"
#include "input/Controls.h"

using namespace gui_test;

namespace
{

namespace fs = std::filesystem;

// The dialog on the scripted device, driven by injected input: each frame sets MOUSE1 and keys in
// the controls' state and refreshes the GUI through its manager with the pointer where the test
// puts it.
class SettingsDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!CGUIHost::HasDisplay())
            GTEST_SKIP() << "needs an X display";
        host = std::make_unique<CGUIHost>(true, "settings");
        gui = host->gui;
        gui->SetScreenSize(CSettingsDialog::Width, CSettingsDialog::Height);
        fs::create_directories(host->directory / "Data" / "FishPacks");
        std::vector<unsigned char> pack{12};
        for (char c : std::string("Reef Fishes"))
            pack.push_back(static_cast<unsigned char>(c));
        pack.insert(pack.end(), {0, 4, 0, 0, 0});
        host->WriteFile("Data/FishPacks/Reef.fsp", pack);
        for (int fish = 0; fish < 4; ++fish)
            fs::create_directories(host->directory / "Data" / "FishPacks" / "Reef" /
                                   ("Fish " + std::to_string(fish)));
        std::ofstream(host->directory / "Data" / "Coralume.ini")
            << "g_fish_areas_count 2\ng_play_bubles_sound 1\n";
        paths = SSettingsPaths::ForInstallation(host->directory.string());

        look.panel = host->WhiteShader();
        look.button = look.checkBox = host->ButtonShader();
        look.comboBox = look.list = look.slider = look.toddler = host->WhiteShader();
        look.fontId = gui->AddFont(host->WhiteShader(), CGUIHost::FontFile);
        dialog.Create(&host->engine, look, paths);
    }

    void TearDown() override
    {
        dialog.Destroy();
        host.reset();
    }

    void Frame(CVector2 cursor, bool down)
    {
        host->SetKey(Mouse1Index, down);
        gui->Refresh(cursor);
        dialog.Refresh();
        host->controls->FinishFrame();
    }

    // A key pressed and released, with the pointer away from every widget.
    void Key(unsigned int index, bool shift = false)
    {
        host->SetKey(ShiftIndex, shift);
        host->SetKey(index, true);
        Frame(Away, false);
        host->SetKey(index, false);
        Frame(Away, false);
        host->SetKey(ShiftIndex, false);
    }

    // Opens a combo box and clicks the row of an item (scrolling the list to it first).
    void Choose(unsigned int id, int item)
    {
        CGUIComboBox* combo = gui->GetComboBox(id);
        Click(CentreOf(id));
        ASSERT_TRUE(combo->IsOpened());
        CVector2 row;
        while (!combo->GetItemRowPosition(static_cast<unsigned int>(item), &row))
            Key(DownIndex);
        Click(row + CVector2(combo->GetSize().x * 0.5f, combo->GetSize().y * 0.5f));
        EXPECT_FALSE(combo->IsOpened());
        EXPECT_EQ(combo->GetSelectedItemIndex(), item);
    }

    static constexpr unsigned int EscapeIndex = 0x01;
    static constexpr unsigned int EnterIndex = 0x1C;
    static constexpr unsigned int TabIndex = 0x0F;
    static constexpr unsigned int ShiftIndex = 0x2A;
    static constexpr unsigned int DownIndex = 0xD0;
    static constexpr unsigned int RightIndex = 0xCD;
    CVector2 const Away = CVector2(5.0f, 595.0f);

    void Click(CVector2 at)
    {
        Frame(at, false);
        Frame(at, true);
        Frame(at, false);
    }

    CVector2 CentreOf(unsigned int id) const
    {
        CGUIWindow* widget = gui->GetWindow(id);
        return widget->GetAbsolutePosition() + widget->GetSize() * 0.5f;
    }

    std::unique_ptr<CGUIHost> host;
    CGUIManager* gui = nullptr;
    SSettingsPaths paths;
    SSettingsLook look;
    CSettingsDialog dialog;
};

TEST_F(SettingsDialogTest, ShowsTheSavedValues)
{
    EXPECT_TRUE(gui->GetCheckBox(dialog.GetBubblesCheckBoxId())->IsChecked());
    EXPECT_FALSE(gui->GetCheckBox(dialog.GetDebugCheckBoxId())->IsChecked());
    EXPECT_EQ(gui->GetComboBox(dialog.GetExitModeComboBoxId())->GetSelectedItemIndex(), 2);
    EXPECT_EQ(gui->GetSlider(dialog.GetPrioritySliderId())->GetTick(), 9u);
    // Empty, random, then the pack's four fish.
    EXPECT_EQ(gui->GetComboBox(dialog.GetSlotComboBoxId(0))->GetItemsCount(), 6u);
    EXPECT_EQ(dialog.GetPackCheckBoxIds().size(), 1u);
}

TEST_F(SettingsDialogTest, ClicksChangeTheSettingsAndSaveWritesThemForTheNextRun)
{
    Click(CentreOf(dialog.GetBubblesCheckBoxId()));
    EXPECT_FALSE(gui->GetCheckBox(dialog.GetBubblesCheckBoxId())->IsChecked());
    Click(CentreOf(dialog.GetDebugCheckBoxId()));
    EXPECT_TRUE(gui->GetCheckBox(dialog.GetDebugCheckBoxId())->IsChecked());

    Choose(dialog.GetExitModeComboBoxId(), 3);
    Click(CentreOf(dialog.GetWallpaperBubblesCheckBoxId()));
    Choose(dialog.GetPowerSavingComboBoxId(), 0);
    Choose(dialog.GetDesktopLayerComboBoxId(), 1);
    gui->GetSlider(dialog.GetCpuBudgetSliderId())->SetTick(3);
    // The last slot: the pack's fourth fish.
    Choose(dialog.GetSlotComboBoxId(SFishSelection::SlotsCount - 1), 5);
    Click(CentreOf(dialog.GetUniqueCheckBoxId()));

    EXPECT_FALSE(dialog.IsFinished());
    Click(CentreOf(dialog.GetSaveButtonId()));
    ASSERT_TRUE(dialog.IsFinished());
    EXPECT_TRUE(dialog.WasSaved());

    // What the program reads on its next run.
    CSettingsFile file;
    ASSERT_TRUE(file.Load(paths.configFile));
    SSavedSettings const settings = SSavedSettings::Read(file);
    EXPECT_FALSE(settings.playBubblesSound);
    EXPECT_TRUE(settings.debugMode);
    EXPECT_EQ(settings.exitMode, 3);
    EXPECT_EQ(settings.wallpaperPriority, 9);
    EXPECT_TRUE(settings.wallpaperBubblesSound);
    EXPECT_EQ(settings.powerSaving, "pause");
    EXPECT_EQ(file.GetValue("g_desktop_layer", ""), "bottom");
    EXPECT_EQ(settings.cpuBudget, 30);
    EXPECT_EQ(file.GetValue("g_fish_areas_count", ""), "2");
    SFishSelection const selection = SFishSelection::Read(paths.fishSelectionFile, 1);
    EXPECT_EQ(selection.slots[SFishSelection::SlotsCount - 1].kind, SFishSelection::FirstPackKind);
    EXPECT_EQ(selection.slots[SFishSelection::SlotsCount - 1].number, 3);
    EXPECT_EQ(selection.slots[0].kind, SFishSelection::RandomKind);
    EXPECT_FALSE(selection.unique);
    EXPECT_EQ(selection.packsEnabled, (std::vector<std::uint8_t>{1}));

    // The next run of the Settings program shows them.
    dialog.Destroy();
    dialog.Create(&host->engine, look, paths);
    EXPECT_FALSE(gui->GetCheckBox(dialog.GetBubblesCheckBoxId())->IsChecked());
    EXPECT_EQ(
        gui->GetComboBox(dialog.GetSlotComboBoxId(SFishSelection::SlotsCount - 1))->GetSelectedItemIndex(),
        5);
    EXPECT_EQ(gui->GetComboBox(dialog.GetDesktopLayerComboBoxId())->GetSelectedItemIndex(), 1);
}

TEST_F(SettingsDialogTest, TheAutostartCheckBoxWritesAndRemovesTheEntryOnSave)
{
    fs::path const entry = fs::path(paths.autostartFolder) / CAutostartEntry::FileName;
    EXPECT_FALSE(gui->GetCheckBox(dialog.GetAutostartCheckBoxId())->IsChecked());
    Click(CentreOf(dialog.GetAutostartCheckBoxId()));
    EXPECT_FALSE(fs::exists(entry));
    Click(CentreOf(dialog.GetSaveButtonId()));
    ASSERT_TRUE(dialog.WasSaved()) << dialog.GetSaveError();
    EXPECT_TRUE(fs::is_regular_file(entry));

    dialog.Destroy();
    dialog.Create(&host->engine, look, paths);
    EXPECT_TRUE(gui->GetCheckBox(dialog.GetAutostartCheckBoxId())->IsChecked());
    Click(CentreOf(dialog.GetAutostartCheckBoxId()));
    Click(CentreOf(dialog.GetSaveButtonId()));
    ASSERT_TRUE(dialog.WasSaved()) << dialog.GetSaveError();
    EXPECT_FALSE(fs::exists(entry));
}

TEST_F(SettingsDialogTest, FailedSaveShowsWhyAndKeepsTheDialogOpen)
{
    dialog.Destroy();
    paths.configFile = (host->directory / "missing" / "Coralume.ini").string();
    dialog.Create(&host->engine, look, paths);
    Click(CentreOf(dialog.GetSaveButtonId()));
    EXPECT_FALSE(dialog.IsFinished());
    EXPECT_TRUE(dialog.HasSaveFailed());
    EXPECT_NE(dialog.GetSaveError().find("missing/Coralume.ini"), std::string::npos) << dialog.GetSaveError();
    EXPECT_FALSE(fs::exists(paths.configFile));
}

TEST_F(SettingsDialogTest, CancelWritesNothing)
{
    Click(CentreOf(dialog.GetBubblesCheckBoxId()));
    Click(CentreOf(dialog.GetCancelButtonId()));
    EXPECT_TRUE(dialog.IsFinished());
    EXPECT_FALSE(dialog.WasSaved());
    EXPECT_FALSE(fs::exists(paths.fishSelectionFile));
    CSettingsFile file;
    file.Load(paths.configFile);
    EXPECT_EQ(file.GetValue("g_play_bubles_sound", ""), "1");
}

TEST_F(SettingsDialogTest, ChoosingEmptyForASlotDoesNotOpenTheNextSlot)
{
    Choose(dialog.GetSlotComboBoxId(3), 0);
    EXPECT_FALSE(gui->GetComboBox(dialog.GetSlotComboBoxId(4))->IsOpened());
    EXPECT_EQ(gui->GetOpenedComboBox(), nullptr);
}

TEST_F(SettingsDialogTest, EveryItemOfTheLastSlotIsReachableOnScreen)
{
    // A second pack of 20 fish: the list no longer fits below the last slot.
    std::vector<unsigned char> pack{11};
    for (char c : std::string("Zoo Fishes"))
        pack.push_back(static_cast<unsigned char>(c));
    pack.insert(pack.end(), {0, 20, 0, 0, 0});
    host->WriteFile("Data/FishPacks/Zoo.fsp", pack);
    dialog.Destroy();
    dialog.Create(&host->engine, look, paths);
    unsigned int const id = dialog.GetSlotComboBoxId(SFishSelection::SlotsCount - 1);
    CGUIComboBox* combo = gui->GetComboBox(id);
    for (int item = 0; item < static_cast<int>(combo->GetItemsCount()); ++item) {
        Choose(id, item);
        EXPECT_GE(combo->GetList()->GetAbsolutePosition().y, 0.0f);
    }
}

TEST_F(SettingsDialogTest, FishAreShownByTheirNames)
{
    fs::create_directories(host->directory / "Data" / "FishPacks" / "Reef" / "Fish 2");
    std::ofstream(host->directory / "Data" / "FishPacks" / "Reef" / "Fish 2" / "name.txt") << "Coral trout\n";
    dialog.Destroy();
    dialog.Create(&host->engine, look, paths);
    CGUIComboBox* combo = gui->GetComboBox(dialog.GetSlotComboBoxId(0));
    EXPECT_STREQ(combo->GetItemText(4), "Reef Fishes: Coral trout");
    EXPECT_STREQ(combo->GetItemText(2), "Reef Fishes: Fish 1");
}

TEST_F(SettingsDialogTest, TheSlotShowsThePortraitOfItsFishAndOfTheHighlightedOne)
{
    fs::create_directories(host->directory / "Data" / "Textures" / "Settings" / "Fish" / "Reef");
    host->WriteFile("Data/Textures/Settings/Fish/Reef/fish1.tga", MakeSolidTga(8, 4, 0xFF20A0E0u));
    dialog.Destroy();
    look.fishPictures = true;
    dialog.Create(&host->engine, look, paths);
    CGUIWindow* picture = gui->GetWindow(dialog.GetSlotPictureId(0));
    // A random slot has no portrait; the fish with one shows it, also while highlighted.
    EXPECT_FALSE(picture->IsVisible());
    Choose(dialog.GetSlotComboBoxId(0), 3);
    EXPECT_TRUE(picture->IsVisible());
    EXPECT_FALSE(gui->GetWindow(dialog.GetSlotPictureId(1))->IsVisible());
    Click(CentreOf(dialog.GetSlotComboBoxId(1)));
    while (gui->GetComboBox(dialog.GetSlotComboBoxId(1))->GetHighlightedItem() < 3)
        Key(DownIndex);
    EXPECT_TRUE(gui->GetWindow(dialog.GetSlotPictureId(1))->IsVisible());
}

TEST_F(SettingsDialogTest, SlidersShowTheirValueWithItsUnit)
{
    EXPECT_EQ(dialog.GetSliderValueText(dialog.GetVolumeSliderId()), "100 %");
    gui->GetSlider(dialog.GetVolumeSliderId())->SetTick(7);
    EXPECT_EQ(dialog.GetSliderValueText(dialog.GetVolumeSliderId()), "70 %");
    EXPECT_EQ(dialog.GetSliderValueText(dialog.GetPrioritySliderId()), "9 (15 ms)");
    EXPECT_EQ(dialog.GetSliderValueText(dialog.GetCpuBudgetSliderId()), "off");
}

TEST_F(SettingsDialogTest, TheSettingUnderTheMouseIsExplained)
{
    Frame(CentreOf(dialog.GetPrioritySliderId()), false);
    EXPECT_EQ(dialog.GetHelpLine(), settings_help::Priority);
    Frame(CentreOf(dialog.GetUniqueCheckBoxId()), false);
    EXPECT_EQ(dialog.GetHelpLine(), settings_help::Unique);
}

TEST_F(SettingsDialogTest, TabMovesTheFocusAndTheArrowsChangeTheFocusedSetting)
{
    EXPECT_EQ(dialog.GetFocusedWidgetId(), dialog.GetExitModeComboBoxId());
    Key(TabIndex);
    Key(TabIndex);
    EXPECT_EQ(dialog.GetFocusedWidgetId(), dialog.GetMonitorLayoutComboBoxId());
    Key(TabIndex);
    EXPECT_EQ(dialog.GetFocusedWidgetId(), dialog.GetVolumeSliderId());
    Key(TabIndex, true);
    Key(TabIndex, true);
    EXPECT_EQ(dialog.GetFocusedWidgetId(), dialog.GetVideoModeComboBoxId());
    Key(TabIndex, true);
    Key(RightIndex);
    EXPECT_EQ(gui->GetComboBox(dialog.GetExitModeComboBoxId())->GetSelectedItemIndex(), 3);
}

TEST_F(SettingsDialogTest, EnterSaves)
{
    Click(CentreOf(dialog.GetDebugCheckBoxId()));
    Key(EnterIndex);
    ASSERT_TRUE(dialog.IsFinished());
    EXPECT_TRUE(dialog.WasSaved());
    CSettingsFile file;
    ASSERT_TRUE(file.Load(paths.configFile));
    EXPECT_TRUE(SSavedSettings::Read(file).debugMode);
}

TEST_F(SettingsDialogTest, EscapeWithoutChangesClosesAtOnce)
{
    Key(EscapeIndex);
    EXPECT_TRUE(dialog.IsFinished());
    EXPECT_FALSE(dialog.WasSaved());
}

TEST_F(SettingsDialogTest, EscapeAfterAChangeAsksAndThenClosesWithoutSaving)
{
    Click(CentreOf(dialog.GetBubblesCheckBoxId()));
    Key(EscapeIndex);
    ASSERT_FALSE(dialog.IsFinished());
    ASSERT_TRUE(dialog.IsAskingToDiscard());
    // The question takes the mouse: the widgets outside it do not react.
    Click(CentreOf(dialog.GetDebugCheckBoxId()));
    EXPECT_FALSE(gui->GetCheckBox(dialog.GetDebugCheckBoxId())->IsChecked());
    Click(CentreOf(dialog.GetKeepEditingButtonId()));
    EXPECT_FALSE(dialog.IsAskingToDiscard());
    Key(EscapeIndex);
    Key(EscapeIndex);
    EXPECT_TRUE(dialog.IsFinished());
    EXPECT_FALSE(dialog.WasSaved());
    CSettingsFile file;
    file.Load(paths.configFile);
    EXPECT_EQ(file.GetValue("g_play_bubles_sound", ""), "1");
}

TEST_F(SettingsDialogTest, EscapeClosesAnOpenListFirst)
{
    Click(CentreOf(dialog.GetVideoModeComboBoxId()));
    ASSERT_TRUE(gui->GetComboBox(dialog.GetVideoModeComboBoxId())->IsOpened());
    Key(EscapeIndex);
    EXPECT_FALSE(gui->GetComboBox(dialog.GetVideoModeComboBoxId())->IsOpened());
    EXPECT_FALSE(dialog.IsFinished());
}

TEST_F(SettingsDialogTest, TheChosenExitModeExplainsItsEffect)
{
    Choose(dialog.GetExitModeComboBoxId(), 0);
    EXPECT_EQ(dialog.GetExitModeEffect(), "Ends as soon as the mouse moves.");
    Choose(dialog.GetExitModeComboBoxId(), 2);
    EXPECT_EQ(dialog.GetExitModeEffect(), "Ends only on the Escape key.");
}

} // namespace
