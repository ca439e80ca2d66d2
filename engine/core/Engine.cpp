#include "core/Engine.h"

#include "platform/os/HeapWarmup.h"
#include "render/Camera.h"

#include <cstdio>

namespace
{
// The formatted title; each GetApplicationTitle call overwrites it.
char g_applicationTitle[256];

constexpr int DefaultEngineVersion = 53;
} // namespace

void CEngine::Create(SEngineSettings const& settings)
{
    m_settings = settings;
    if (!m_settings.applicationName) {
        m_settings.applicationName = "Tidewell";
        m_settings.applicationVersion = DefaultEngineVersion;
    }

    m_messages.Create(m_settings.applicationName, m_settings.createLogFile, m_settings.logDirectory);
    m_memory.Create(&m_messages);
    m_files.Create(&m_messages, &m_memory, m_settings.engineDirectory, m_settings.packDirectory);
    if (m_settings.clock)
        m_timers.Create(*m_settings.clock);
    else
        m_timers.Create();
    m_config.Create(&m_messages, &m_memory, &m_files, m_settings.configDirectory, m_settings.configFileName,
                    m_settings.defaultVideoMode);
    m_config.SetInstalledFilePath(m_settings.installedConfigFile);
    m_config.Load();
    // The sound device opens on a thread of its own while the window and the device come up.
    m_sound.BeginOpeningDevice();

    unsigned long width = 0;
    unsigned long height = 0;
    CConfig::ParseVideoModeString(m_config.GetMainSettings()->v_mode, &width, &height, nullptr);

    platform::CHeapWarmup loadingHeap;
    loadingHeap.Begin(m_settings.loadingHeapWarmup);
    m_window.Create(&m_messages, &m_memory, &m_config, &m_controls, GetApplicationTitle(),
                    m_settings.parentWindow, m_settings.iconResourceId, width, height,
                    m_config.GetMainSettings()->v_fullscreen);
    m_direct3d.Create(&m_messages, &m_memory, &m_config, &m_window);
    loadingHeap.End();
    m_cameras.Create(&m_messages, &m_memory, &m_window, &m_direct3d);
    // Camera 0 is the scene's camera: the program places it and hands it to the plug-ins, and
    // models default to it. Adding it first keeps the GUI's own camera off slot 0.
    m_cameras.AddCamera(CT_PERSPECTIVE);
    m_lights.Create(&m_messages, &m_memory, &m_direct3d);
    m_shaders.Create(&m_messages, &m_memory, &m_files, &m_timers, &m_config, &m_direct3d, &m_lights);
    m_models.Create(&m_messages, &m_memory, &m_files, &m_timers, &m_direct3d, &m_cameras, &m_lights,
                    &m_shaders);
    m_spriteGroups.Create(&m_messages, &m_memory, &m_cameras, &m_shaders, &m_models);
    m_particleSystems.Create(&m_messages, &m_memory, &m_files, &m_timers, &m_shaders, &m_spriteGroups);
    m_screenCapture.Create(&m_messages, &m_memory, &m_files, &m_config, &m_window);
    m_screenCapture.SetDirect3DSubsystem(&m_direct3d);
    m_controls.Create(&m_messages, &m_config, m_window.GetHandler(), m_window.GetInstance());
    m_sound.Create(&m_messages, &m_memory, &m_files, &m_config);
    m_gui.Create(&m_messages, &m_memory, &m_files, &m_window, &m_timers, &m_cameras, &m_shaders, &m_models,
                 &m_controls, &m_sound);
}

void CEngine::Destroy()
{
    if (m_settings.saveConfigOnExit && !m_config.IsFree())
        m_config.Save();

    m_console.Destroy();
    m_gui.Destroy();
    m_sound.Destroy();
    m_controls.Destroy();
    m_screenCapture.Destroy();
    m_particleSystems.Destroy();
    m_spriteGroups.Destroy();
    m_models.Destroy();
    m_shaders.Destroy();
    m_lights.Destroy();
    m_cameras.Destroy();
    m_direct3d.Destroy();
    m_window.Destroy();
    m_config.Destroy();
    m_timers.Destroy();
    m_files.Destroy();
    m_memory.Destroy();
    m_messages.Destroy();
}

void CEngine::BeginFrame()
{
    m_window.Refresh();
    m_direct3d.Refresh();
    m_controls.BeginFrame();
    m_cameras.Refresh();
    m_particleSystems.Refresh();
    m_spriteGroups.Refresh();
    m_gui.Refresh();
    if (!m_sound.IsFree())
        m_sound.Refresh();
    m_lights.Refresh();
    m_shaders.Refresh();
    m_models.BeginFrame();
    m_timers.Refresh();
    if (!m_console.IsFree())
        m_console.Refresh();
    m_messages.ClearMessagesBuffer();
}

void CEngine::FinishFrame()
{
    if (m_controls.IsKeyPressedOnce("PRINTSCRN"))
        m_config.SetCommandExecution("sc_take_screenshot", false);
    m_screenCapture.PrepareForPresent();
    m_models.FinishFrame();
    m_controls.FinishFrame();
    m_screenCapture.Refresh();
    m_config.Refresh();
    if (IsExit())
        m_messages.Write("\nExiting...\n");
}

void CEngine::Exit(bool const&)
{
    m_config.SetCommandExecution("exit", false);
}

bool CEngine::IsExit() const
{
    return !m_config.IsCommandExecuted("exit");
}

bool CEngine::IsStopped()
{
    return m_config.GetMainSettings()->s_stop_engine;
}

char const* CEngine::GetApplicationTitle() const
{
    std::snprintf(g_applicationTitle, sizeof(g_applicationTitle), "%s %d.%.2d", m_settings.applicationName,
                  m_settings.applicationVersion / 100, m_settings.applicationVersion % 100);
    return g_applicationTitle;
}

void CEngine::CreateConsole(std::string const& title, CShaderDescriptor const& background, CGUIFont* font,
                            float fontSize, char cursorCharacter, char promptCharacter, char markerCharacter,
                            std::string const& typingSound, std::string const& defaultKey, float alpha,
                            float size, float speed)
{
    m_console.Create(&m_messages, &m_memory, &m_timers, &m_config, &m_controls, &m_shaders, &m_gui, title,
                     background, font, fontSize, cursorCharacter, promptCharacter, markerCharacter,
                     typingSound, defaultKey, alpha, size, speed);
}
