#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "SettingsDialog.h"
#include "SettingsLook.h"
#include "SettingsPreview.h"
#include "core/Config.h"
#include "core/Engine.h"
#include "gui/GUIComboBox.h"
#include "gui/GUIManager.h"
#include "model/ModelManager.h"
#include "render/Direct3DSubsystem.h"

namespace
{
namespace fs = std::filesystem;

constexpr unsigned int WindowWidth = 800;
constexpr unsigned int WindowHeight = 600;
CVector4 const ClearColour(0.04f, 0.17f, 0.28f, 1.0f);
// A channel this far from the clear colour's is another colour.
constexpr int ColourTolerance = 8;
// Long enough for the plug-ins' clock to move their fish between two frames.
constexpr auto FramePause = std::chrono::milliseconds(200);

// The Settings dialog on the OpenGL device in a real window, with the build's installation
// (its plug-ins and generated data) behind the preview.
class SettingsPreviewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display";
        install = CORALUME_STAGE_DIR;
        if (!fs::exists(fs::path(install) / "Data" / "Models" / "tank_sand.mlf") ||
            !fs::exists(fs::path(install) / "Plugins"))
            GTEST_SKIP() << "content or plug-ins not built in " << install;
        configDirectory =
            (fs::temp_directory_path() / ("coralume_preview_" + std::to_string(::getpid()))).string();
        fs::create_directories(configDirectory);
        std::ofstream(fs::path(configDirectory) / "PreviewTest.ini")
            << "v_fullscreen 0\nv_mode " << WindowWidth << "x" << WindowHeight << "x32\n";
        SEngineSettings settings{};
        settings.applicationName = "PreviewTest";
        settings.applicationVersion = 100;
        settings.engineDirectory = install.c_str();
        settings.configFileName = "PreviewTest";
        settings.configDirectory = configDirectory.c_str();
        settings.logDirectory = configDirectory.c_str();
        settings.createLogFile = false;
        settings.packDirectory = "Data";
        settings.defaultVideoMode = "800x600x32";
        engine = std::make_unique<CEngine>();
        engine->Create(settings);
        engine->GetGUIManager()->SetScreenSize(CSettingsDialog::Width, CSettingsDialog::Height);
        engine->GetModelManager()->SetClearColor(ClearColour);
        dialog.Create(engine.get(), CSettingsLookBuilder::Build(engine.get()),
                      SSettingsPaths::ForInstallation(install));
        area = CSettingsDialog::GetPreviewArea(WindowWidth, WindowHeight);
        ASSERT_TRUE(preview.Create(engine.get(), install, area));
        engine->GetDirect3DSubsystem()->GetDevice()->SetFrameKeeping(true);
    }

    void TearDown() override
    {
        dialog.Destroy();
        preview.Destroy();
        if (engine)
            engine->Destroy();
        std::error_code ignored;
        fs::remove_all(configDirectory, ignored);
    }

    // One frame of the Settings program with the preview's frame due; the picture it shows.
    std::vector<std::uint32_t> Frame()
    {
        std::this_thread::sleep_for(FramePause);
        engine->BeginFrame();
        preview.Refresh();
        dialog.Refresh();
        engine->FinishFrame();
        std::vector<std::uint32_t> frame(std::size_t(WindowWidth) * WindowHeight, 0);
        EXPECT_EQ(engine->GetDirect3DSubsystem()->GetDevice()->GetFrontBuffer(frame.data(), WindowWidth * 4),
                  D3D_OK);
        return frame;
    }

    static bool IsClearColour(std::uint32_t pixel)
    {
        float const channels[3] = {ClearColour.x, ClearColour.y, ClearColour.z};
        for (int i = 0; i < 3; ++i) {
            int const value = static_cast<int>((pixel >> (16 - 8 * i)) & 0xFF);
            if (std::abs(value - static_cast<int>(channels[i] * 255.0f + 0.5f)) > ColourTolerance)
                return false;
        }
        return true;
    }

    // Pixels of the preview's area for which the test holds.
    template <typename Test> std::size_t CountInArea(Test const& test) const
    {
        std::size_t count = 0;
        for (unsigned int y = area.y; y < area.y + area.height; ++y) {
            for (unsigned int x = area.x; x < area.x + area.width; ++x)
                count += test(std::size_t(y) * WindowWidth + x) ? 1 : 0;
        }
        return count;
    }

    std::string install;
    std::string configDirectory;
    std::unique_ptr<CEngine> engine;
    CSettingsDialog dialog;
    CSettingsPreview preview;
    SPreviewArea area{};
};

TEST_F(SettingsPreviewTest, DrawsTheAquariumInItsAreaAndFollowsTheFishSelection)
{
    ASSERT_TRUE(preview.ShowIfChanged(dialog));
    ASSERT_GT(preview.GetPluginsCount(), 0);
    std::vector<std::uint32_t> const first = Frame();
    std::vector<std::uint32_t> const second = Frame();
    int const fishesShown = engine->GetConfig()->GetValueAsInt("g_fishes_count");

    std::size_t const pixels = std::size_t(area.width) * area.height;
    EXPECT_GT(CountInArea([&](std::size_t i) { return !IsClearColour(first[i]); }), pixels * 9 / 10);
    EXPECT_GT(CountInArea([&](std::size_t i) { return first[i] != second[i]; }), 0u);
    // Beside the area, under the panel's clear inside, the scene does not reach.
    EXPECT_TRUE(IsClearColour(second[std::size_t(area.y + area.height / 2) * WindowWidth + area.x - 20]));

    for (unsigned int slot = 0; slot < SFishSelection::SlotsCount; ++slot)
        engine->GetGUIManager()->GetComboBox(dialog.GetSlotComboBoxId(slot))->SetSelection(0);
    ASSERT_TRUE(preview.ShowIfChanged(dialog));
    Frame();
    EXPECT_GT(fishesShown, 0);
    EXPECT_EQ(engine->GetConfig()->GetValueAsInt("g_fishes_count"), 0);
    EXPECT_FALSE(preview.ShowIfChanged(dialog));
}

TEST_F(SettingsPreviewTest, ShowsTheTimeOfDayTheDialogChose)
{
    CGUIComboBox* time = engine->GetGUIManager()->GetComboBox(dialog.GetDayModeComboBoxId());
    auto brightness = [&](int mode) {
        time->SetSelection(mode);
        EXPECT_TRUE(preview.ShowIfChanged(dialog));
        Frame();
        std::vector<std::uint32_t> const frame = Frame();
        std::uint64_t sum = 0;
        CountInArea([&](std::size_t i) {
            sum += ((frame[i] >> 16) & 0xFF) + ((frame[i] >> 8) & 0xFF) + (frame[i] & 0xFF);
            return true;
        });
        return sum;
    };
    std::uint64_t const day = brightness(1);
    std::uint64_t const night = brightness(2);
    EXPECT_LT(night * 4, day * 3);
    EXPECT_STREQ(engine->GetConfig()->GetValue("g_day_mode"), "night");
}
} // namespace
