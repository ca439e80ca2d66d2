// coralume-shots INSTALL OUTPUT: draws the Settings dialog (a list open, the explanation of
// the setting under the mouse) and a full console from the installation's own data, and
// writes each as a TGA picture into OUTPUT.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "SettingsDialog.h"
#include "SettingsEngine.h"
#include "SettingsLook.h"
#include "SettingsPreview.h"
#include "core/Config.h"
#include "core/Console.h"
#include "core/Engine.h"
#include "core/Errors.h"
#include "core/MessageManager.h"
#include "gui/GUIManager.h"
#include "input/Controls.h"
#include "model/ModelManager.h"
#include "platform/window/EventPump.h"
#include "render/ShaderManager.h"

namespace
{
namespace fs = std::filesystem;

constexpr int SettleFrames = 4;
constexpr int PreviewFrames = 20;
constexpr unsigned int ConsoleKeyIndex = 0x29;

std::string PrepareConfigDirectory(int width, int height)
{
    fs::path const directory = fs::temp_directory_path() / "coralume-shots";
    fs::create_directories(directory);
    std::ofstream(directory / "Shots.ini") << "v_fullscreen 0\nv_mode " << width << "x" << height << "x32\n";
    return directory.string();
}

void Frames(CEngine& engine, CSettingsDialog* dialog, int count, CSettingsPreview* preview = nullptr)
{
    for (int i = 0; i < count; ++i) {
        while (platform::PumpOneEvent()) {
        }
        engine.BeginFrame();
        if (preview)
            preview->Refresh();
        if (dialog)
            dialog->Refresh();
        engine.FinishFrame();
    }
}

// Draws one more frame with a screenshot requested and moves the picture to OUTPUT/name.
bool Shoot(CEngine& engine, CSettingsDialog* dialog, std::string const& installPath,
           std::string const& output, char const* name)
{
    fs::path const captures = fs::path(installPath) / "ScreenCaptures";
    std::set<fs::path> before;
    std::error_code error;
    for (auto const& entry : fs::directory_iterator(captures, error))
        before.insert(entry.path());
    engine.GetConfig()->SetCommandExecution("sc_take_screenshot_tga", false);
    Frames(engine, dialog, 1);
    for (auto const& entry : fs::directory_iterator(captures, error)) {
        if (before.count(entry.path()))
            continue;
        fs::rename(entry.path(), fs::path(output) / name, error);
        if (error)
            return false;
        std::printf("Picture: %s/%s\n", output.c_str(), name);
        return true;
    }
    return false;
}

// Moves the pointer to a point of GUI space.
void PointAt(CEngine& engine, CVector2 const& position, float guiHeight, float windowHeight)
{
    float const scale = windowHeight / guiHeight;
    engine.GetControls()->SetCursorPosition(
        CVector2(position.x * scale, windowHeight - 1.0f - position.y * scale));
}

bool ShootSettings(std::string const& installPath, std::string const& output)
{
    std::string const configDirectory = PrepareConfigDirectory(800, 600);
    SEngineSettings const settings =
        MakeSettingsEngineSettings("Coralume Shots", "Shots", installPath, configDirectory);
    CSettingsPreview preview; // outlives the engine, whose configuration points into it
    CEngine engine;
    engine.Create(settings);
    PrepareSettingsScreen(&engine);
    CSettingsDialog dialog;
    dialog.Create(&engine, CSettingsLookBuilder::Build(&engine),
                  SSettingsPaths::ForInstallation(installPath));
    CGUIManager* gui = engine.GetGUIManager();
    auto centre = [gui](unsigned int id) {
        CGUIWindow* window = gui->GetWindow(id);
        return window->GetAbsolutePosition() + window->GetSize() * 0.5f;
    };
    // The preview runs with the saved selection in every picture.
    SPreviewArea const area = CSettingsDialog::GetPreviewArea(800.0f, 600.0f);
    bool ok = preview.Create(&engine, installPath, area);
    preview.ShowIfChanged(dialog);
    PointAt(engine, centre(dialog.GetPrioritySliderId()), CSettingsDialog::Height, 600.0f);
    Frames(engine, &dialog, PreviewFrames, &preview);
    ok = Shoot(engine, &dialog, installPath, output, "settings-dialog.tga") && ok;

    // The last slot's list, with the pointer on one of its fish.
    CGUIComboBox* slot = gui->GetComboBox(dialog.GetSlotComboBoxId(SFishSelection::SlotsCount - 1));
    slot->Open(true);
    CVector2 row;
    if (slot->GetItemRowPosition(slot->GetFirstVisibleItem() + 4, &row))
        PointAt(engine, row + CVector2(60.0f, 10.0f), CSettingsDialog::Height, 600.0f);
    Frames(engine, &dialog, SettleFrames, &preview);
    ok = Shoot(engine, &dialog, installPath, output, "settings-fish-list.tga") && ok;
    slot->Open(false);

    // The pointer on the preview, which has gone on running.
    PointAt(engine,
            CVector2(static_cast<float>(area.x + area.width / 2),
                     static_cast<float>(600 - area.y - area.height / 2)),
            CSettingsDialog::Height, 600.0f);
    Frames(engine, &dialog, PreviewFrames, &preview);
    ok = Shoot(engine, &dialog, installPath, output, "settings-preview.tga") && ok;
    preview.Destroy();
    dialog.Destroy();
    engine.Destroy();
    return ok;
}

bool ShootConsole(std::string const& installPath, std::string const& output)
{
    std::string const configDirectory = PrepareConfigDirectory(800, 600);
    SEngineSettings const settings =
        MakeSettingsEngineSettings("Coralume Shots", "Shots", installPath, configDirectory);
    CEngine engine;
    engine.Create(settings);
    CGUIManager* gui = engine.GetGUIManager();
    gui->SetScreenSize(800.0f, 600.0f);
    engine.GetModelManager()->SetClearColor(CVector4(0.05f, 0.3f, 0.45f, 1.0f));
    CShaderDescriptor font;
    engine.GetShaderManager()->CreateShaderDescriptor(&font, 1u);
    font.SetBlendingFactor(0, SBF_SRC_ALPHA);
    font.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    font.AddStage(SSF_TEXTURE | SSF_MIP_MAPPING, 1, 0.0f, "font\\font.tga", "32bit", SSBT_CLAMP);
    CGUIFont* consoleFont = gui->GetFont(gui->AddFont(font, "Data\\Textures\\font\\font.fnt"));
    consoleFont->SetSize(15.0f);
    CShaderDescriptor background;
    engine.GetShaderManager()->CreateShaderDescriptor(&background, 1u);
    background.SetBlendingFactor(0, SBF_SRC_ALPHA);
    background.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    background.AddStage(SSF_TEXTURE | SSF_MIP_MAPPING, 1, 0.0f, "Console\\console.jpg", nullptr, SSBT_REPEAT);
    engine.CreateConsole("Coralume 1.00", background, consoleFont, 15.0f, '_', ']', '+', "edit.wav", "~",
                         0.95f, 600.0f, 100000.0f);
    CMessageManager* messages = engine.GetMessageManager();
    for (int line = 1; line <= 40; ++line)
        messages->Write("Line %d of the log: the console keeps every message and shows as many rows as fit "
                        "into its height, the oldest at the top.",
                        line);
    messages->WriteWarning("A warning is grey.");
    messages->WriteError("An error is red.");
    Frames(engine, nullptr, 1);
    // Opening it: the toggle key, as the controls would have read it.
    CConsole* console = engine.GetConsole();
    SControlsState* state = engine.GetControls()->GetControlsState();
    state->previousState[ConsoleKeyIndex] = 0;
    state->currentState[ConsoleKeyIndex] = 0x80;
    console->Refresh();
    state->currentState[ConsoleKeyIndex] = 0;
    Frames(engine, nullptr, SettleFrames);
    // A command typed and entered, and the next one being typed.
    console->GetEditBox()->SetText("v_vsync");
    state->entered = true;
    state->isCharacter = false;
    state->enteredCode = static_cast<char>(CConsole::KeyEnter);
    console->Refresh();
    state->entered = false;
    console->GetEditBox()->SetText("\\say hello");
    Frames(engine, nullptr, SettleFrames);
    bool const ok = Shoot(engine, nullptr, installPath, output, "console.tga");
    engine.Destroy();
    return ok;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: coralume-shots INSTALL OUTPUT\n");
        return 2;
    }
    std::string const installPath = fs::absolute(argv[1]).string();
    std::string const output = fs::absolute(argv[2]).string();
    fs::create_directories(output);
    try {
        bool const settings = ShootSettings(installPath, output);
        bool const console = ShootConsole(installPath, output);
        return settings && console ? 0 : 1;
    } catch (CError const& error) {
        std::fprintf(stderr, "coralume-shots: %s\n", error.GetText());
        return 1;
    }
}
