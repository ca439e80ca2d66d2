#include "SettingsDialog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>

#include "FishNames.h"
#include "SettingsHelp.h"
#include "SettingsLook.h"
#include "core/Engine.h"
#include "core/FileManager.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIComboBox.h"
#include "gui/GUIManager.h"
#include "gui/GUISlider.h"
#include "input/Controls.h"
#include "math/Color.h"

namespace
{
constexpr float RowHeight = 34.0f;
// The left column holds more rows than the fish slots beside it.
constexpr float LeftRowHeight = 30.0f;
constexpr float BoxSize = 22.0f;
constexpr float ComboHeight = 24.0f;
constexpr float LeftColumn = 30.0f;
constexpr float WidgetColumn = 200.0f;
constexpr float RightColumn = 420.0f;
// The wallpaper layer's box, right of its label in the right column.
constexpr float DesktopLayerColumn = 620.0f;
constexpr float DesktopLayerWidth = 140.0f;
constexpr float SliderWidth = 120.0f;
constexpr float SlotWidth = 250.0f;
constexpr float PictureGap = 6.0f;
// Portraits are twice as wide as high, shown as high as a combo box.
constexpr float PictureWidth = ComboHeight * 2.0f;
constexpr float HelpLineY = 70.0f;
constexpr float QuestionHeight = 100.0f;
constexpr int QuestionHeightAbovePanel = 20;
constexpr float FocusMarkGap = 14.0f;
constexpr unsigned int VolumeTicks = 11;
constexpr unsigned int WallpaperRestStep = 15;
constexpr std::size_t MaxPackCheckBoxes = 6;
// The preview's rectangle in GUI space (y upwards, top edge given), beside the fish packs.
constexpr float PreviewLeft = 210.0f;
// The time-of-day box stands left of the preview.
constexpr float DayModeWidth = 170.0f;
constexpr float PreviewTop = 222.0f;
constexpr float PreviewWidth = 180.0f;
constexpr float PreviewHeight = 135.0f;
constexpr float PreviewLabelGap = 8.0f;
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

CColor HelpColour()
{
    return CColor(CVector4(0.75f, 0.9f, 0.8f, 1.0f));
}

CColor FocusColour()
{
    return CColor(CVector4(1.0f, 0.85f, 0.35f, 1.0f));
}
} // namespace

SSettingsPaths SSettingsPaths::ForInstallation(std::string const& installPath)
{
    return {installPath + "/Data/Coralume.ini",
            installPath + "/Data/fishes.dat",
            installPath + "/Data/FishPacks",
            installPath + "/autostart",
            {},
            installPath + "/coralume"};
}

