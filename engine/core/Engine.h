#pragma once

#include "core/Config.h"
#include "core/Console.h"
#include "core/EngineSettings.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "core/TimerManager.h"
#include "gui/GUIManager.h"
#include "input/Controls.h"
#include "model/ModelManager.h"
#include "model/ParticleSystemManager.h"
#include "model/SpriteGroupManager.h"
#include "render/CameraManager.h"
#include "render/Direct3DSubsystem.h"
#include "render/LightManager.h"
#include "render/ScreenCapture.h"
#include "render/ShaderManager.h"
#include "render/Window.h"
#include "sound/SoundManager.h"

#include <string>

class CShaderDescriptor;
class CGUIFont;

// Root object of the engine: owns every manager, creates, refreshes and destroys them in order.
class CEngine
{
public:
    CEngine() = default;
    ~CEngine() = default;
    CEngine(CEngine const&) = delete;
    CEngine& operator=(CEngine const&) = delete;

    void Create(SEngineSettings const& settings);
    void Destroy();

    void BeginFrame();
    void FinishFrame();

    void Exit(bool const& value);
    bool IsExit() const;
    bool IsStopped();

    char const* GetApplicationName() const { return m_settings.applicationName; }
    int GetApplicationVersion() const { return m_settings.applicationVersion; }
    char const* GetApplicationTitle() const;

    void CreateConsole(std::string const& title, CShaderDescriptor const& background, CGUIFont* font,
                       float fontSize, char cursorCharacter, char promptCharacter, char markerCharacter,
                       std::string const& typingSound, std::string const& defaultKey, float alpha, float size,
                       float speed);

    CMessageManager* GetMessageManager() { return &m_messages; }
    CMemoryManager* GetMemoryManager() { return &m_memory; }
    CFileManager* GetFileManager() { return &m_files; }
    CTimerManager* GetTimerManager() { return &m_timers; }
    CConfig* GetConfig() { return &m_config; }
    CWindow* GetWindow() { return &m_window; }
    CDirect3DSubsystem* GetDirect3DSubsystem() { return &m_direct3d; }
    CCameraManager* GetCameraManager() { return &m_cameras; }
    CLightManager* GetLightManager() { return &m_lights; }
    CShaderManager* GetShaderManager() { return &m_shaders; }
    CModelManager* GetModelManager() { return &m_models; }
    CSpriteGroupManager* GetSpriteGroupManager() { return &m_spriteGroups; }
    CParticleSystemManager* GetParticleSystemManager() { return &m_particleSystems; }
    CControls* GetControls() { return &m_controls; }
    CSoundManager* GetSoundManager() { return &m_sound; }
    CGUIManager* GetGUIManager() { return &m_gui; }
    CScreenCapture* GetScreenCapture() { return &m_screenCapture; }
    CConsole* GetConsole() { return &m_console; }

private:
    SEngineSettings m_settings{};
    CMessageManager m_messages;
    CMemoryManager m_memory;
    CFileManager m_files;
    CTimerManager m_timers;
    CConfig m_config;
    CWindow m_window;
    CDirect3DSubsystem m_direct3d;
    CCameraManager m_cameras;
    CLightManager m_lights;
    CShaderManager m_shaders;
    CModelManager m_models;
    CSpriteGroupManager m_spriteGroups;
    CParticleSystemManager m_particleSystems;
    CControls m_controls;
    CSoundManager m_sound;
    CGUIManager m_gui;
    CScreenCapture m_screenCapture;
    CConsole m_console;
};
