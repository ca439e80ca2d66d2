#pragma once

// The engine as the Settings dialog runs it: a window of the dialog's size, no log file, the
// configuration read from a private folder, and the dialog's screen and background colour.
#include "core/Engine.h"

#include <string>

// The settings point into `installPath` and `configDirectory`: both outlive the engine's
// creation. An empty `configDirectory` leaves the engine its default configuration folder.
SEngineSettings MakeSettingsEngineSettings(char const* applicationName, char const* configFileName,
                                           std::string const& installPath,
                                           std::string const& configDirectory);

// After the engine's creation: the GUI's screen the dialog's size, the dialog's background.
void PrepareSettingsScreen(CEngine* engine);
