#include <gtest/gtest.h>

#include <memory>

#include "FishSelection.h"
#include "SettingsDialog.h"
#include "SettingsFile.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIComboBox.h"
#include "gui/GUIHost.h"
#include "gui/GUISlider.h"
#include "input/Controls.h"

using namespace gui_test;

namespace
{

namespace fs = std::filesystem;

// The dialog on the scripted device, driven by injected mouse input: each frame sets MOUSE1 in
// the controls' state and refreshes every widget with the cursor where the test puts it.
class SettingsDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!CGUIHost::HasDisplay())
            GTEST_SKIP() << "needs an X display";
        host = std::make_unique<CGUIHost>(true, "settings");
        gui = host->gui;
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
        for (unsigned int id : dialog.GetWidgetIds())
            gui->GetWindow(id)->Refresh(cursor);
        dialog.Refresh();
        host->controls->FinishFrame();
    }

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

    // Open a combo box, then click a row of its list, which hangs below it.
    auto choose = [this](unsigned int id, int item) {
        CGUIComboBox* combo = gui->GetComboBox(id);
        Click(CentreOf(id));
        ASSERT_TRUE(combo->IsOpened());
        CVector2 const box = combo->GetAbsolutePosition();
        float const row = combo->GetSize().y;
        Click(CVector2(box.x + combo->GetSize().x * 0.5f, box.y - row * (static_cast<float>(item) + 0.5f)));
        EXPECT_FALSE(combo->IsOpened());
        EXPECT_EQ(combo->GetSelectedItemIndex(), item);
    };
    choose(dialog.GetExitModeComboBoxId(), 3);
    // The last slot: the pack's fourth fish.
    choose(dialog.GetSlotComboBoxId(SFishSelection::SlotsCount - 1), 5);
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

} // namespace
