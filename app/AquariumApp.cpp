#include "AquariumApp.h"

#include "ExitRules.h"
#include "FramePacing.h"
#include "InstallationData.h"
#include "SettingsLauncher.h"
#include "core/Errors.h"
#include "core/Timer.h"
#include "math/Angles.h"
#include "platform/os/Clock.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Path.h"
#include "platform/os/ProcessTimes.h"
#include "platform/os/Registry.h"
#include "platform/os/TerminationSignals.h"
#include "platform/os/UserFolders.h"
#include "platform/window/EventPump.h"
#include "platform/window/MessageBox.h"
#include "platform/window/NativeWindow.h"
#include "platform/window/OutputSelection.h"
#include "platform/window/WindowSystem.h"
#include "render/ScreenCapture.h"
#include "render/ShaderDescriptor.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <strings.h>
#include <thread>

namespace
{
constexpr char const* ProductName = "Coralume";
constexpr char const* DataFolderName = "Data";
constexpr char const* ConfigFileName = "Coralume.ini";
constexpr char const* FishSelectionFileName = "fishes.dat";
constexpr char const* DefaultVideoMode = "desktop";
// How far the aquarium's loading grows the heap after the device exists (textures, models,
// pictures being decoded): made resident while the window and device come up. More than the
// loading uses would raise the peak of resident memory.
constexpr std::size_t AquariumLoadingHeapBytes = std::size_t(16) << 20;
constexpr char const* BubblesSoundVariable = "g_play_bubles_sound";
constexpr char const* WallpaperTitle = "Coralume Wallpaper";
constexpr char const* SettingsWindowTitle = "Coralume Settings";
constexpr char const* DataPathError = "Error: incorrect data path! Please, reinstall product.";
constexpr char const* NoDisplayError = "no display to draw on (DISPLAY is not set or cannot be opened)";
constexpr char const* NoCompositorError =
    "no Wayland compositor to draw on (WAYLAND_DISPLAY is not set or cannot be connected to)";
constexpr unsigned int ShownWindow = 1;
constexpr unsigned int WindowedWidth = 800;
constexpr unsigned int WindowedHeight = 600;
constexpr unsigned int StoppedPauseMilliseconds = 50;
// Seconds of scene after which every shader it needs has been compiled.
constexpr double SceneSettlingSeconds = 3.0;

constexpr unsigned int UserFolderMode = 0700;

double ReadSteadySeconds()
{
    return double(platform::GetPerformanceCounter()) / double(platform::GetPerformanceFrequency());
}
} // namespace

CAquariumApp::CAquariumApp() = default;

CAquariumApp::~CAquariumApp()
{
    Shutdown();
}

char const* CAquariumApp::GetWindowTitle(ERunMode runMode)
{
    switch (runMode) {
    case RUN_PREVIEW:
        return "Coralume Screensaver Preview";
    case RUN_SCREENSAVER:
        return "Coralume Screensaver";
    case RUN_WALLPAPER:
        return "Coralume Wallpaper";
    default:
        return "Coralume";
    }
}

void CAquariumApp::ReadInstallationData()
{
    platform::Registry registry;
    registry.Load(platform::Registry::GetDefaultPath());
    m_installationSuffix =
        installation::ReadSuffix(installation::GetSuffixFilePath(platform::GetExecutablePath()));
    m_versionText = installation::ReadVersionText(registry);
    m_versionNumber = installation::GetVersionNumber(m_versionText);
    m_versionString = installation::GetVersionString(m_versionText);
}

bool CAquariumApp::ReadInstallPath()
{
    platform::Registry registry;
    registry.Load(platform::Registry::GetDefaultPath());
    if (!installation::ReadInstallPath(registry, m_installationSuffix, m_installPath,
                                       platform::GetExecutableDirectory())) {
        Report(ProductName, DataPathError);
        return false;
    }
    if (std::string const refusal = installation::CheckInstallPathLength(m_installPath); !refusal.empty()) {
        Report(ProductName, refusal.c_str());
        return false;
    }
    return true;
}

