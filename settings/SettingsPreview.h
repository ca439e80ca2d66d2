#pragma once

#include <string>

#include "FishSelection.h"
#include "PluginTable.h"
#include "SettingsDialog.h"

class CEngine;

// The aquarium as the dialog's values would draw it: the installed plug-ins run in a rectangle
// of the window, their camera limited to it. A fish selection not yet saved reaches the fish
// plug-in through a private temporary file named by "g_fishes_file".
class CSettingsPreview
{
public:
    static constexpr unsigned int PathLength = 256;
    // The preview draws at a low rate, and only for a while after it was shown or a value
    // changed; then it rests on its last frame so that an untouched dialog costs no CPU.
    static constexpr double FrameSeconds = 0.2;
    static constexpr double RunSeconds = 10.0;

    CSettingsPreview() = default;
    ~CSettingsPreview() { Destroy(); }
    CSettingsPreview(CSettingsPreview const&) = delete;
    CSettingsPreview& operator=(CSettingsPreview const&) = delete;

    // Registers the plug-ins' host variables and places camera 0 as the aquarium places it,
    // limited to the area. False when no private file for the selection can be made.
    bool Create(CEngine* engine, std::string const& installPath, SPreviewArea const& area);
    // Unloads the plug-ins and removes the temporary file. The variables' storage stays with
    // this object, so it must outlive the engine's configuration.
    void Destroy();
    bool IsFree() const { return m_engine == nullptr; }

    // Restarts the plug-ins with this selection.
    void Show(SFishSelection const& selection);
    // Restarts them when the dialog's values differ from those shown; true when it did.
    bool ShowIfChanged(CSettingsDialog const& dialog);
    // Each plug-in's frame.
    void Refresh() { m_plugins.RefreshAll(); }

    // Pacing, in seconds of a steady clock: a change lets the preview run again.
    void Wake(double now) { m_runsUntil = now + RunSeconds; }
    bool IsFrameDue(double now) const { return now < m_runsUntil && now >= m_nextFrame; }
    void FrameDrawn(double now) { m_nextFrame = now + FrameSeconds; }
    // How long an idle loop may wait for input before the next preview frame is due.
    double GetSecondsToNextFrame(double now) const;
    int GetPluginsCount() const { return m_plugins.GetCount(); }
    std::string const& GetSelectionFile() const { return m_selectionFile; }

private:
    CEngine* m_engine = nullptr;
    CPluginTable m_plugins;
    bool m_loaded = false;
    std::string m_selectionFile;
    std::string m_shownValues;
    double m_runsUntil = 0.0;
    double m_nextFrame = 0.0;
    char m_installPath[PathLength] = {};
    char m_selectionPath[PathLength] = {};
    bool m_playBubbles = false; // the preview is silent
    bool m_debugMode = false;
    char m_dayMode[PathLength] = {}; // the dialog's time of day
};
