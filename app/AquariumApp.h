#pragma once

#include "CameraControl.h"
#include "CommandLine.h"
#include "CpuBudget.h"
#include "FramePacing.h"
#include "PluginTable.h"
#include "PowerSaving.h"
#include "RunMode.h"
#include "ScreenOverlay.h"
#include "VisibilityPause.h"
#include "core/Engine.h"
#include "platform/os/MemoryPhases.h"
#include "platform/os/SingleInstance.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// The Coralume program: one object for the whole run, holding the engine.
class CAquariumApp
{
public:
    static constexpr unsigned int PathLength = 256;

    CAquariumApp();
    ~CAquariumApp();
    CAquariumApp(CAquariumApp const&) = delete;
    CAquariumApp& operator=(CAquariumApp const&) = delete;

    // The whole run for the parsed arguments; returns the exit status: 0 after a normal end,
    // 1 after a failure.
    int Run(SLaunchOptions const& options);
    // True after a run that ended to start again: the wallpaper drew into the bare root window
    // and a window manager started.
    bool IsRestartWanted() const { return m_restartWanted; }

    // Start-up with a parent window (null: a window of the engine's own). False when the
    // installation is not found; nothing runs then.
    bool StartUp(ERunMode runMode, HWND parentWindow);
    // "name value" lines that StartUp applies over the configuration files (Run passes the
    // command line's).
    void SetConfigOverrides(std::vector<std::string> lines) { m_configOverrides = std::move(lines); }
    void Frame();
    void Shutdown();

    CEngine* GetEngine() { return &m_engine; }
    CPluginTable* GetPlugins() { return &m_plugins; }
    CScreenOverlay const* GetScreenOverlay() const { return &m_screenOverlay; }
    CScreenOverlay* GetScreenOverlay() { return &m_screenOverlay; }
    // Once the scene has run a few seconds (its shaders are compiled): gives back the code
    // only start-up ran. Frame calls it; a benchmark driving the engine itself may too.
    void SettleScene();
    ERunMode GetRunMode() const { return m_runMode; }
    float GetElapsedTime() const { return static_cast<float>(m_elapsedTime); }

private:
    int RunSettingsLauncher(SCommandLine const& command);
    bool IsAnotherInstanceRunning(SLaunchOptions const& options);
    // A message box, or standard error alone where no one can answer a dialog.
    void Report(char const* caption, char const* text);
    HWND MakeParentWindow(SLaunchOptions const& options, bool* ownWindow);
    void RunMessageLoop(SLaunchOptions const& options);
    void TakeFinalScreenshot(std::string const& directory);
    // Records the run as a movie into `directory`, the screen capture's own.
    void StartRecording(std::string const& directory);
    void ReadInstallationData();
    bool ReadInstallPath();

    // Creates the user's settings and log folders and seeds the settings from the installation.
    void PrepareUserFolders();
    void RegisterVariables();
    // The command line's lines, after what the run mode sets over the files.
    std::vector<std::string> GetRunOverrides() const;
    void PlaceScene();
    void StartPreview();
    void StartConsole();
    void StartAquarium();
    void ApplyExitRules();
    // The wallpaper on battery or under the power-saver profile: slower, or paused.
    void FollowPower();
    // The frame rate ceiling from the setting, power saving and the processor budget.
    int ChooseFramesPerSecond();
    // The render scale from the setting, lowered further by the wallpaper's processor budget.
    float ChooseRenderScale() const;
    // The monitor layout and the monitors as configured, to the camera manager when they change.
    void ApplyMonitorSettings();
    // The wallpaper's layer as configured, to the window system when it changes.
    void ApplyDesktopLayer();
    void DrainKeyStates();
    // Gives memory that only loading needed back to the system before the first frame.
    void ReturnLoadingMemory();

    static char const* GetWindowTitle(ERunMode runMode);

    bool m_shutDown = true;
    bool m_restartWanted = false;
    ERunMode m_runMode = RUN_SETTINGS;
    bool m_windowed = false; // a screen saver run in an ordinary window
    CEngine m_engine;
    int m_exitMode = 2;
    bool m_showMouseCursor = true;
    bool m_playBubblesSound = true;
    // The wallpaper's own sound switch: a desktop background is quiet unless asked.
    bool m_wallpaperBubblesSound = false;
    int m_wallpaperPriority = 9;
    char m_installPath[PathLength] = {};
    bool m_debugMode = false;
    int m_maxFishes = 0; // "g_max_fishes": at most this many fish this run; 0: all selected
    char m_userPath[PathLength] = {};
    // Summed in double precision: a float sum stops growing after a few days of frames.
    double m_elapsedTime = 0.0;
    bool m_sceneSettled = false;
    platform::MemoryPhases m_memoryPhases;
    bool m_keepBackground = true;          // "r_keep_background"
    float m_renderScale = 1.0f;            // "r_render_scale": part of the window's size drawn
    char m_monitorLayout[PathLength] = {}; // "g_monitor_layout": "auto", "each" or "span"
    char m_monitors[PathLength] =
        {}; // "g_monitors": "800x600+0+0,1280x720+800+0"; empty: ask the window system
    // The texts last handed to the cameras: parsed again only when they change.
    std::string m_appliedMonitorLayout;
    std::string m_appliedMonitors;
    bool m_monitorSettingsApplied = false;
    char m_desktopLayer[PathLength] = {}; // "g_desktop_layer": "background" or "bottom" (Wayland)
    std::string m_appliedDesktopLayer;
    char m_dayMode[PathLength] = {}; // "g_day_mode": "clock", "day" or "night"
    float m_dayHour = -1.0f;         // "g_day_hour": the hour shown this run; negative: the mode's
    bool m_feedOnClick = false;      // "g_feed_on_click": the screen saver in debug mode or a window
    char m_feedKey[PathLength] = {}; // "g_feed_key": the key that drops food; empty: none
    bool m_pointerAttention = false; // "g_pointer_attention": fish notice the pointer (the wallpaper)
    CPluginTable m_plugins;
    unsigned int m_previewWindowId = 0;
    CCameraControl m_cameraControl;
    CScreenOverlay m_screenOverlay;

    // Drawing only what is seen, no faster than the display shows.
    int m_maxFramesPerSecond = CFrameRateCap::DefaultFramesPerSecond;
    CFrameRateCap m_frameRateCap;
    CVisibilityPause m_visibilityPause;
    // The wallpaper's power and processor use.
    char m_powerSavingMode[PathLength] = {}; // "g_power_saving": "pause", "slow" or "off"
    int m_cpuBudgetPercent = 0;              // "g_cpu_budget": per cent of one core; 0: none
    std::unique_ptr<platform::PowerWatch> m_powerWatch;
    CPowerSaving m_powerSaving;
    CCpuBudget m_cpuBudget;

    // Installation data read once per run.
    std::string m_installationSuffix = "0";
    std::string m_versionText = "100";
    std::string m_versionString = "1.00";
    int m_versionNumber = 100;
    std::string m_dataPath;
    // The user's folders: settings, logs and pictures.
    std::string m_userConfigFolder;
    std::string m_userStateFolder;
    std::string m_installedConfigFile;
    platform::InstanceLock m_instanceLock;
    bool m_dialogsAllowed = true;
    std::vector<std::string> m_configOverrides; // "name value" lines from the command line
    unsigned long m_framePauseMicroseconds = 0;
};