int CAquariumApp::Run(SLaunchOptions const& options)
{
    platform::InstallTerminationHandlers();
    ReadInstallationData();
    if (options.version) {
        std::printf("Coralume %s\n", m_versionString.c_str());
        return 0;
    }
    ERunMode const runMode = options.command.runMode;
    m_windowed = options.windowed;
    if (runMode == RUN_SETTINGS)
        return RunSettingsLauncher(options.command);
    if (!platform::InitializeVideo()) {
        bool const wayland = platform::GetActiveWindowSystem() == platform::WindowSystem::Wayland;
        std::fprintf(stderr, "coralume: %s\n", wayland ? NoCompositorError : NoDisplayError);
        return 1;
    }
    // Nobody can answer a dialog over a screen saver's host window.
    m_dialogsAllowed = !options.hostWindow && runMode != RUN_PREVIEW;
    if (IsAnotherInstanceRunning(options))
        return 0;

    int status = 0;
    bool ownWindow = false;
    HWND parent = nullptr;
    SetConfigOverrides(options.configOverrides);
    m_framePauseMicroseconds = options.delayMicroseconds;
    try {
        parent = MakeParentWindow(options, &ownWindow);
        if (!parent &&
            (options.command.parentWindow != 0 || options.command.desktopParent || options.windowed)) {
            status = 1;
        } else if (!StartUp(runMode, parent)) {
            status = 1;
        } else {
            RunMessageLoop(options);
        }
    } catch (CFatalError const& error) {
        Report("Fatal Error", error.GetText());
        status = 1;
    }
    Shutdown();
    if (parent)
        platform::DestroyNativeWindow(parent);
    return status;
}

void CAquariumApp::Report(char const* caption, char const* text)
{
    if (m_dialogsAllowed)
        platform::ShowMessageBox(caption, text);
    else
        std::fprintf(stderr, "%s: %s\n", caption, text);
}

int CAquariumApp::RunSettingsLauncher(SCommandLine const& command)
{
    (void)command; // the Settings program opens its own window; no parent is passed on
    // The Settings program inherits the lock and holds it while it runs; its window (started
    // some other way) counts too.
    std::string const title = std::string(SettingsWindowTitle) + " " + m_versionString;
    if (!m_instanceLock.Acquire(SettingsWindowTitle) || platform::FindWindowByTitle(title.c_str()))
        return 0;
    if (!ReadInstallPath())
        return 1;
    m_instanceLock.PassToChildren();
    return LaunchSettingsProgram(m_installPath) ? 0 : 1;
}

bool CAquariumApp::IsAnotherInstanceRunning(SLaunchOptions const& options)
{
    SCommandLine const& command = options.command;
    if (command.runMode == RUN_SCREENSAVER && command.parentWindow != 0) {
        // One screen saver per host window; hacks on several windows run side by side.
        char name[96];
        std::snprintf(name, sizeof(name), "Coralume Screensaver in window %lu", command.parentWindow);
        return !m_instanceLock.Acquire(platform::GetDisplayLockName(name).c_str());
    }
    if (command.runMode == RUN_SCREENSAVER) {
        std::string const title = "Coralume Screensaver " + m_versionString;
        return platform::IsAnotherInstanceRunning(title.c_str(), &m_instanceLock);
    }
    if (command.runMode == RUN_WALLPAPER)
        return !m_instanceLock.Acquire(platform::GetDisplayLockName(WallpaperTitle).c_str());
    return false;
}

HWND CAquariumApp::MakeParentWindow(SLaunchOptions const& options, bool* ownWindow)
{
    *ownWindow = false;
    SCommandLine const& command = options.command;
    if (!command.desktopParent && command.parentWindow == 0 && !options.windowed)
        return nullptr;
    HWND window = nullptr;
    if (command.desktopParent) {
        window = platform::AttachDesktopWindow();
        if (!window)
            Report(ProductName, "The desktop window cannot be used.");
    } else if (command.parentWindow != 0) {
        window = platform::AttachForeignWindow(command.parentWindow);
        if (!window) {
            char text[128];
            std::snprintf(text, sizeof(text), "Window %lu cannot be used.", command.parentWindow);
            Report(ProductName, text);
        }
    } else {
        // The screen saver in a window of its own, titled as the engine would title it.
        char title[256];
        std::snprintf(title, sizeof(title), "%s %d.%.2d", GetWindowTitle(command.runMode),
                      m_versionNumber / 100, m_versionNumber % 100);
        window = platform::CreateNativeWindow(title, platform::NativeWindowStyle::Windowed, 0, 0,
                                              WindowedWidth, WindowedHeight);
        *ownWindow = window != nullptr;
    }
    return window;
}

