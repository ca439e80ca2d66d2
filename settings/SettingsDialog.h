#pragma once

#include <string>
#include <vector>

#include "FishSelection.h"
#include "SettingsFile.h"
#include "render/ShaderDescriptor.h"

class CEngine;
class CGUIManager;
class CGUIWindow;

// The pictures the dialog's widgets are drawn with, and its font.
struct SSettingsLook
{
    CShaderDescriptor panel;    // the dialog's background
    CShaderDescriptor button;   // three frames: normal, under the mouse, pressed
    CShaderDescriptor checkBox; // three frames: unchecked, under the mouse, checked
    CShaderDescriptor comboBox;
    CShaderDescriptor list;
    CShaderDescriptor slider;
    CShaderDescriptor toddler;
    unsigned int fontId = 0;
};

// Where the Settings program reads and writes: the engine's configuration file and the fish
// selection file, with the installed fish packs.
struct SSettingsPaths
{
    std::string configFile;        // "<install>/Data/Coralume.ini"
    std::string fishSelectionFile; // "<install>/Data/fishes.dat"
    std::string fishPacksFolder;   // "<install>/Data/FishPacks"

    static SSettingsPaths ForInstallation(std::string const& installPath);
    // The user's files in `userFolder`, the packs of the installation.
    static SSettingsPaths ForUser(std::string const& installPath, std::string const& userFolder);
};

// The Settings window: check boxes, combo boxes and sliders for the saved variables, one combo
// box per fish slot, one check box per fish pack, and Save and Cancel. Save writes both files.
class CSettingsDialog
{
public:
    static constexpr float Width = 800.0f;
    static constexpr float Height = 600.0f;
    static constexpr char const* VideoModes[] = {"desktop",     "640x480x32",   "800x600x32",
                                                 "1024x768x32", "1280x1024x32", "1920x1080x32"};
    static constexpr char const* ExitModeNames[SSavedSettings::ExitModesCount] = {
        "Mouse moves", "Mouse button", "Escape key", "Any key", "Mouse or any key"};

    CSettingsDialog() = default;
    ~CSettingsDialog() { Destroy(); }
    CSettingsDialog(CSettingsDialog const&) = delete;
    CSettingsDialog& operator=(CSettingsDialog const&) = delete;

    // Reads both files and shows their values.
    void Create(CEngine* engine, SSettingsLook const& look, SSettingsPaths const& paths);
    void Destroy();
    bool IsFree() const { return m_gui == nullptr; }

    // After the GUI's refresh of the frame: prints the labels and acts on Save and Cancel.
    void Refresh();
    // True once Save succeeded or Cancel was clicked; a failed Save keeps the dialog open
    // with the reason on screen.
    bool IsFinished() const { return m_finished; }
    bool WasSaved() const { return m_saved; }
    // True when Save was clicked but a file could not be written.
    bool HasSaveFailed() const { return m_saveFailed; }
    // Why the last Save failed, as the dialog shows it; empty after a successful one.
    std::string const& GetSaveError() const { return m_saveError; }

    // The widgets' values, and writing them to both files.
    SSavedSettings GetSettings() const;
    SFishSelection GetFishSelection() const;
    // Both files, each replaced whole or left as it was. False with `error` set on failure.
    bool Save(std::string* error = nullptr);

    // Every widget, for whoever drives the GUI by hand.
    std::vector<unsigned int> const& GetWidgetIds() const { return m_widgets; }
    unsigned int GetPanelId() const { return m_panel; }
    unsigned int GetSaveButtonId() const { return m_saveButton; }
    unsigned int GetCancelButtonId() const { return m_cancelButton; }
    unsigned int GetBubblesCheckBoxId() const { return m_bubbles; }
    unsigned int GetDebugCheckBoxId() const { return m_debug; }
    unsigned int GetCursorCheckBoxId() const { return m_cursor; }
    unsigned int GetUniqueCheckBoxId() const { return m_unique; }
    unsigned int GetExitModeComboBoxId() const { return m_exitMode; }
    unsigned int GetVideoModeComboBoxId() const { return m_videoMode; }
    unsigned int GetVolumeSliderId() const { return m_volume; }
    unsigned int GetPrioritySliderId() const { return m_priority; }
    unsigned int GetSlotComboBoxId(unsigned int slot) const { return m_slots[slot]; }
    std::vector<unsigned int> const& GetPackCheckBoxIds() const { return m_packs; }

private:
    struct SLabel
    {
        float x, y;
        std::string text;
    };

    unsigned int AddCheckBox(float x, float y, char const* label, bool checked);
    unsigned int AddComboBox(float x, float y, float width, char const* label);
    unsigned int AddSlider(float x, float y, char const* label, unsigned int ticks, unsigned int tick);
    unsigned int AddButton(float x, float y, char const* label);
    void AddSlots(SFishSelection const& selection);
    // Combo box item of a slot, and back.
    int GetSlotItem(SFishSelection::SSlot const& slot) const;
    SFishSelection::SSlot GetSlot(int item) const;

    CEngine* m_engine = nullptr;
    CGUIManager* m_gui = nullptr;
    SSettingsLook m_look;
    SSettingsPaths m_paths;
    CSettingsFile m_file;
    std::vector<SFishPack> m_fishPacks;
    std::string m_videoModeText; // a mode from the file that the list does not hold
    std::vector<unsigned int> m_widgets;
    std::vector<SLabel> m_labels;
    unsigned int m_panel = 0;
    unsigned int m_saveButton = 0, m_cancelButton = 0;
    unsigned int m_bubbles = 0, m_debug = 0, m_cursor = 0, m_unique = 0;
    unsigned int m_exitMode = 0, m_videoMode = 0;
    unsigned int m_volume = 0, m_priority = 0;
    unsigned int m_slots[SFishSelection::SlotsCount] = {};
    std::vector<unsigned int> m_packs;
    bool m_finished = false;
    bool m_saved = false;
    bool m_saveFailed = false;
    std::string m_saveError;
};
