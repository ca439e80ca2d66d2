#include "SettingsPreview.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>

#include <unistd.h>

#include "core/Config.h"
#include "core/Engine.h"
#include "core/MessageManager.h"
#include "math/Angles.h"
#include "render/CameraManager.h"

namespace
{
constexpr char const* SelectionFileVariable = "g_fishes_file";
constexpr char const* SelectionFilePattern = "coralume-preview-XXXXXX";
constexpr unsigned int SceneCamera = 0;
// Where the aquarium program places its camera.
CVector3 const CameraPosition(0.0f, -18.316f, 2.165f);
CVector3 const CameraAngles(math::HalfPi, 0.0f, 0.0f);
constexpr float CameraFieldOfView = 57.5f;

// A new empty file only this user can read: in the runtime folder, else the temporary one.
std::string MakePrivateFile()
{
    char const* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    std::filesystem::path folder =
        runtime && *runtime ? std::filesystem::path(runtime) : std::filesystem::temp_directory_path(error);
    std::string path = (folder / SelectionFilePattern).string();
    int const descriptor = ::mkstemp(path.data());
    if (descriptor < 0)
        return {};
    ::close(descriptor);
    return path;
}
} // namespace

bool CSettingsPreview::Create(CEngine* engine, std::string const& installPath, SPreviewArea const& area)
{
    Destroy();
    m_selectionFile = MakePrivateFile();
    if (m_selectionFile.empty() || m_selectionFile.size() >= PathLength || installPath.size() >= PathLength)
        return false;
    m_engine = engine;
    CConfig* config = engine->GetConfig();
    std::snprintf(m_installPath, sizeof m_installPath, "%s", installPath.c_str());
    std::snprintf(m_selectionPath, sizeof m_selectionPath, "%s", m_selectionFile.c_str());
    std::string const install = m_installPath;
    std::string const selection = m_selectionPath;
    config->CreateCommand("g_install_path", CCT_STRING, true, false, m_installPath, install.c_str());
    config->CreateCommand(SelectionFileVariable, CCT_STRING, true, false, m_selectionPath, selection.c_str());
    config->CreateCommand("g_play_bubles_sound", CCT_BOOL, true, false, &m_playBubbles, "0");
    config->CreateCommand("g_debug_mode", CCT_BOOL, true, false, &m_debugMode, "0");
    config->CreateCommand("g_day_mode", CCT_STRING, true, false, m_dayMode, "clock");

    CCameraManager* cameras = engine->GetCameraManager();
    CCamera* camera = cameras->GetCamera(SceneCamera);
    camera->SetPosition(CameraPosition);
    camera->SetAngles(CameraAngles);
    camera->SetFOV(CameraFieldOfView);
    cameras->SetCameraScreenArea(SceneCamera, area.x, area.y, area.width, area.height);
    return true;
}

void CSettingsPreview::Show(SFishSelection const& selection)
{
    if (!m_engine)
        return;
    if (!selection.Write(m_selectionFile))
        m_engine->GetMessageManager()->WriteError("the preview's fish selection cannot be written");
    // Loaded once: the configuration keeps pointers into the instances they registered with.
    if (m_loaded) {
        m_plugins.Restart(m_engine);
        return;
    }
    m_plugins.FindAndLoad(m_engine);
    m_plugins.OrderByPriority(m_engine);
    m_plugins.Start(m_engine);
    m_loaded = true;
}

bool CSettingsPreview::ShowIfChanged(CSettingsDialog const& dialog)
{
    std::string values = dialog.GetValuesSignature();
    if (values == m_shownValues)
        return false;
    m_shownValues = std::move(values);
    std::snprintf(m_dayMode, sizeof m_dayMode, "%s", dialog.GetSettings().dayMode.c_str());
    Show(dialog.GetFishSelection());
    return true;
}

double CSettingsPreview::GetSecondsToNextFrame(double now) const
{
    if (now >= m_runsUntil)
        return std::numeric_limits<double>::infinity();
    return std::max(0.0, m_nextFrame - now);
}

void CSettingsPreview::Destroy()
{
    if (!m_engine)
        return;
    m_plugins.UnloadAll();
    m_loaded = false;
    std::error_code ignored;
    std::filesystem::remove(m_selectionFile, ignored);
    m_selectionFile.clear();
    m_shownValues.clear();
    m_engine = nullptr;
}