bool CAquariumApp::StartUp(ERunMode runMode, HWND parentWindow)
{
    Shutdown();
    m_shutDown = false;
    m_runMode = runMode;
    char const* title = GetWindowTitle(runMode);

    if (!ReadInstallPath()) {
        m_shutDown = true;
        return false;
    }
    m_dataPath = std::string(m_installPath) + "\\" + DataFolderName;
    PrepareUserFolders();

    SEngineSettings settings{};
    settings.applicationName = title;
    settings.applicationVersion = m_versionNumber;
    settings.engineDirectory = m_installPath;
    settings.saveConfigOnExit = false;
    settings.configFileName = ProductName;
    settings.createLogFile = true;
    settings.logDirectory = m_userStateFolder.c_str();
    settings.configDirectory = m_userConfigFolder.c_str();
    settings.installedConfigFile = m_installedConfigFile.c_str();
    settings.packDirectory = DataFolderName;
    settings.parentWindow = parentWindow;
    settings.iconResourceId = 0;
    settings.defaultVideoMode = DefaultVideoMode;
    if (runMode == RUN_SCREENSAVER || runMode == RUN_WALLPAPER)
        settings.loadingHeapWarmup = AquariumLoadingHeapBytes;
    m_engine.Create(settings);

    m_engine.GetScreenCapture()->SetCaptureDirectory(platform::GetUserPicturesFolder());
    if (runMode == RUN_WALLPAPER)
        platform::SetWindowTitle(m_engine.GetWindow()->GetHandler(), WallpaperTitle);

    RegisterVariables();
    // They outlast the configuration's reloads (the console's, for one).
    m_engine.GetConfig()->SetOverrides(GetRunOverrides());
    ApplyDesktopLayer();
    PlaceScene();

    CTimer* loadTimer = m_engine.GetTimerManager()->AddTimer(0.0f, false);
    bool const fullAquarium = runMode == RUN_SCREENSAVER || runMode == RUN_WALLPAPER;
    m_screenOverlay.Init(&m_engine, runMode == RUN_SCREENSAVER, runMode == RUN_WALLPAPER,
                         runMode == RUN_PREVIEW);

    if (runMode == RUN_PREVIEW)
        StartPreview();
    if (runMode == RUN_SCREENSAVER)
        StartConsole();
    if (fullAquarium)
        StartAquarium();

    m_engine.GetConfig()->ReportUnknownNames();
    m_elapsedTime = 0.0;
    CMessageManager* messages = m_engine.GetMessageManager();
    messages->Write("\nLoad Time: %0.2f", loadTimer->GetTime());
    messages->Write("Video Memory Used: %0.2f Mb",
                    m_engine.GetShaderManager()->GetTextureManager()->GetUsedMemorySize() / 1048576.0);
    m_engine.GetTimerManager()->RemoveTimer(loadTimer);

    DrainKeyStates();
    ReturnLoadingMemory();
    return true;
}

void CAquariumApp::ReturnLoadingMemory()
{
    // Pictures and files were decoded through the memory manager's blocks; frames do not
    // need them, so their pages (and the heap freed while loading) need not stay resident,
    // nor the code that only loading ran (decoders, parsers).
    m_engine.GetMemoryManager()->ReleaseIdleBlockPages();
    m_memoryPhases.LoadingFinished();
}

void CAquariumApp::SettleScene()
{
    m_sceneSettled = true;
    // Drawing into the kept copy needs the driver's compiler once more: a trial draw into a
    // copy of one pixel runs it while its code is still in memory. The code is then given back
    // before the copy takes its memory, so that memory stays below its start-up peak. Should
    // the first frame that keeps the background still build anything, that code goes after it.
    CModelManager* models = m_engine.GetModelManager();
    models->SetBackgroundKeeping(m_keepBackground);
    models->ReadyBackgroundKeeping();
    std::size_t const released = m_memoryPhases.SceneSettled(m_keepBackground);
    m_engine.GetMessageManager()->Write("Scene settled: %zu KiB of start-up code released", released / 1024);
}

