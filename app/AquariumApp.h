#pragma once

#include "CameraControl.h"
#include "CommandLine.h"
#include "PluginTable.h"
#include "RunMode.h"
#include "ScreenOverlay.h"
#include "core/Engine.h"
#include "platform/SingleInstance.h"

#include <string>

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

    // Start-up with a parent window (null: a window of the engine's own). False when the
    // installation is not found; nothing runs then.
    bool StartUp(ERunMode runMode, HWND parentWindow);
    void Frame();
    void Shutdown();

    CEngine* GetEngine() { return &m_engine; }
    CPluginTable* GetPlugins() { return &m_plugins; }
    CScreenOverlay const* GetScreenOverlay() const { return &m_screenOverlay; }
    ERunMode GetRunMode() const { return m_runMode; }
    float GetElapsedTime() const { return m_elapsedTime; }

private:
    int RunSettingsLauncher(SCommandLine const& command);
    bool IsAnotherInstanceRunning(ERunMode runMode);
    HWND MakeParentWindow(SLaunchOptions const& options, bool* ownWindow);
    void RunMessageLoop(SLaunchOptions const& options);
    void TakeFinalScreenshot(std::string const& directory);
    void ReadInstallationData();
    bool ReadInstallPath();

    void RegisterVariables();
    void PlaceScene();
    void StartPreview();
    void StartConsole();
    void StartAquarium();
    void ApplyExitRules();
    void DrainKeyStates();

    static char const* GetWindowTitle(ERunMode runMode);

    bool m_shutDown = true;
    ERunMode m_runMode = RUN_SETTINGS;
    bool m_windowed = false; // a screen saver run in an ordinary window
    CEngine m_engine;
    int m_exitMode = 2;
    bool m_showMouseCursor = true;
    bool m_playBubblesSound = true;
    int m_wallpaperPriority = 9;
    char m_installPath[PathLength] = {};
    bool m_debugMode = false;
    float m_elapsedTime = 0.0f;
    CPluginTable m_plugins;
    unsigned int m_previewWindowId = 0;
    CCameraControl m_cameraControl;
    CScreenOverlay m_screenOverlay;

    // Installation data read once per run.
    std::string m_installationSuffix = "0";
    std::string m_versionText = "100";
    std::string m_versionString = "1.00";
    int m_versionNumber = 100;
    std::string m_dataPath;
    platform::InstanceLock m_instanceLock;
};
