#pragma once

// Starts the separate Settings program of the installation with the installation folder as
// its argument. False, after telling the user, when it is not installed or cannot start.
bool LaunchSettingsProgram(char const* installPath);