void CAquariumApp::RegisterVariables()
{
    CConfig* config = m_engine.GetConfig();
    config->CreateCommand("g_exit_mode", CCT_INT, false, true, &m_exitMode, "2");
    config->CreateCommand("g_show_mouse_cursor", CCT_BOOL, false, true, &m_showMouseCursor, "1");
    config->CreateCommand(BubblesSoundVariable, CCT_BOOL, false, true, &m_playBubblesSound, "1");
    config->CreateCommand("g_wallpaper_bubbles_sound", CCT_BOOL, false, true, &m_wallpaperBubblesSound, "0");
    config->CreateCommand("g_wallpaper_priority", CCT_INT, false, true, &m_wallpaperPriority, "9");
    std::string const installPath = m_installPath; // the default is copied into the same buffer
    config->CreateCommand("g_install_path", CCT_STRING, true, false, m_installPath, installPath.c_str());
    config->CreateCommand("g_debug_mode", CCT_BOOL, false, true, &m_debugMode, "0");
    config->CreateCommand("g_max_fishes", CCT_INT, false, false, &m_maxFishes, "0");
    // The user's settings folder, where the fish selection is looked for first.
    std::snprintf(m_userPath, sizeof(m_userPath), "%s", m_userConfigFolder.c_str());
    std::string const userPath = m_userPath;
    config->CreateCommand("g_user_path", CCT_STRING, true, false, m_userPath, userPath.c_str());
    config->CreateCommand("v_max_fps", CCT_INT, false, true, &m_maxFramesPerSecond,
                          CFrameRateCap::DefaultFramesPerSecondText);
    config->CreateCommand("r_keep_background", CCT_BOOL, false, true, &m_keepBackground, "1");
    config->CreateCommand("r_render_scale", CCT_FLOAT, false, true, &m_renderScale, "1.0");
    config->CreateCommand("g_monitor_layout", CCT_STRING, false, true, m_monitorLayout, "auto");
    config->CreateCommand("g_monitors", CCT_STRING, false, true, m_monitors, "");
    config->CreateCommand("g_desktop_layer", CCT_STRING, false, true, m_desktopLayer, "background");
    config->CreateCommand("g_power_saving", CCT_STRING, false, true, m_powerSavingMode,
                          CPowerSaving::DefaultModeText);
    config->CreateCommand("g_cpu_budget", CCT_INT, false, true, &m_cpuBudgetPercent, "0");
    config->CreateCommand("g_day_mode", CCT_STRING, false, true, m_dayMode, "clock");
    config->CreateCommand("g_day_hour", CCT_FLOAT, false, false, &m_dayHour, "-1");
    config->CreateCommand("g_feed_on_click", CCT_BOOL, true, false, &m_feedOnClick, "0");
    config->CreateCommand("g_feed_key", CCT_STRING, false, true, m_feedKey, "F");
    m_pointerAttention = m_runMode == RUN_WALLPAPER;
    config->CreateCommand("g_pointer_attention", CCT_BOOL, true, false, &m_pointerAttention,
                          m_pointerAttention ? "1" : "0");
}

std::vector<std::string> CAquariumApp::GetRunOverrides() const
{
    if (m_runMode != RUN_WALLPAPER)
        return m_configOverrides;
    // The wallpaper's switch stands in for the screen saver's; the command line still wins.
    std::vector<std::string> lines{std::string(BubblesSoundVariable) +
                                   (m_wallpaperBubblesSound ? " 1" : " 0")};
    lines.insert(lines.end(), m_configOverrides.begin(), m_configOverrides.end());
    return lines;
}

