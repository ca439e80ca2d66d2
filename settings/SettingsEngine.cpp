#include "SettingsEngine.h"

#include "SettingsDialog.h"
#include "gui/GUIManager.h"
#include "model/ModelManager.h"

namespace
{
constexpr unsigned int ApplicationVersion = 100;
constexpr char const* VideoMode = "800x600x32";
CVector4 const BackgroundColour(0.04f, 0.17f, 0.28f, 1.0f);
} // namespace

SEngineSettings MakeSettingsEngineSettings(char const* applicationName, char const* configFileName,
                                           std::string const& installPath, std::string const& configDirectory)
{
    SEngineSettings settings{};
    settings.applicationName = applicationName;
    settings.applicationVersion = ApplicationVersion;
    settings.engineDirectory = installPath.c_str();
    settings.saveConfigOnExit = false;
    settings.configFileName = configFileName;
    settings.createLogFile = false;
    settings.logDirectory = configDirectory.c_str();
    settings.configDirectory = configDirectory.empty() ? nullptr : configDirectory.c_str();
    settings.packDirectory = "Data";
    settings.parentWindow = nullptr;
    settings.iconResourceId = 0;
    settings.defaultVideoMode = VideoMode;
    return settings;
}

void PrepareSettingsScreen(CEngine* engine)
{
    engine->GetGUIManager()->SetScreenSize(CSettingsDialog::Width, CSettingsDialog::Height);
    engine->GetModelManager()->SetClearColor(BackgroundColour);
}
