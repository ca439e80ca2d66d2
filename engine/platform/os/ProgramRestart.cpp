#include "ProgramRestart.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace platform
{
void RunProgramAgain(char** arguments)
{
    std::fflush(nullptr);
    // The running executable itself, even when it was started through a link or a search path.
    execv("/proc/self/exe", arguments);
    std::fprintf(stderr, "coralume: cannot start again: %s\n", std::strerror(errno));
}
} // namespace platform
