// The Settings program: edits the aquarium's saved variables and fish selection with the
// engine's own widgets. The launcher passes the installation folder as its argument; without
// one, the folder the program lies in is the installation.
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "SettingsDialog.h"
#include "SettingsEngine.h"
#include "SettingsLook.h"
#include "SettingsPreview.h"
#include "core/Engine.h"
#include "core/Errors.h"
#include "gui/GUIManager.h"
#include "model/ModelManager.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Path.h"
#include "platform/os/TerminationSignals.h"
#include "platform/os/UserFolders.h"
#include "platform/window/EventPump.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"

namespace
{
constexpr unsigned int UserFolderMode = 0700;
constexpr char const* WindowSettings = "v_fullscreen 0\nv_mode 800x600x32\n";

// The program's own engine configuration (a window of the dialog's size) in a private folder
// made for this run: under $XDG_RUNTIME_DIR, else $TMPDIR or /tmp, always with a unique name.
std::string PrepareConfigDirectory()
{
    char const* runtime = std::getenv("XDG_RUNTIME_DIR");
    char const* temporary = std::getenv("TMPDIR");
    std::string base = runtime && runtime[0] == '/'       ? runtime
                       : temporary && temporary[0] == '/' ? temporary
                                                          : "/tmp";
    std::string pattern = base + "/coralume-settings-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    std::string const file = pattern + "/Settings.ini";
    if (!platform::WriteFileAtomically(file, WindowSettings, std::char_traits<char>::length(WindowSettings),
                                       nullptr)) {
        platform::RemoveTree(pattern);
        return {};
    }
    return pattern;
}

// Frames drawn after the last event, so that presses, releases and hover looks settle.
constexpr int SettleFrames = 3;
// How long an idle loop waits for an event before it looks at the sounds again.
constexpr std::uint32_t IdleWaitMilliseconds = 100;

// A GUI sound is still playing: the sound manager must see it finish.
bool IsSoundPlaying(CEngine& engine)
{
    CSoundManager* sounds = engine.GetSoundManager();
    if (!sounds || sounds->IsFree())
        return false;
    for (unsigned int i = 0; i < sounds->GetOccupiedSoundsIndicesCount(); ++i) {
        CSound* sound = sounds->GetSound(sounds->GetOccupiedSoundIndex(i));
        if (sound && sound->GetState() != SS_STOPPED)
            return true;
    }
    return false;
}

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// How long an idle loop waits: until input, the next preview frame, or a look at the sounds.
std::uint32_t GetWaitMilliseconds(CSettingsPreview const& preview)
{
    double const seconds = preview.GetSecondsToNextFrame(SteadySeconds());
    if (!(seconds * 1000.0 < IdleWaitMilliseconds))
        return IdleWaitMilliseconds;
    return static_cast<std::uint32_t>(std::ceil(seconds * 1000.0));
}
} // namespace

int main(int argc, char** argv)
{
    // A write beyond the file size limit fails with an error the dialog reports.
    std::signal(SIGXFSZ, SIG_IGN);
    // SIGTERM, SIGINT and SIGHUP close the dialog without saving and end the program cleanly.
    platform::InstallTerminationHandlers();
    std::string const installPath = argc > 1 ? argv[1] : platform::GetExecutableDirectory();
    std::string const userFolder = platform::GetUserConfigFolder();
    std::string const installedData = platform::ResolvePath(installPath + "\\Data");
    platform::MakeDirectories(userFolder, UserFolderMode);
    platform::SeedFile(installedData + "/Coralume.ini", userFolder + "/Coralume.ini");
    platform::SeedFile(installedData + "/fishes.dat", userFolder + "/fishes.dat");
    std::string const configDirectory = PrepareConfigDirectory();
    SEngineSettings const settings =
        MakeSettingsEngineSettings("Coralume Settings", "Settings", installPath, configDirectory);
    // The preview holds variables the engine's configuration points at: it outlives the engine.
    CSettingsPreview preview;
    CEngine engine;
    int result = 0;
    try {
        engine.Create(settings);
        // Read once at creation; the private folder goes at once.
        if (!configDirectory.empty())
            platform::RemoveTree(configDirectory);
        PrepareSettingsScreen(&engine);
        CSettingsDialog dialog;
        dialog.Create(&engine, CSettingsLookBuilder::Build(&engine),
                      SSettingsPaths::ForUser(installPath, userFolder));
        if (!preview.Create(&engine, installPath,
                            CSettingsDialog::GetPreviewArea(CSettingsDialog::Width, CSettingsDialog::Height)))
            std::fprintf(stderr, "Settings: no file for the preview's fish selection can be made\n");
        preview.Wake(SteadySeconds());
        // Frames are drawn only when something changed (input arrived, a sound plays) or, for a
        // while after the dialog opened or a value changed, when the preview's next frame is due.
        // Window events alone (other windows passing over it) do not wake the preview.
        int framesToDraw = SettleFrames;
        while (!engine.IsExit() && !dialog.IsFinished() && !platform::IsTerminationRequested()) {
            if (platform::PumpOneEvent()) {
                framesToDraw = SettleFrames;
                continue;
            }
            bool const previewDue = !preview.IsFree() && preview.IsFrameDue(SteadySeconds());
            if (framesToDraw == 0 && !previewDue && !IsSoundPlaying(engine)) {
                platform::WaitForEvent(GetWaitMilliseconds(preview));
                continue;
            }
            if (framesToDraw > 0)
                --framesToDraw;
            engine.BeginFrame();
            if (previewDue) {
                preview.Refresh();
                preview.FrameDrawn(SteadySeconds());
            }
            dialog.Refresh();
            engine.FinishFrame();
            if (!preview.IsFree() && preview.ShowIfChanged(dialog)) {
                preview.Wake(SteadySeconds());
                framesToDraw = SettleFrames;
            }
        }
        if (dialog.HasSaveFailed()) {
            std::fprintf(stderr, "Settings: the settings could not be saved in %s: %s\n", userFolder.c_str(),
                         dialog.GetSaveError().c_str());
            result = 1;
        }
        dialog.Destroy();
        preview.Destroy();
    } catch (CError const& error) {
        std::fprintf(stderr, "Settings: %s\n", error.GetText());
        result = 1;
    }
    if (!configDirectory.empty())
        platform::RemoveTree(configDirectory);
    preview.Destroy();
    engine.Destroy();
    return result;
}
