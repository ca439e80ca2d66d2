#include "SettingsLauncher.h"

#include "platform/os/Path.h"
#include "platform/window/MessageBox.h"

#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

bool LaunchSettingsProgram(char const* installPath)
{
    char enginePath[512];
    std::snprintf(enginePath, sizeof(enginePath), "%s\\Settings", installPath);
    std::string const program = platform::ResolvePath(enginePath);
    if (access(program.c_str(), X_OK) != 0) {
        char text[1024];
        std::snprintf(text, sizeof(text),
                      "The Settings program is not installed (%s was not found).\n"
                      "Run \"coralume --help\" for the ways to start the aquarium.",
                      program.c_str());
        platform::ShowMessageBox("Coralume", text);
        return false;
    }
    std::string argument = installPath;
    char* arguments[] = {const_cast<char*>(program.c_str()), argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environ) != 0) {
        platform::ShowMessageBox("Coralume", "The Settings program could not be started.");
        return false;
    }
    return true;
}
