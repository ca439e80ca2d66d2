#include "SettingsDialog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/Engine.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIComboBox.h"
#include "gui/GUIManager.h"
#include "gui/GUISlider.h"
#include "math/Color.h"

namespace
{
constexpr float RowHeight = 34.0f;
constexpr float BoxSize = 22.0f;
constexpr float ComboHeight = 24.0f;
constexpr float LeftColumn = 30.0f;
constexpr float RightColumn = 420.0f;
constexpr unsigned int VolumeTicks = 11;
constexpr char const* OverSound = "Menu\\button_over.wav";
constexpr char const* PressSound = "Menu\\button_press.wav";
constexpr char const* CheckSound = "Menu\\check_box.wav";

constexpr float ErrorLineY = 60.0f;

CColor ErrorColour()
{
    return CColor(CVector4(1.0f, 0.45f, 0.4f, 1.0f));
}

CColor TextColour()
{
    return CColor(CVector4(0.92f, 0.97f, 1.0f, 1.0f));
}
} // namespace

SSettingsPaths SSettingsPaths::ForInstallation(std::string const& installPath)
{
    return {installPath + "/Data/Coralume.ini", installPath + "/Data/fishes.dat",
            installPath + "/Data/FishPacks"};
}

SSettingsPaths SSettingsPaths::ForUser(std::string const& installPath, std::string const& userFolder)
{
    return {userFolder + "/Coralume.ini", userFolder + "/fishes.dat", installPath + "/Data/FishPacks"};
}

void CSettingsDialog::Create(CEngine* engine, SSettingsLook const& look, SSettingsPaths const& paths)
{
    Destroy();
    m_engine = engine;
    m_gui = engine->GetGUIManager();
    m_look = look;
    m_paths = paths;
    m_finished = m_saved = m_saveFailed = false;
    m_saveError.clear();
    m_file.Load(paths.configFile);
    m_fishPacks = FindFishPacks(paths.fishPacksFolder);
    SSavedSettings const settings = SSavedSettings::Read(m_file);
    SFishSelection const selection = SFishSelection::Read(paths.fishSelectionFile, m_fishPacks.size());

    m_panel = m_gui->AddWindow(GWP_SHOWN, CVector2(0.0f, 0.0f), CVector2(Width, Height), look.panel, nullptr);
    float y = Height - 70.0f;
    m_exitMode = AddComboBox(LeftColumn + 170.0f, y, 190.0f, "Screen saver ends on");
    for (char const* name : ExitModeNames)
        m_gui->GetComboBox(m_exitMode)->AddItem(name);
    m_gui->GetComboBox(m_exitMode)->SetSelection(settings.exitMode);
    y -= RowHeight;
    m_videoMode = AddComboBox(LeftColumn + 170.0f, y, 190.0f, "Video mode");
    CGUIComboBox* modes = m_gui->GetComboBox(m_videoMode);
    int selected = -1;
    for (char const* mode : VideoModes) {
        if (settings.videoMode == mode)
            selected = static_cast<int>(modes->GetItemsCount());
        modes->AddItem(mode);
    }
    if (selected < 0) {
        m_videoModeText = settings.videoMode;
        selected = static_cast<int>(modes->AddItem(m_videoModeText.c_str()));
    }
    modes->SetSelection(selected);
    y -= RowHeight;
    m_volume = AddSlider(LeftColumn + 170.0f, y, "Sound volume", VolumeTicks,
                         static_cast<unsigned int>(std::lround(settings.volume * (VolumeTicks - 1))));
    y -= RowHeight;
    m_priority =
        AddSlider(LeftColumn + 170.0f, y, "Wallpaper priority", SSavedSettings::MaxWallpaperPriority + 1,
                  static_cast<unsigned int>(settings.wallpaperPriority));
    y -= RowHeight;
    m_bubbles = AddCheckBox(LeftColumn, y, "Bubbles sound", settings.playBubblesSound);
    y -= RowHeight;
    m_cursor = AddCheckBox(LeftColumn, y, "Show the mouse cursor", settings.showMouseCursor);
    y -= RowHeight;
    m_debug = AddCheckBox(LeftColumn, y, "Debug mode (free camera, statistics)", settings.debugMode);
    y -= RowHeight * 1.5f;
    m_labels.push_back({LeftColumn, y, "Fish packs"});
    for (std::size_t i = 0; i < m_fishPacks.size() && i < 6; ++i) {
        y -= RowHeight;
        m_packs.push_back(
            AddCheckBox(LeftColumn, y, m_fishPacks[i].title.c_str(), selection.packsEnabled[i] != 0));
    }
    AddSlots(selection);
    m_unique = AddCheckBox(RightColumn, Height - 70.0f - RowHeight * 11.0f, "Every fish different",
                           selection.unique);
    m_saveButton = AddButton(Width - 280.0f, 24.0f, "Save");
    m_cancelButton = AddButton(Width - 150.0f, 24.0f, "Cancel");
}