SSettingsPaths SSettingsPaths::ForUser(std::string const& installPath, std::string const& userFolder)
{
    return {userFolder + "/Coralume.ini", userFolder + "/fishes.dat", installPath + "/Data/FishPacks",
            CAutostartEntry::GetUserFolder(), CAutostartEntry::GetSystemFolders(),
            // The entry is run from the user's session: it names the program by its full path.
            std::filesystem::absolute(installPath + "/coralume").lexically_normal().string()};
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
    m_focus = 0;
    m_listWasOpen = false;
    m_file.Load(paths.configFile);
    m_fishPacks = FindFishPacks(paths.fishPacksFolder);
    SSavedSettings const settings = SSavedSettings::Read(m_file);
    SFishSelection const selection = SFishSelection::Read(paths.fishSelectionFile, m_fishPacks.size());

    m_panel = m_gui->AddWindow(GWP_SHOWN, CVector2(0.0f, 0.0f), CVector2(Width, Height), look.panel, nullptr);
    float y = Height - 70.0f;
    m_exitMode = AddComboBox(WidgetColumn, y, 190.0f, "Screen saver ends on", settings_help::ExitMode);
    for (char const* name : ExitModeNames)
        m_gui->GetComboBox(m_exitMode)->AddItem(name);
    m_gui->GetComboBox(m_exitMode)->SetSelection(settings.exitMode);
    // The chosen mode's effect is printed in the row below.
    y -= LeftRowHeight * 1.6f;
    m_videoMode = AddComboBox(WidgetColumn, y, 190.0f, "Video mode", settings_help::VideoMode);
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
    y -= LeftRowHeight;
    m_monitorLayout = AddComboBox(WidgetColumn, y, 190.0f, "Several monitors", settings_help::Monitors);
    CGUIComboBox* layouts = m_gui->GetComboBox(m_monitorLayout);
    for (char const* name : MonitorLayoutNames)
        layouts->AddItem(name);
    layouts->SetSelection(0);
    for (std::size_t i = 0; i < std::size(MonitorLayouts); ++i) {
        if (settings.monitorLayout == MonitorLayouts[i])
            layouts->SetSelection(static_cast<int>(i));
    }
    y -= LeftRowHeight;
    m_volume = AddSlider(WidgetColumn, y, "Sound volume", VolumeTicks,
                         static_cast<unsigned int>(std::lround(settings.volume * (VolumeTicks - 1))),
                         settings_help::Volume);
    y -= LeftRowHeight;
    m_priority = AddSlider(WidgetColumn, y, "Wallpaper priority", SSavedSettings::MaxWallpaperPriority + 1,
                           static_cast<unsigned int>(settings.wallpaperPriority), settings_help::Priority);
    y -= LeftRowHeight;
    m_powerSaving = AddComboBox(WidgetColumn, y, 190.0f, "Wallpaper on battery", settings_help::PowerSaving);
    CGUIComboBox* savings = m_gui->GetComboBox(m_powerSaving);
    for (char const* name : PowerSavingNames)
        savings->AddItem(name);
    for (std::size_t i = 0; i < std::size(PowerSavingModes); ++i) {
        if (settings.powerSaving == PowerSavingModes[i])
            savings->SetSelection(static_cast<int>(i));
    }
    y -= LeftRowHeight;
    m_readCpuBudget = settings.cpuBudget;
    m_cpuBudget =
        AddSlider(WidgetColumn, y, "Wallpaper CPU budget", SSavedSettings::MaxCpuBudget / CpuBudgetStep + 1,
                  static_cast<unsigned int>(std::lround(double(settings.cpuBudget) / CpuBudgetStep)),
                  settings_help::CpuBudget);
    y -= LeftRowHeight;
    m_bubbles =
        AddCheckBox(LeftColumn, y, "Bubbles sound", settings.playBubblesSound, settings_help::Bubbles);
    m_wallpaperBubbles = AddCheckBox(WidgetColumn, y, "also on the wallpaper", settings.wallpaperBubblesSound,
                                     settings_help::WallpaperBubbles);
    y -= LeftRowHeight;
    m_cursor =
        AddCheckBox(LeftColumn, y, "Show the mouse cursor", settings.showMouseCursor, settings_help::Cursor);
    y -= LeftRowHeight;
    m_debug = AddCheckBox(LeftColumn, y, "Debug mode (free camera, statistics)", settings.debugMode,
                          settings_help::Debug);
    y -= LeftRowHeight;
    // Its items name themselves; the preview beside it leaves no room for a label.
    m_dayMode = AddComboBox(LeftColumn, y, DayModeWidth, "", settings_help::DayMode);
    CGUIComboBox* dayModes = m_gui->GetComboBox(m_dayMode);
    for (char const* name : DayModeNames)
        dayModes->AddItem(name);
    dayModes->SetSelection(0);
    for (std::size_t i = 0; i < std::size(DayModes); ++i) {
        if (settings.dayMode == DayModes[i])
            dayModes->SetSelection(static_cast<int>(i));
    }
    y -= LeftRowHeight * 1.5f;
    m_labels.push_back({LeftColumn, y, "Fish packs"});
    m_labels.push_back({PreviewLeft, PreviewTop + PreviewLabelGap, "Preview"});
    for (std::size_t i = 0; i < m_fishPacks.size() && i < MaxPackCheckBoxes; ++i) {
        y -= RowHeight;
        m_packs.push_back(AddCheckBox(LeftColumn, y, m_fishPacks[i].title.c_str(),
                                      selection.packsEnabled[i] != 0, settings_help::Pack));
    }
    AddSlots(selection);
    AddFishPictures();
    m_unique = AddCheckBox(RightColumn, Height - 70.0f - RowHeight * 11.0f, "Every fish different",
                           selection.unique, settings_help::Unique);
    m_autostartEnabled = GetAutostartEntry().IsEnabled();
    m_autostart =
        AddCheckBox(RightColumn, Height - 70.0f - RowHeight * 12.0f, "Start the live wallpaper when I log in",
                    m_autostartEnabled, settings_help::Autostart);
    m_desktopLayer = AddComboBox(DesktopLayerColumn, Height - 70.0f - RowHeight * 13.0f, DesktopLayerWidth,
                                 "Wallpaper layer (Wayland)", settings_help::DesktopLayer, RightColumn);
    CGUIComboBox* layers = m_gui->GetComboBox(m_desktopLayer);
    for (char const* name : DesktopLayerNames)
        layers->AddItem(name);
    layers->SetSelection(settings.desktopLayer == DesktopLayers[1] ? 1 : 0);
    m_saveButton = AddButton(Width - 280.0f, 24.0f, "Save", settings_help::Save, m_gui->GetWindow(m_panel));
    m_cancelButton =
        AddButton(Width - 150.0f, 24.0f, "Cancel", settings_help::Cancel, m_gui->GetWindow(m_panel));
    AddQuestion();
    m_startValues = GetValuesSignature();
}

