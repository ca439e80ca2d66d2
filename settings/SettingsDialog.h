#pragma once

#include <string>
#include <vector>

#include "AutostartEntry.h"
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
    // Fish portraits from "Data/Textures/Settings/Fish/<pack>/fish<n>.tga" beside the slots.
    bool fishPictures = false;
};

// A rectangle of the window in pixels, from its top left.
struct SPreviewArea
{
    unsigned int x, y, width, height;
};

// Where the Settings program reads and writes: the engine's configuration file and the fish
// selection file, with the installed fish packs, and the autostart entry of the wallpaper.
struct SSettingsPaths
{
    std::string configFile;        // "<install>/Data/Coralume.ini"
    std::string fishSelectionFile; // "<install>/Data/fishes.dat"
    std::string fishPacksFolder;   // "<install>/Data/FishPacks"
    std::string autostartFolder;   // "<install>/autostart"
    std::vector<std::string> systemAutostartFolders;
    std::string program; // "<install>/coralume", which the autostart entry starts

    static SSettingsPaths ForInstallation(std::string const& installPath);
    // The user's files in `userFolder` and the user's autostart folder, the packs of the
    // installation.
    static SSettingsPaths ForUser(std::string const& installPath, std::string const& userFolder);
};

// The Settings window: check boxes, combo boxes and sliders for the saved variables, one combo
// box per fish slot, one check box per fish pack, a check box for starting the wallpaper at
// login, and Save and Cancel. Save writes both files and the autostart entry.
// A line at the bottom explains the setting under the mouse or with the keyboard focus. Tab and
// Shift+Tab move the focus, Space and the arrow keys change the focused setting, Enter saves,
// Escape closes without saving (asking first when something changed).
class CSettingsDialog
{
public:
    static constexpr float Width = 800.0f;
    static constexpr float Height = 600.0f;
    static constexpr char const* VideoModes[] = {"desktop",     "640x480x32",   "800x600x32",
                                                 "1024x768x32", "1280x1024x32", "1920x1080x32"};
    static constexpr char const* ExitModeNames[SSavedSettings::ExitModesCount] = {
        "Mouse moves", "Mouse button", "Escape key", "Any key", "Mouse or any key"};
    // The monitor layouts as saved, and as the dialog names them.
    static constexpr char const* MonitorLayouts[] = {"auto", "each", "span"};
    static constexpr char const* MonitorLayoutNames[] = {"Automatic", "A tank on each", "One across all"};
    // What the wallpaper does on battery, as saved and as the dialog names it.
    static constexpr char const* PowerSavingModes[] = {"pause", "slow", "off"};
    // The wallpaper's layers as saved, and as the dialog names them.
    static constexpr char const* DesktopLayers[] = {"background", "bottom"};
    static constexpr char const* DesktopLayerNames[] = {"Background", "Bottom"};
    static constexpr char const* PowerSavingNames[] = {"Pause", "15 frames a second", "Unchanged"};
    // The CPU budget slider's step in per cent; its first tick is no budget.
    static constexpr int CpuBudgetStep = 10;
    static constexpr char const* DayModes[] = {"clock", "day", "night"};
    static constexpr char const* DayModeNames[] = {"Day by the clock", "Always day", "Always night"};

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
    // True when a widget differs from what the files held.
    bool HasChanges() const;
    // The question asked before changes are thrown away is showing.
    bool IsAskingToDiscard() const;
    unsigned int GetDiscardButtonId() const { return m_discardButton; }
    unsigned int GetKeepEditingButtonId() const { return m_keepButton; }
    // The widget with the keyboard focus (an element of GetWidgetIds()).
    unsigned int GetFocusedWidgetId() const { return m_widgets[m_focus]; }
    // The explanation the dialog shows this frame.
    std::string const& GetHelpLine() const { return m_helpLine; }
    // What the chosen exit mode ends the screen saver on.
    std::string GetExitModeEffect() const;
    // What a slider's value reads as, with its unit.
    std::string GetSliderValueText(unsigned int sliderId) const;
    bool WasSaved() const { return m_saved; }
    // True when Save was clicked but a file could not be written.
    bool HasSaveFailed() const { return m_saveFailed; }
    // Why the last Save failed, as the dialog shows it; empty after a successful one.
    std::string const& GetSaveError() const { return m_saveError; }