unsigned int CSettingsDialog::AddCheckBox(float x, float y, char const* label, bool checked)
{
    unsigned int const id =
        m_gui->AddCheckBox(GWP_SHOWN, CVector2(x, y), CVector2(BoxSize, BoxSize), m_look.checkBox,
                           m_gui->GetWindow(m_panel), OverSound, CheckSound);
    m_gui->GetCheckBox(id)->SetCheck(checked);
    m_labels.push_back({x + BoxSize + 10.0f, y + 3.0f, label});
    m_widgets.push_back(id);
    return id;
}

unsigned int CSettingsDialog::AddComboBox(float x, float y, float width, char const* label)
{
    unsigned int const id =
        m_gui->AddComboBox(GWP_SHOWN, CVector2(x, y), CVector2(width, ComboHeight), m_look.comboBox,
                           m_look.list, m_gui->GetWindow(m_panel), m_look.fontId, TextColour());
    m_labels.push_back({x - 170.0f, y + 4.0f, label});
    m_widgets.push_back(id);
    return id;
}

unsigned int CSettingsDialog::AddSlider(float x, float y, char const* label, unsigned int ticks,
                                        unsigned int tick)
{
    unsigned int const id =
        m_gui->AddSlider(GWP_SHOWN, CVector2(x, y + 6.0f), CVector2(190.0f, 10.0f), m_look.slider,
                         m_look.toddler, CVector2(12.0f, 22.0f), m_gui->GetWindow(m_panel));
    CGUISlider* slider = m_gui->GetSlider(id);
    slider->SetTicksCount(ticks);
    slider->SetTick(tick);
    m_labels.push_back({x - 170.0f, y + 4.0f, label});
    m_widgets.push_back(id);
    return id;
}

unsigned int CSettingsDialog::AddButton(float x, float y, char const* label)
{
    unsigned int const id = m_gui->AddButton(GWP_SHOWN, CVector2(x, y), CVector2(110.0f, 34.0f),
                                             m_look.button, m_gui->GetWindow(m_panel), OverSound, PressSound);
    m_labels.push_back({x + 30.0f, y + 8.0f, label});
    m_widgets.push_back(id);
    return id;
}

void CSettingsDialog::AddSlots(SFishSelection const& selection)
{
    m_labels.push_back({RightColumn, Height - 70.0f + 4.0f, "Fish in the tank"});
    for (unsigned int slot = 0; slot < SFishSelection::SlotsCount; ++slot) {
        float const y = Height - 70.0f - RowHeight * static_cast<float>(slot + 1);
        unsigned int const id = m_gui->AddComboBox(
            GWP_SHOWN, CVector2(RightColumn + 40.0f, y), CVector2(300.0f, ComboHeight), m_look.comboBox,
            m_look.list, m_gui->GetWindow(m_panel), m_look.fontId, TextColour());
        CGUIComboBox* combo = m_gui->GetComboBox(id);
        combo->AddItem("Empty");
        combo->AddItem("Random fish");
        for (SFishPack const& pack : m_fishPacks) {
            for (int fish = 0; fish < pack.fishCount; ++fish) {
                char text[300];
                std::snprintf(text, sizeof text, "%s: fish %d", pack.title.c_str(), fish + 1);
                combo->AddItem(text);
            }
        }
        combo->SetSelection(GetSlotItem(selection.slots[slot]));
        char number[8];
        std::snprintf(number, sizeof number, "%u.", slot + 1);
        m_labels.push_back({RightColumn + 8.0f, y + 4.0f, number});
        m_slots[slot] = id;
        m_widgets.push_back(id);
    }
}

int CSettingsDialog::GetSlotItem(SFishSelection::SSlot const& slot) const
{
    if (slot.kind == SFishSelection::RandomKind)
        return 1;
    int item = 2;
    for (std::size_t pack = 0; pack < m_fishPacks.size(); ++pack) {
        if (slot.kind == static_cast<int>(pack) + SFishSelection::FirstPackKind && slot.number >= 0 &&
            slot.number < m_fishPacks[pack].fishCount)
            return item + slot.number;
        item += m_fishPacks[pack].fishCount;
    }
    // Empty, or a fish that is not installed: the slot stays empty.
    return 0;
}

