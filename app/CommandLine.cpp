#include "CommandLine.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

SCommandLine ParseCommandLine(char const* text)
{
    SCommandLine line;
    if (!text || text[0] != '/')
        return line;
    bool const hasNumber = std::strlen(text) > 3;
    switch (std::tolower(static_cast<unsigned char>(text[1]))) {
    case 'p':
        line.runMode = RUN_PREVIEW;
        line.parentWindow = hasNumber ? static_cast<unsigned long>(std::atol(text + 3)) : 0;
        break;
    case 's':
        line.runMode = RUN_SCREENSAVER;
        break;
    case 'w':
        line.runMode = RUN_WALLPAPER;
        line.desktopParent = true;
        break;
    case 'c':
    case 'r':
        line.runMode = RUN_SETTINGS;
        line.parentWindow = hasNumber ? static_cast<unsigned long>(std::atol(text + 3)) : 0;
        break;
    default:
        break;
    }
    return line;
}

namespace
{
// Screen-saver host options that take a value and change nothing here.
bool IsIgnoredOptionWithValue(std::string const& argument)
{
    return argument == "-visual" || argument == "--visual";
}

bool IsIgnoredOption(std::string const& argument)
{
    return argument == "-install" || argument == "--install" || argument == "-mono" || argument == "--mono";
}

bool ParseCount(char const* text, unsigned long* value)
{
    if (!text || !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    char* end = nullptr;
    *value = std::strtoul(text, &end, 10);
    return end && *end == 0;
}

bool ParseWindowId(char const* text, unsigned long* id)
{
    if (!text || !text[0])
        return false;
    char* end = nullptr;
    *id = std::strtoul(text, &end, 0);
    return end && *end == 0 && *id != 0;
}
} // namespace

SLaunchOptions ParseLaunchOptions(std::vector<std::string> const& arguments, char const* xscreensaverWindow)
{
    SLaunchOptions options;
    std::string switches; // the screen-saver command line, words joined by spaces
    bool root = false;
    bool windowId = false;
    unsigned long hostId = 0;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string const& argument = arguments[i];
        bool const hasValue = i + 1 < arguments.size();
        if (argument == "--help" || argument == "-help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version" || argument == "-version") {
            options.version = true;
        } else if (argument == "--x11") {
            options.windowSystem = platform::WindowSystemRequest::X11;
        } else if (argument == "--wayland") {
            options.windowSystem = platform::WindowSystemRequest::Wayland;
        } else if (argument == "--output") {
            if (!hasValue || arguments[i + 1].empty()) {
                options.error = "--output needs the name of an output";
                return options;
            }
            options.outputs.push_back(arguments[++i]);
        } else if (argument == "--layer") {
            std::string const layer = hasValue ? arguments[i + 1] : "";
            if (layer != "background" && layer != "bottom") {
                options.error = "--layer needs background or bottom";
                return options;
            }
            options.layer =
                layer == "bottom" ? platform::DesktopLayer::Bottom : platform::DesktopLayer::Background;
            options.configOverrides.push_back("g_desktop_layer " + layer);
            ++i;
        } else if (argument == "-fps" || argument == "--fps") {
            options.configOverrides.push_back("g_debug_mode 1");
        } else if (argument == "--sound") {
            options.configOverrides.push_back("g_play_bubles_sound 1");
        } else if (argument == "--no-sound") {
            options.configOverrides.push_back("g_play_bubles_sound 0");
            options.configOverrides.push_back("s_sound_volume 0");
        } else if (argument == "--fish") {
            unsigned long count = 0;
            if (!hasValue || !ParseCount(arguments[i + 1].c_str(), &count) || count == 0) {
                options.error = "--fish needs a number of fish";
                return options;
            }
            options.configOverrides.push_back("g_max_fishes " + std::to_string(count));
            ++i;
        } else if (argument == "--time") {
            std::string const time = hasValue ? arguments[i + 1] : std::string();
            char* end = nullptr;
            float const hour = std::strtof(time.c_str(), &end);
            if (time == "clock" || time == "day" || time == "night") {
                options.configOverrides.push_back("g_day_mode " + time);
            } else if (!time.empty() && end && *end == '\0' && hour >= 0.0f && hour < 24.0f) {
                options.configOverrides.push_back("g_day_hour " + time);
            } else {
                options.error = "--time needs clock, day, night or an hour from 0 to 24";
                return options;
            }
            ++i;
        } else if (argument == "-delay" || argument == "--delay") {
            if (!hasValue || !ParseCount(arguments[i + 1].c_str(), &options.delayMicroseconds)) {
                options.error = "-delay needs a number of microseconds";
                return options;
            }
            // A host asking for no pause at all wants frames as fast as they come.
            if (options.delayMicroseconds == 0)
                options.configOverrides.push_back("v_max_fps 0");
            ++i;
        } else if (argument == "--max-fps") {
            unsigned long framesPerSecond = 0;
            if (!hasValue || !ParseCount(arguments[i + 1].c_str(), &framesPerSecond)) {
                options.error = "--max-fps needs a number of frames per second";
                return options;
            }
            options.configOverrides.push_back("v_max_fps " + std::to_string(framesPerSecond));
            ++i;
        } else if (argument == "-display" || argument == "--display") {
            if (!hasValue) {
                options.error = "-display needs a display name";
                return options;
            }
            options.display = arguments[++i];
        } else if (IsIgnoredOptionWithValue(argument)) {
            if (!hasValue) {
                options.error = argument + " needs a value";
                return options;
            }
            ++i;
        } else if (IsIgnoredOption(argument)) {
        } else if (argument == "-root" || argument == "--root") {
            root = true;
        } else if (argument == "-window-id" || argument == "--window-id") {
            if (!hasValue || !ParseWindowId(arguments[i + 1].c_str(), &hostId)) {
                options.error = "-window-id needs a window number";
                return options;
            }
            windowId = true;
            ++i;
        } else if (argument == "-window" || argument == "--window") {
            options.windowed = true;
        } else if (argument == "--demo-seconds") {
            if (!hasValue || std::atof(arguments[i + 1].c_str()) <= 0.0) {
                options.error = "--demo-seconds needs a number of seconds";
                return options;
            }
            options.demoSeconds = std::atof(arguments[++i].c_str());
        } else if (argument == "--screenshot-dir") {
            if (!hasValue) {
                options.error = "--screenshot-dir needs a directory";
                return options;
            }
            options.screenshotDirectory = arguments[++i];
        } else if (argument == "--record-dir") {
            if (!hasValue) {
                options.error = "--record-dir needs a directory";
                return options;
            }
            options.recordDirectory = arguments[++i];
        } else if (argument.size() > 1 && argument[0] == '-') {
            options.error = "unknown option " + argument;
            return options;
        } else {
            if (!switches.empty())
                switches += ' ';
            switches += argument;
        }
    }