void CAquariumApp::PrepareUserFolders()
{
    m_userConfigFolder = platform::GetUserConfigFolder();
    m_userStateFolder = platform::GetUserStateFolder();
    platform::MakeDirectories(m_userConfigFolder, UserFolderMode);
    platform::MakeDirectories(m_userStateFolder, UserFolderMode);
    m_installedConfigFile = m_dataPath + "\\" + ConfigFileName;
    std::string const installedData = platform::ResolvePath(m_dataPath);
    platform::SeedFile(installedData + "/" + ConfigFileName, m_userConfigFolder + "/" + ConfigFileName);
    platform::SeedFile(installedData + "/" + FishSelectionFileName,
                       m_userConfigFolder + "/" + FishSelectionFileName);
}

void CAquariumApp::PlaceScene()
{
    CCamera* camera = m_engine.GetCameraManager()->GetCamera(0);
    camera->SetPosition(CVector3(0.0f, -18.316f, 2.165f));
    camera->SetAngles(CVector3(math::HalfPi, 0.0f, 0.0f));
    camera->SetFOV(57.5f);
    m_engine.GetModelManager()->SetClearColor(
        CVector4(94.0f / 255.0f, 174.0f / 255.0f, 243.0f / 255.0f, 1.0f));
    m_engine.GetGUIManager()->SetScreenSize(800.0f, 600.0f);
}

void CAquariumApp::StartPreview()
{
    CShaderDescriptor descriptor;
    m_engine.GetShaderManager()->CreateShaderDescriptor(&descriptor, 0u);
    unsigned int const stage = descriptor.AddStage(SSF_TEXTURE, 1, 0.0f, "preview.jpg", nullptr, SSBT_REPEAT);
    descriptor.GetStage(stage)->borderU = SSBT_CLAMP;
    descriptor.GetStage(stage)->borderV = SSBT_CLAMP;
    m_previewWindowId = m_engine.GetGUIManager()->AddWindow(ShownWindow, CVector2(0.0f, 0.0f),
                                                            CVector2(800.0f, 600.0f), descriptor, nullptr);
}

void CAquariumApp::StartConsole()
{
    platform::ShowCursor(m_showMouseCursor);
    CShaderDescriptor descriptor;
    m_engine.GetShaderManager()->CreateShaderDescriptor(&descriptor, 1u);
    descriptor.SetBlendingFactor(0, SBF_SRC_ALPHA);
    descriptor.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    unsigned int const stage = descriptor.AddStage(SSF_TEXTURE | SSF_MIP_MAPPING, 1, 0.0f,
                                                   "Console\\console.jpg", nullptr, SSBT_REPEAT);
    descriptor.GetStage(stage)->borderU = SSBT_CLAMP;
    descriptor.GetStage(stage)->borderV = SSBT_CLAMP;
    std::string const title = std::string("Coralume ") + m_versionString;
    m_engine.CreateConsole(title, descriptor, m_screenOverlay.GetFont(), m_screenOverlay.GetFontSize(), '_',
                           ']', '+', "edit.wav", "~", 0.95f, 308.0f, 1000.0f);
    m_engine.GetMessageManager()->Write(" ");
}

void CAquariumApp::StartAquarium()
{
    // One frame so the loading picture is on screen while the plug-ins load.
    m_engine.BeginFrame();
    m_engine.FinishFrame();
    m_screenOverlay.ReleaseShownLoadingPicture();
    // The font and the loading picture were the largest files decoded: the pages they used in
    // the pre-allocated blocks need not stay resident for the plug-ins' smaller ones.
    m_engine.GetMemoryManager()->ReleaseIdleBlockPages();
    m_plugins.FindAndLoad(&m_engine);
    m_plugins.OrderByPriority(&m_engine);
    m_plugins.Start(&m_engine);
    m_cameraControl.Init(&m_engine);
}

void CAquariumApp::DrainKeyStates()
{
    for (int pass = 0; pass < 4; ++pass) {
        for (int key = 0; key < 256; ++key)
            platform::GetAsyncKeyState(key);
    }
}

