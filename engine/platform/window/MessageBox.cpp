#include "platform/window/MessageBox.h"

#include "platform/os/TerminationSignals.h"
#include "platform/window/WindowBackend.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <initializer_list>
#include <sys/wait.h>
#include <unistd.h>

namespace platform
{
namespace
{
constexpr useconds_t WaitStepMicroseconds = 20000;
constexpr int HighestInheritedDescriptor = 1024;

bool& MessageBoxesEnabled()
{
    static bool enabled = std::getenv("CORALUME_NO_MESSAGE_BOXES") == nullptr;
    return enabled;
}

// The child shares this process's display connection: what the toolkit sends on it around
// the box goes nowhere, so the parent's connection stays intact. The box opens its own.
void DetachInheritedDescriptors()
{
    int const null = open("/dev/null", O_RDWR);
    for (int fd = STDERR_FILENO + 1; fd < HighestInheritedDescriptor; ++fd) {
        if (fd != null && fcntl(fd, F_GETFD) != -1) {
            dup2(null, fd);
        }
    }
}

// The box runs in a process group of its own, so a termination request can take it down
// at once while this process waits for it.
void ShowInChildProcess(char const* caption, char const* text)
{
    std::fflush(nullptr);
    pid_t const child = fork();
    if (child < 0) {
        GetWindowBackend().ShowMessageBox(caption, text);
        return;
    }
    if (child == 0) {
        setpgid(0, 0);
        for (int const signal : {SIGTERM, SIGINT, SIGHUP}) {
            std::signal(signal, SIG_DFL);
        }
        DetachInheritedDescriptors();
        GetWindowBackend().ShowMessageBox(caption, text);
        _exit(0);
    }
    setpgid(child, child);
    for (;;) {
        int status = 0;
        pid_t const done = waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR)) {
            return;
        }
        if (IsTerminationRequested()) {
            kill(-child, SIGKILL);
            waitpid(child, &status, 0);
            return;
        }
        usleep(WaitStepMicroseconds);
    }
}
} // namespace

void SetMessageBoxesEnabled(bool enabled)
{
    MessageBoxesEnabled() = enabled;
}

void ShowMessageBox(char const* caption, char const* text)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (MessageBoxesEnabled() && std::getenv("DISPLAY") && !IsTerminationRequested())
        ShowInChildProcess(caption, text);
}
} // namespace platform
