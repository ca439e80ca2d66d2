#pragma once

#include "platform/window/WindowHandle.h"

#include <cstddef>

namespace platform
{
class ClockSource;
}

// Creation parameters of the engine. Strings are kept by pointer and must outlive the engine.
struct SEngineSettings
{
    char const* applicationName;
    int applicationVersion;
    char const* engineDirectory;
    bool saveConfigOnExit;
    char const* configFileName;
    bool createLogFile;
    char const* logDirectory;
    char const* configDirectory;
    char const* packDirectory;
    HWND parentWindow;
    unsigned int iconResourceId;
    char const* defaultVideoMode;
    // Read before the configuration file, which overrides it line by line: the installed
    // defaults when the configuration file is the user's own. Null: none.
    char const* installedConfigFile = nullptr;
    // The clocks the timers read; null for the system's. Must outlive the engine.
    platform::ClockSource* clock = nullptr;
    // Bytes of heap made resident on a second thread while the window and the device are
    // created, for the loading that follows to reuse (0: none).
    std::size_t loadingHeapWarmup = 0;
};