void CSettingsDialog::AddFishPictures()
{
    m_itemPictures.assign(2, CShaderDescriptor());
    m_itemHasPicture.assign(2, false);
    for (SFishPack const& pack : m_fishPacks) {
        for (int fish = 0; fish < pack.fishCount; ++fish) {
            std::string const name =
                "Settings\\Fish\\" + pack.name + "\\fish" + std::to_string(fish) + ".tga";
            bool const exists = m_look.fishPictures &&
                                m_engine->GetFileManager()->IsFileExists(("Data\\Textures\\" + name).c_str());
            m_itemPictures.push_back(exists ? CSettingsLookBuilder::Picture(m_engine, name, 1)
                                            : CShaderDescriptor());
            m_itemHasPicture.push_back(exists);
        }
    }
    for (unsigned int slot = 0; slot < SFishSelection::SlotsCount; ++slot) {
        CVector2 const box = m_gui->GetWindow(m_slots[slot])->GetPosition();
        m_slotPictures[slot] =
            m_gui->AddWindow(0, CVector2(box.x + SlotWidth + PictureGap, box.y),
                             CVector2(PictureWidth, ComboHeight), m_look.panel, m_gui->GetWindow(m_panel));
        m_gui->GetWindow(m_slotPictures[slot])->SetHeightAboveParent(1);
        m_slotPictureItems[slot] = CGUIComboBox::NoSelection;
    }
    ShowFishPictures();
}

void CSettingsDialog::ShowFishPictures()
{
    for (unsigned int slot = 0; slot < SFishSelection::SlotsCount; ++slot) {
        CGUIComboBox* combo = m_gui->GetComboBox(m_slots[slot]);
        int const item = combo->IsOpened() ? combo->GetHighlightedItem() : combo->GetSelectedItemIndex();
        bool const shown = item >= 0 && static_cast<std::size_t>(item) < m_itemHasPicture.size() &&
                           m_itemHasPicture[static_cast<std::size_t>(item)];
        CGUIWindow* picture = m_gui->GetWindow(m_slotPictures[slot]);
        if (shown && item != m_slotPictureItems[slot])
            picture->ChangeShader(m_itemPictures[static_cast<std::size_t>(item)]);
        m_slotPictureItems[slot] = shown ? item : CGUIComboBox::NoSelection;
        picture->Show(shown);
    }
}

void CSettingsDialog::AddQuestion()
{
    // A modal band over the buttons: while it shows, nothing else takes the mouse.
    m_question = m_gui->AddWindow(GWP_MODAL, CVector2(0.0f, 0.0f), CVector2(Width, QuestionHeight),
                                  m_look.list, m_gui->GetWindow(m_panel));
    m_gui->GetWindow(m_question)->SetHeightAboveParent(QuestionHeightAbovePanel);
    CGUIWindow* question = m_gui->GetWindow(m_question);
    m_discardButton = m_gui->AddButton(GWP_SHOWN, CVector2(Width - 280.0f, 24.0f), CVector2(110.0f, 34.0f),
                                       m_look.button, question, OverSound, PressSound);
    m_keepButton = m_gui->AddButton(GWP_SHOWN, CVector2(Width - 150.0f, 24.0f), CVector2(110.0f, 34.0f),
                                    m_look.button, question, OverSound, PressSound);
}