    // Where the aquarium's preview is drawn, in a window of this size. The panel leaves it clear.
    static SPreviewArea GetPreviewArea(float windowWidth, float windowHeight);
    // Values of every widget, to tell whether anything changed.
    std::string GetValuesSignature() const;

    // The widgets' values, and writing them to both files.
    SSavedSettings GetSettings() const;
    SFishSelection GetFishSelection() const;
    // Both files, each replaced whole or left as it was, and the autostart entry when its check
    // box changed. False with `error` set on failure.
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
    unsigned int GetAutostartCheckBoxId() const { return m_autostart; }
    unsigned int GetExitModeComboBoxId() const { return m_exitMode; }
    unsigned int GetVideoModeComboBoxId() const { return m_videoMode; }
    unsigned int GetMonitorLayoutComboBoxId() const { return m_monitorLayout; }
    unsigned int GetDayModeComboBoxId() const { return m_dayMode; }
    unsigned int GetVolumeSliderId() const { return m_volume; }
    unsigned int GetPrioritySliderId() const { return m_priority; }
    unsigned int GetWallpaperBubblesCheckBoxId() const { return m_wallpaperBubbles; }
    unsigned int GetPowerSavingComboBoxId() const { return m_powerSaving; }
    unsigned int GetDesktopLayerComboBoxId() const { return m_desktopLayer; }
    unsigned int GetCpuBudgetSliderId() const { return m_cpuBudget; }
    unsigned int GetSlotComboBoxId(unsigned int slot) const { return m_slots[slot]; }
    // The window beside a slot that shows its fish's portrait.
    unsigned int GetSlotPictureId(unsigned int slot) const { return m_slotPictures[slot]; }
    std::vector<unsigned int> const& GetPackCheckBoxIds() const { return m_packs; }

private:
    struct SLabel
    {
        float x, y;
        std::string text;
    };

    unsigned int AddCheckBox(float x, float y, char const* label, bool checked, char const* help);
    // The label stands at `labelX` (the left column unless given).
    unsigned int AddComboBox(float x, float y, float width, char const* label, char const* help,
                             float labelX = -1.0f);
    unsigned int AddSlider(float x, float y, char const* label, unsigned int ticks, unsigned int tick,
                           char const* help);
    unsigned int AddButton(float x, float y, char const* label, char const* help, CGUIWindow* parent);
    void AddQuestion();
    void TakeKeys();
    void MoveFocus(int step);
    void ChangeFocused(int step);
    void Ask(bool ask);
    void Finish(bool save);
    void PrintExtras();
    void AddFishPictures();
    // Shows beside each slot the fish it holds, or the one highlighted in its open list.
    void ShowFishPictures();
    void AddSlots(SFishSelection const& selection);
    CAutostartEntry GetAutostartEntry() const;
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
    std::vector<char const*> m_help; // one per widget
    std::string m_helpLine;
    std::string m_startValues;
    std::size_t m_focus = 0;
    bool m_listWasOpen = false;
    unsigned int m_question = 0, m_discardButton = 0, m_keepButton = 0;
    unsigned int m_panel = 0;
    unsigned int m_saveButton = 0, m_cancelButton = 0;
    unsigned int m_bubbles = 0, m_debug = 0, m_cursor = 0, m_unique = 0;
    unsigned int m_autostart = 0;
    unsigned int m_desktopLayer = 0;
    bool m_autostartEnabled = false; // as the autostart folders held it
    unsigned int m_exitMode = 0, m_videoMode = 0, m_monitorLayout = 0, m_dayMode = 0;
    unsigned int m_volume = 0, m_priority = 0;
    unsigned int m_wallpaperBubbles = 0, m_powerSaving = 0, m_cpuBudget = 0;
    // The budget as read: kept when its slider is not moved (a value between its steps).
    int m_readCpuBudget = 0;
    unsigned int m_slots[SFishSelection::SlotsCount] = {};
    std::vector<unsigned int> m_packs;
    // Per slot combo item: its fish's portrait (empty descriptors for Empty, Random, or none).
    std::vector<CShaderDescriptor> m_itemPictures;
    std::vector<bool> m_itemHasPicture;
    unsigned int m_slotPictures[SFishSelection::SlotsCount] = {};
    int m_slotPictureItems[SFishSelection::SlotsCount] = {};
    bool m_finished = false;
    bool m_saved = false;
    bool m_saveFailed = false;
    std::string m_saveError;
};