SFishSelection::SSlot CSettingsDialog::GetSlot(int item) const
{
    if (item <= 0)
        return {SFishSelection::EmptyKind, 0};
    if (item == 1)
        return {SFishSelection::RandomKind, 0};
    int first = 2;
    for (std::size_t pack = 0; pack < m_fishPacks.size(); ++pack) {
        if (item < first + m_fishPacks[pack].fishCount)
            return {static_cast<std::int32_t>(pack) + SFishSelection::FirstPackKind, item - first};
        first += m_fishPacks[pack].fishCount;
    }
    return {SFishSelection::EmptyKind, 0};
}

SSavedSettings CSettingsDialog::GetSettings() const
{
    SSavedSettings settings;
    settings.exitMode = std::max(0, m_gui->GetComboBox(m_exitMode)->GetSelectedItemIndex());
    CGUIComboBox* modes = m_gui->GetComboBox(m_videoMode);
    int const mode = modes->GetSelectedItemIndex();
    settings.videoMode = mode >= 0 ? modes->GetItemText(static_cast<unsigned int>(mode)) : VideoModes[0];
    settings.volume = static_cast<float>(m_gui->GetSlider(m_volume)->GetTick()) / (VolumeTicks - 1);
    settings.wallpaperPriority = static_cast<int>(m_gui->GetSlider(m_priority)->GetTick());
    settings.playBubblesSound = m_gui->GetCheckBox(m_bubbles)->IsChecked();
    settings.showMouseCursor = m_gui->GetCheckBox(m_cursor)->IsChecked();
    settings.debugMode = m_gui->GetCheckBox(m_debug)->IsChecked();
    return settings;
}

SFishSelection CSettingsDialog::GetFishSelection() const
{
    SFishSelection selection;
    for (unsigned int slot = 0; slot < SFishSelection::SlotsCount; ++slot)
        selection.slots[slot] = GetSlot(m_gui->GetComboBox(m_slots[slot])->GetSelectedItemIndex());
    selection.unique = m_gui->GetCheckBox(m_unique)->IsChecked();
    selection.packsEnabled.assign(m_fishPacks.size(), 1);
    for (std::size_t i = 0; i < m_packs.size(); ++i)
        selection.packsEnabled[i] = m_gui->GetCheckBox(m_packs[i])->IsChecked() ? 1 : 0;
    return selection;
}

bool CSettingsDialog::Save(std::string* error)
{
    GetSettings().Write(&m_file);
    std::string configError, selectionError;
    bool const configSaved = m_file.Save(m_paths.configFile, &configError);
    bool const selectionSaved = GetFishSelection().Write(m_paths.fishSelectionFile, &selectionError);
    if (error)
        *error = !configSaved ? configError : selectionError;
    return configSaved && selectionSaved;
}

void CSettingsDialog::Refresh()
{
    if (!m_gui)
        return;
    for (SLabel const& label : m_labels)
        m_gui->Print(m_look.fontId, m_panel, CVector2(label.x, label.y), TextColour(), "%s",
                     label.text.c_str());
    if (!m_saveError.empty())
        m_gui->Print(m_look.fontId, m_panel, CVector2(LeftColumn, ErrorLineY), ErrorColour(), "Not saved: %s",
                     m_saveError.c_str());
    if (m_finished)
        return;
    if (m_gui->GetButton(m_saveButton)->IsPressed()) {
        m_saved = Save(&m_saveError);
        m_saveFailed = !m_saved;
        if (m_saved)
            m_saveError.clear();
        else if (m_engine)
            m_engine->GetMessageManager()->WriteError("Settings not saved: %s", m_saveError.c_str());
        m_finished = m_saved;
    } else if (m_gui->GetButton(m_cancelButton)->IsPressed()) {
        m_finished = true;
    }
}

void CSettingsDialog::Destroy()
{
    if (!m_gui)
        return;
    for (auto id = m_widgets.rbegin(); id != m_widgets.rend(); ++id)
        m_gui->RemoveWindow(*id);
    m_gui->RemoveWindow(m_panel);
    m_widgets.clear();
    m_labels.clear();
    m_packs.clear();
    m_gui = nullptr;
    m_engine = nullptr;
}
