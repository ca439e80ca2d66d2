#include "platform/os/TerminationSignals.h"

#include <csignal>
#include <initializer_list>

namespace platform
{
namespace
{
volatile std::sig_atomic_t g_terminationRequested = 0;

void NoteTermination(int)
{
    g_terminationRequested = 1;
}
} // namespace

void InstallTerminationHandlers()
{
    struct sigaction action = {};
    action.sa_handler = &NoteTermination;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait returns so the request is seen at once.
    action.sa_flags = 0;
    for (int const signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

bool IsTerminationRequested()
{
    return g_terminationRequested != 0;
}

void ClearTerminationRequest()
{
    g_terminationRequested = 0;
}
} // namespace platform
