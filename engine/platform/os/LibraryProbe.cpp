#include "platform/os/LibraryProbe.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace platform
{
namespace
{
constexpr std::chrono::milliseconds PollInterval{5};

std::string DescribeEnd(int status)
{
    if (WIFSIGNALED(status))
        return "the library ended its trial load with signal " + std::to_string(WTERMSIG(status));
    return "the library's trial load ended with code " + std::to_string(WEXITSTATUS(status));
}

// Waits for the helper; kills it when it runs past the deadline. False when it had to be killed.
bool WaitForHelper(pid_t helper, int timeoutMilliseconds, int* status)
{
    auto const deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    for (;;) {
        pid_t const ended = ::waitpid(helper, status, WNOHANG);
        if (ended == helper)
            return true;
        if (ended < 0 && errno != EINTR) {
            *status = 0;
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(helper, SIGKILL);
            while (::waitpid(helper, status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        std::this_thread::sleep_for(PollInterval);
    }
}
} // namespace

SLibraryProbeResult ProbeLibrary(SLibraryProbe const& probe, std::string const& nativePath)
{
    SLibraryProbeResult result;
    std::vector<std::string> arguments{probe.program, nativePath};
    arguments.insert(arguments.end(), probe.symbols.begin(), probe.symbols.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The helper's output (a sanitizer's report on a hostile library, say) is not ours to show.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    sigset_t defaultSignals;
    sigfillset(&defaultSignals);
    posix_spawnattr_setsigdefault(&attributes, &defaultSignals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t helper = 0;
    int const error =
        posix_spawn(&helper, probe.program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        result.reason = probe.program + ": " + std::strerror(error);
        return result;
    }
    result.ran = true;

    int status = 0;
    if (!WaitForHelper(helper, probe.timeoutMilliseconds, &status)) {
        result.reason = "the library's trial load did not end within " +
                        std::to_string(probe.timeoutMilliseconds / 1000) + " s";
        return result;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == ProbeLoaded) {
        result.safe = true;
        return result;
    }
    // A library the helper cannot load is not loaded untried here either.
    if (WIFEXITED(status) && WEXITSTATUS(status) == ProbeNotLoadable)
        result.reason = "the library does not load in its trial";
    else
        result.reason = DescribeEnd(status);
    return result;
}
} // namespace platform