void CAquariumApp::Frame()
{
    m_engine.GetDirect3DSubsystem()->SetRenderScale(ChooseRenderScale());
    m_engine.BeginFrame();
    if (m_engine.IsStopped()) {
        // Minimised: nothing to draw until restored; the loop need not spin.
        platform::SleepMilliseconds(StoppedPauseMilliseconds);
        return;
    }
    m_memoryPhases.FrameStarting();
    m_screenOverlay.Refresh();
    if (!m_cameraControl.IsShutDown() && m_debugMode)
        m_cameraControl.Update();
    if (CExitRules::AppliesTo(m_runMode, m_windowed))
        ApplyExitRules();
    // A click feeds the fish where it does not end the screen saver.
    m_feedOnClick = m_runMode == RUN_SCREENSAVER && (m_debugMode || m_windowed);
    if (m_runMode == RUN_SCREENSAVER || m_runMode == RUN_WALLPAPER)
        m_plugins.RefreshAll();
    m_elapsedTime += m_engine.GetTimerManager()->GetElapsedTime();
    if (!m_sceneSettled && m_elapsedTime >= SceneSettlingSeconds)
        SettleScene();
    m_engine.GetModelManager()->SetBackgroundKeeping(m_sceneSettled && m_keepBackground);
    ApplyMonitorSettings();
    ApplyDesktopLayer();
    m_frameRateCap.Wait(ChooseFramesPerSecond());
    if (unsigned int const pause = CFramePacing::GetPause(m_runMode, m_wallpaperPriority))
        platform::SleepMilliseconds(pause);
    m_engine.FinishFrame();
}

int CAquariumApp::ChooseFramesPerSecond()
{
    int rate = m_maxFramesPerSecond;
    auto const lower = [&rate](int ceiling) {
        if (ceiling > 0 && (rate <= 0 || ceiling < rate))
            rate = ceiling;
    };
    if (m_runMode != RUN_WALLPAPER)
        return rate;
    lower(m_powerSaving.GetFramesPerSecond());
    m_cpuBudget.SetBudget(m_cpuBudgetPercent);
    // Measured from the settled scene on: start-up and the first frames' compiling would count.
    if (m_sceneSettled)
        lower(m_cpuBudget.Update(ReadSteadySeconds(), platform::GetProcessCpuSeconds(), rate));
    return rate;
}

float CAquariumApp::ChooseRenderScale() const
{
    if (m_runMode != RUN_WALLPAPER)
        return m_renderScale;
    return std::min(m_renderScale, m_cpuBudget.GetRenderScale());
}

void CAquariumApp::FollowPower()
{
    if (!m_powerWatch)
        return;
    m_powerSaving.SetMode(CPowerSaving::ParseMode(m_powerSavingMode));
    m_powerSaving.Update(m_powerWatch->Read(ReadSteadySeconds()));
    m_visibilityPause.SetHeld(m_powerSaving.IsPaused());
}

void CAquariumApp::ApplyMonitorSettings()
{
    CCameraManager* cameras = m_engine.GetCameraManager();
    if (!m_monitorSettingsApplied || m_appliedMonitorLayout != m_monitorLayout) {
        m_appliedMonitorLayout = m_monitorLayout;
        cameras->SetMonitorLayout(ParseMonitorLayout(m_monitorLayout));
    }
    if (m_monitorSettingsApplied && m_appliedMonitors == m_monitors)
        return;
    m_monitorSettingsApplied = true;
    m_appliedMonitors = m_monitors;
    cameras->SetMonitorRects(ParseMonitorRects(m_monitors));
}

void CAquariumApp::ApplyDesktopLayer()
{
    if (m_appliedDesktopLayer == m_desktopLayer)
        return;
    m_appliedDesktopLayer = m_desktopLayer;
    platform::SetDesktopLayer(strcasecmp(m_desktopLayer, "bottom") == 0 ? platform::DesktopLayer::Bottom
                                                                        : platform::DesktopLayer::Background);
}

void CAquariumApp::ApplyExitRules()
{
    CControlsExitInput input(m_engine.GetControls(), m_engine.GetConsole());
    int const requests = CExitRules::CountRequests(m_exitMode, static_cast<float>(m_elapsedTime), input);
    for (int i = 0; i < requests; ++i)
        m_engine.Exit(true);
}