unsigned int CSettingsDialog::AddCheckBox(float x, float y, char const* label, bool checked, char const* help)
{
    unsigned int const id =
        m_gui->AddCheckBox(GWP_SHOWN, CVector2(x, y), CVector2(BoxSize, BoxSize), m_look.checkBox,
                           m_gui->GetWindow(m_panel), OverSound, CheckSound);
    m_gui->GetCheckBox(id)->SetCheck(checked);
    m_labels.push_back({x + BoxSize + 10.0f, y + 3.0f, label});
    m_widgets.push_back(id);
    m_help.push_back(help);
    return id;
}

unsigned int CSettingsDialog::AddComboBox(float x, float y, float width, char const* label, char const* help,
                                          float labelX)
{
    unsigned int const id = m_gui->AddComboBox(GWP_SHOWN, CVector2(x, y), CVector2(width, ComboHeight),
                                               m_look.comboBox, m_look.list, m_gui->GetWindow(m_panel),
                                               m_look.fontId, TextColour(), OverSound, PressSound);
    m_labels.push_back({labelX >= 0.0f ? labelX : LeftColumn, y + 4.0f, label});
    m_widgets.push_back(id);
    m_help.push_back(help);
    return id;
}

unsigned int CSettingsDialog::AddSlider(float x, float y, char const* label, unsigned int ticks,
                                        unsigned int tick, char const* help)
{
    unsigned int const id = m_gui->AddSlider(GWP_SHOWN, CVector2(x, y + 6.0f), CVector2(SliderWidth, 10.0f),
                                             m_look.slider, m_look.toddler, CVector2(12.0f, 22.0f),
                                             m_gui->GetWindow(m_panel), OverSound, PressSound);
    CGUISlider* slider = m_gui->GetSlider(id);
    slider->SetTicksCount(ticks);
    slider->SetTick(tick);
    m_labels.push_back({LeftColumn, y + 4.0f, label});
    m_widgets.push_back(id);
    m_help.push_back(help);
    return id;
}

unsigned int CSettingsDialog::AddButton(float x, float y, char const* label, char const* help,
                                        CGUIWindow* parent)
{
    unsigned int const id = m_gui->AddButton(GWP_SHOWN, CVector2(x, y), CVector2(110.0f, 34.0f),
                                             m_look.button, parent, OverSound, PressSound);
    m_labels.push_back({x + 30.0f, y + 8.0f, label});
    m_widgets.push_back(id);
    m_help.push_back(help);
    return id;
}