    options.command = ParseCommandLine(switches.c_str());
    bool const noSwitch = switches.empty();
    if (root && ParseWindowId(xscreensaverWindow, &hostId)) {
        // A screen-saver host lists its hacks as "name --root" and names its window.
        options.command = SCommandLine{RUN_SCREENSAVER, hostId, false};
        options.hostWindow = true;
    } else if (root) {
        options.command = SCommandLine{RUN_WALLPAPER, 0, true};
    } else if (windowId) {
        options.command = SCommandLine{RUN_SCREENSAVER, hostId, false};
        options.hostWindow = true;
    } else if ((noSwitch || options.command.runMode == RUN_SCREENSAVER) && !options.windowed &&
               ParseWindowId(xscreensaverWindow, &hostId)) {
        options.command = SCommandLine{RUN_SCREENSAVER, hostId, false};
        options.hostWindow = true;
    } else if (noSwitch && (options.windowed || options.demoSeconds > 0.0 ||
                            !options.screenshotDirectory.empty() || !options.recordDirectory.empty())) {
        // Development runs without a switch show the screen saver in a window.
        options.command = SCommandLine{RUN_SCREENSAVER, 0, false};
        options.windowed = true;
    }
    if (options.windowed && options.command.runMode != RUN_SCREENSAVER)
        options.windowed = false;
    if (options.hostWindow)
        options.windowed = false;
    return options;
}

char const* GetUsageText()
{
    return "Usage: coralume [switch] [options]\n"
           "Switches (as a screen-saver host passes them):\n"
           "  /s                    run the screen saver full screen\n"
           "  /p N                  run the preview inside window N (also /p:N)\n"
           "  /w                    run the live wallpaper on the desktop\n"
           "  /c, /r or none        start the Settings program\n"
           "X11 screen-saver hosts:\n"
           "  -root, --root         draw into XSCREENSAVER_WINDOW when it is set (as a hack),\n"
           "                        else run the wallpaper on the root window\n"
           "  -window-id N          run the screen saver inside window N (decimal or 0x hex)\n"
           "  XSCREENSAVER_WINDOW   when set, the screen saver runs inside that window\n"
           "  -display NAME         use that X display\n"
           "  -delay N              pause N microseconds after each frame (-delay 0: no\n"
           "                        frame-rate limit either)\n"
           "  -fps, --fps           show the statistics overlay\n"
           "  -install, -mono, -visual X   accepted and ignored\n"
           "Window system (default: Wayland when WAYLAND_DISPLAY is set, else X11):\n"
           "  --x11                 use X11 (also through Xwayland on a Wayland desktop)\n"
           "  --wayland             use Wayland\n"
           "  --output NAME         on Wayland, cover only this output (repeatable; default all)\n"
           "  --layer LAYER         on Wayland, the wallpaper's layer: background (default) or\n"
           "                        bottom, for desktops that cover the background layer\n"
           "Settings for this run (override the configuration file):\n"
           "  --fish N              at most N fish\n"
           "  --sound, --no-sound   bubble sound on; all sound off\n"
           "  --max-fps N           at most N frames per second (0: no limit)\n"
           "  --time T              the tank's time of day: clock, day, night or an hour\n"
           "                        (7.5 is half past seven in the morning)\n"
           "Development:\n"
           "  -window               run the screen saver in a normal window\n"
           "  --demo-seconds N      run N seconds, print frames per second and exit\n"
           "                        (without a switch: the screen saver in a window)\n"
           "  --screenshot-dir DIR  take a screenshot into DIR at the end\n"
           "  --record-dir DIR      record the whole run as a movie into DIR\n"
           "  --version             print the version\n"
           "  --help                show this text\n"
           "The installation is found through the registry file named by CORALUME_REGISTRY,\n"
           "else \"registry\" beside the program, else $XDG_CONFIG_HOME/coralume/registry.\n";
}