void CAquariumApp::RunMessageLoop(SLaunchOptions const& options)
{
    std::int64_t const frequency = platform::GetPerformanceFrequency();
    std::int64_t const start = platform::GetPerformanceCounter();
    long frames = 0;
    double seconds = 0.0;
    m_visibilityPause.Start(m_runMode, m_engine.GetWindow()->GetHandler(), m_engine.GetTimerManager(),
                            m_engine.GetSoundManager(), m_engine.GetMessageManager());
    if (m_runMode == RUN_WALLPAPER) {
        m_powerWatch = std::make_unique<platform::PowerWatch>();
        m_powerSaving.SetMessages(m_engine.GetMessageManager());
        m_cpuBudget.SetMessages(m_engine.GetMessageManager());
    }
    if (!options.recordDirectory.empty())
        StartRecording(options.recordDirectory);
    do {
        if (platform::IsTerminationRequested()) {
            m_engine.GetMessageManager()->Write("\nTermination requested");
            m_engine.Exit(true);
            break;
        }
        if (m_runMode == RUN_WALLPAPER &&
            platform::HasWindowManagerArrivedOver(m_engine.GetWindow()->GetParentHandler())) {
            m_engine.GetMessageManager()->Write(
                "\nA window manager started: the wallpaper starts again in a desktop window of its own");
            m_restartWanted = true;
            m_engine.Exit(true);
            break;
        }
        if (!platform::PumpOneEvent()) {
            FollowPower();
            if (m_visibilityPause.ShouldDraw()) {
                Frame();
                ++frames;
                if (m_framePauseMicroseconds > 0)
                    std::this_thread::sleep_for(std::chrono::microseconds(m_framePauseMicroseconds));
            } else if (CWindow* window = m_engine.GetWindow(); window->GetParentHandler() != nullptr) {
                // A hidden host window is still followed: its destruction ends the run.
                window->Refresh();
            }
        }
        seconds = double(platform::GetPerformanceCounter() - start) / double(frequency);
        if (options.demoSeconds > 0.0 && seconds >= options.demoSeconds && !m_engine.IsExit())
            m_engine.Exit(true);
    } while (!m_engine.IsExit());
    m_visibilityPause.Stop();
    m_powerWatch.reset();
    if (!options.screenshotDirectory.empty())
        TakeFinalScreenshot(options.screenshotDirectory);
    if (options.demoSeconds > 0.0 && seconds > 0.0)
        std::printf("%ld frames in %.2f s: %.1f frames per second\n", frames, seconds, frames / seconds);
}

void CAquariumApp::StartRecording(std::string const& directory)
{
    CScreenCapture* capture = m_engine.GetScreenCapture();
    if (capture->IsFree())
        return;
    std::error_code ignored;
    capture->SetCaptureDirectory(std::filesystem::absolute(directory, ignored).string());
    m_engine.GetConfig()->SetCommandExecution("sc_start_movie_record", false);
}

void CAquariumApp::TakeFinalScreenshot(std::string const& directory)
{
    CConfig* config = m_engine.GetConfig();
    CScreenCapture* capture = m_engine.GetScreenCapture();
    if (capture->IsFree() || !config->IsCommandExecuted("sc_take_screenshot"))
        return;
    // Straight into the folder asked for; it is created when missing.
    std::error_code ignored;
    capture->SetCaptureDirectory(std::filesystem::absolute(directory, ignored).string());
    config->SetCommandExecution("sc_take_screenshot", false);
    Frame();
    std::string const name = capture->GetScreenshotFileName();
    if (!name.empty() && platform::PathExists(name))
        std::printf("Screenshot: %s\n", name.c_str());
    else
        std::fprintf(stderr, "coralume: no screenshot could be written to %s\n", directory.c_str());
}

void CAquariumApp::Shutdown()
{
    if (m_shutDown)
        return;
    if (m_runMode == RUN_PREVIEW && !m_engine.GetGUIManager()->IsFree())
        m_engine.GetGUIManager()->RemoveWindow(m_previewWindowId);
    else if (m_runMode == RUN_SCREENSAVER || m_runMode == RUN_WALLPAPER)
        m_plugins.UnloadAll();
    m_screenOverlay.Shutdown();
    m_cameraControl.Shutdown();
    m_engine.Destroy();
    m_shutDown = true;
}