void CSettingsDialog::AddSlots(SFishSelection const& selection)
{
    m_labels.push_back({RightColumn, Height - 70.0f + 4.0f, "Fish in the tank"});
    for (unsigned int slot = 0; slot < SFishSelection::SlotsCount; ++slot) {
        float const y = Height - 70.0f - RowHeight * static_cast<float>(slot + 1);
        unsigned int const id = m_gui->AddComboBox(
            GWP_SHOWN, CVector2(RightColumn + 40.0f, y), CVector2(SlotWidth, ComboHeight), m_look.comboBox,
            m_look.list, m_gui->GetWindow(m_panel), m_look.fontId, TextColour(), OverSound, PressSound);
        CGUIComboBox* combo = m_gui->GetComboBox(id);
        combo->AddItem("Empty");
        combo->AddItem("Random fish");
        for (SFishPack const& pack : m_fishPacks) {
            for (int fish = 0; fish < pack.fishCount; ++fish) {
                std::string const text =
                    pack.title + ": " + ReadFishName(m_paths.fishPacksFolder, pack, fish);
                combo->AddItem(text.c_str());
            }
        }
        combo->SetSelection(GetSlotItem(selection.slots[slot]));
        char number[8];
        std::snprintf(number, sizeof number, "%u.", slot + 1);
        m_labels.push_back({RightColumn + 8.0f, y + 4.0f, number});
        m_slots[slot] = id;
        m_widgets.push_back(id);
        m_help.push_back(settings_help::Slot);
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
    int const layout = m_gui->GetComboBox(m_monitorLayout)->GetSelectedItemIndex();
    settings.monitorLayout = MonitorLayouts[layout > 0 ? layout : 0];
    int const dayMode = m_gui->GetComboBox(m_dayMode)->GetSelectedItemIndex();
    settings.dayMode = DayModes[dayMode > 0 ? dayMode : 0];
    settings.desktopLayer =
        DesktopLayers[m_gui->GetComboBox(m_desktopLayer)->GetSelectedItemIndex() == 1 ? 1 : 0];
    settings.volume = static_cast<float>(m_gui->GetSlider(m_volume)->GetTick()) / (VolumeTicks - 1);
    settings.wallpaperPriority = static_cast<int>(m_gui->GetSlider(m_priority)->GetTick());
    int const saving = m_gui->GetComboBox(m_powerSaving)->GetSelectedItemIndex();
    settings.powerSaving = PowerSavingModes[saving >= 0 ? saving : 1];
    int const budget = static_cast<int>(m_gui->GetSlider(m_cpuBudget)->GetTick()) * CpuBudgetStep;
    settings.cpuBudget = std::abs(budget - m_readCpuBudget) * 2 < CpuBudgetStep ? m_readCpuBudget : budget;
    settings.playBubblesSound = m_gui->GetCheckBox(m_bubbles)->IsChecked();
    settings.wallpaperBubblesSound = m_gui->GetCheckBox(m_wallpaperBubbles)->IsChecked();
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

CAutostartEntry CSettingsDialog::GetAutostartEntry() const
{
    return CAutostartEntry(m_paths.autostartFolder, m_paths.systemAutostartFolders, m_paths.program);
}

bool CSettingsDialog::Save(std::string* error)
{
    GetSettings().Write(&m_file);
    std::string configError, selectionError, autostartError;
    bool const configSaved = m_file.Save(m_paths.configFile, &configError);
    bool const selectionSaved = GetFishSelection().Write(m_paths.fishSelectionFile, &selectionError);
    bool const autostart = m_gui->GetCheckBox(m_autostart)->IsChecked();
    bool autostartSaved = true;
    if (autostart != m_autostartEnabled) {
        autostartSaved = GetAutostartEntry().SetEnabled(autostart, &autostartError);
        if (autostartSaved)
            m_autostartEnabled = autostart;
    }
    if (error)
        *error = !configSaved ? configError : !selectionSaved ? selectionError : autostartError;
    return configSaved && selectionSaved && autostartSaved;
}

SPreviewArea CSettingsDialog::GetPreviewArea(float windowWidth, float windowHeight)
{
    float const scaleX = windowWidth / Width;
    float const scaleY = windowHeight / Height;
    return {static_cast<unsigned int>(std::lround(PreviewLeft * scaleX)),
            static_cast<unsigned int>(std::lround((Height - PreviewTop) * scaleY)),
            static_cast<unsigned int>(std::lround(PreviewWidth * scaleX)),
            static_cast<unsigned int>(std::lround(PreviewHeight * scaleY))};
}

std::string CSettingsDialog::GetValuesSignature() const
{
    std::string values;
    for (unsigned int id : m_widgets) {
        if (CGUICheckBox* box = m_gui->GetCheckBox(id))
            values += box->IsChecked() ? "1," : "0,";
        else if (CGUIComboBox* combo = m_gui->GetComboBox(id))
            values += std::to_string(combo->GetSelectedItemIndex()) + ",";
        else if (CGUISlider* slider = m_gui->GetSlider(id))
            values += std::to_string(slider->GetTick()) + ",";
    }
    return values;
}

bool CSettingsDialog::HasChanges() const
{
    return m_gui && GetValuesSignature() != m_startValues;
}

bool CSettingsDialog::IsAskingToDiscard() const
{
    CGUIWindow* question = m_gui ? m_gui->GetWindow(m_question) : nullptr;
    return question && (question->GetProperties() & GWP_SHOWN);
}

std::string CSettingsDialog::GetSliderValueText(unsigned int sliderId) const
{
    CGUISlider* slider = m_gui->GetSlider(sliderId);
    if (!slider)
        return std::string();
    char text[64];
    unsigned int const tick = slider->GetTick();
    if (sliderId == m_volume) {
        std::snprintf(text, sizeof text, "%u %%", tick * 100 / (VolumeTicks - 1));
    } else if (sliderId == m_cpuBudget) {
        if (tick == 0)
            std::snprintf(text, sizeof text, "off");
        else
            std::snprintf(text, sizeof text, "%u %%", tick * CpuBudgetStep);
    } else {
        // The wallpaper rests 15 ms per step below the top priority after every frame: the
        // value reads as the priority and that rest.
        unsigned int const rest = WallpaperRestStep * (SSavedSettings::MaxWallpaperPriority + 1 - tick);
        std::snprintf(text, sizeof text, "%u (%u ms)", tick, rest);
    }
    return text;
}

void CSettingsDialog::Finish(bool save)
{
    if (save) {
        m_saved = Save(&m_saveError);
        m_saveFailed = !m_saved;
        if (!m_saved) {
            // The dialog stays open with the reason on screen.
            if (m_engine)
                m_engine->GetMessageManager()->WriteError("Settings not saved: %s", m_saveError.c_str());
            Ask(false);
            return;
        }
        m_saveError.clear();
    }
    m_finished = true;
    Ask(false);
}

void CSettingsDialog::Ask(bool ask)
{
    if (CGUIWindow* question = m_gui->GetWindow(m_question))
        question->Show(ask);
    for (unsigned int id : {m_saveButton, m_cancelButton})
        m_gui->GetWindow(id)->Show(!ask);
}

void CSettingsDialog::MoveFocus(int step)
{
    std::size_t const count = m_widgets.size();
    m_focus = (m_focus + count + static_cast<std::size_t>(step + static_cast<int>(count))) % count;
}

void CSettingsDialog::ChangeFocused(int step)
{
    unsigned int const id = m_widgets[m_focus];
    if (CGUISlider* slider = m_gui->GetSlider(id)) {
        int const tick = static_cast<int>(slider->GetTick()) + step;
        if (tick >= 0)
            slider->SetTick(static_cast<unsigned int>(tick));
    } else if (CGUIComboBox* combo = m_gui->GetComboBox(id)) {
        int const item = combo->GetSelectedItemIndex() + step;
        if (item >= 0 && item < static_cast<int>(combo->GetItemsCount()))
            combo->SetSelection(item);
    }
}

void CSettingsDialog::TakeKeys()
{
    CControls* controls = m_engine->GetControls();
    if (!controls)
        return;
    bool const shift = controls->IsKeyPressed("LSHIFT") || controls->IsKeyPressed("RSHIFT");
    if (IsAskingToDiscard()) {
        if (controls->IsKeyPressedOnce("ESCAPE"))
            Finish(false);
        else if (controls->IsKeyPressedOnce("ENTER"))
            Finish(true);
        return;
    }
    if (controls->IsKeyPressedOnce("ESCAPE")) {
        if (HasChanges())
            Ask(true);
        else
            Finish(false);
    } else if (controls->IsKeyPressedOnce("ENTER")) {
        Finish(true);
    } else if (controls->IsKeyPressedOnce("TAB")) {
        MoveFocus(shift ? -1 : 1);
    } else if (controls->IsKeyPressedOnce("LEFTARROW") || controls->IsKeyPressedOnce("UPARROW")) {
        ChangeFocused(-1);
    } else if (controls->IsKeyPressedOnce("RIGHTARROW") || controls->IsKeyPressedOnce("DOWNARROW")) {
        ChangeFocused(1);
    } else if (controls->IsKeyPressedOnce("SPACE")) {
        unsigned int const id = m_widgets[m_focus];
        if (CGUICheckBox* box = m_gui->GetCheckBox(id))
            box->SetCheck(!box->IsChecked());
        else if (CGUIComboBox* combo = m_gui->GetComboBox(id))
            combo->Open(true);
        else if (id == m_saveButton)
            Finish(true);
        else if (id == m_cancelButton)
            Finish(false);
    }
}

std::string CSettingsDialog::GetExitModeEffect() const
{
    int const mode = m_gui->GetComboBox(m_exitMode)->GetSelectedItemIndex();
    return mode >= 0 && mode < SSavedSettings::ExitModesCount ? settings_help::ExitModeEffects[mode] : "";
}

void CSettingsDialog::PrintExtras()
{
    CVector2 const exitBox = m_gui->GetWindow(m_exitMode)->GetPosition();
    m_gui->Print(m_look.fontId, m_panel, CVector2(WidgetColumn, exitBox.y - LeftRowHeight * 0.75f),
                 HelpColour(), "%s", GetExitModeEffect().c_str());
    for (unsigned int id : {m_volume, m_priority, m_cpuBudget}) {
        CGUIWindow* slider = m_gui->GetWindow(id);
        m_gui->Print(m_look.fontId, m_panel,
                     CVector2(slider->GetPosition().x + SliderWidth + 12.0f, slider->GetPosition().y - 2.0f),
                     TextColour(), "%s", GetSliderValueText(id).c_str());
    }
    // The explanation of what is under the mouse, else of the focused setting.
    char const* help = m_help[m_focus];
    for (std::size_t i = 0; i < m_widgets.size(); ++i) {
        CGUIWindow* widget = m_gui->GetWindow(m_widgets[i]);
        CGUISlider* slider = m_gui->GetSlider(m_widgets[i]);
        CGUIComboBox* combo = m_gui->GetComboBox(m_widgets[i]);
        if (widget->IsMouseOnWindow() || (slider && slider->GetToddler()->IsMouseOnWindow()) ||
            (combo && combo->IsOpened() && combo->GetList()->IsMouseOnWindow()))
            help = m_help[i];
    }
    bool const asking = IsAskingToDiscard();
    m_helpLine = asking ? "Discard the changes? Enter saves them, Escape discards them." : help;
    m_gui->Print(m_look.fontId, asking ? m_question : m_panel, CVector2(LeftColumn, HelpLineY), HelpColour(),
                 "%s", m_helpLine.c_str());
    if (asking) {
        for (auto const& [id, label] :
             {std::pair{m_discardButton, "Discard"}, std::pair{m_keepButton, "Back"}}) {
            CVector2 const at = m_gui->GetWindow(id)->GetPosition();
            m_gui->Print(m_look.fontId, m_question, CVector2(at.x + 30.0f, at.y + 8.0f), TextColour(), "%s",
                         label);
        }
        return;
    }
    CGUIWindow* focused = m_gui->GetWindow(m_widgets[m_focus]);
    CVector2 const at = focused->GetPosition();
    m_gui->Print(m_look.fontId, m_panel, CVector2(at.x - FocusMarkGap, at.y + 3.0f), FocusColour(), ">");
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
    // Keys of a frame that began with an open list were that list's.
    bool const listWasOpen = m_listWasOpen;
    m_listWasOpen = m_gui->GetOpenedComboBox() != nullptr;
    if (IsAskingToDiscard()) {
        if (m_gui->GetButton(m_discardButton)->IsPressed())
            Finish(false);
        else if (m_gui->GetButton(m_keepButton)->IsPressed())
            Ask(false);
    } else if (m_gui->GetButton(m_saveButton)->IsPressed()) {
        Finish(true);
    } else if (m_gui->GetButton(m_cancelButton)->IsPressed()) {
        Finish(false);
    }
    if (!m_finished && !listWasOpen && !m_listWasOpen)
        TakeKeys();
    if (!m_finished) {
        PrintExtras();
        ShowFishPictures();
    }
}

void CSettingsDialog::Destroy()
{
    if (!m_gui)
        return;
    for (unsigned int id : m_slotPictures)
        m_gui->RemoveWindow(id);
    m_itemPictures.clear();
    m_itemHasPicture.clear();
    m_gui->RemoveWindow(m_discardButton);
    m_gui->RemoveWindow(m_keepButton);
    m_gui->RemoveWindow(m_question);
    for (auto id = m_widgets.rbegin(); id != m_widgets.rend(); ++id)
        m_gui->RemoveWindow(*id);
    m_gui->RemoveWindow(m_panel);
    m_widgets.clear();
    m_help.clear();
    m_labels.clear();
    m_packs.clear();
    m_gui = nullptr;
    m_engine = nullptr;
}
