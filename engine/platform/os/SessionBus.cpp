#include "platform/os/SessionBus.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace platform
{
namespace
{
constexpr char const* AddressVariable = "DBUS_SESSION_BUS_ADDRESS";
// An address of no known transport: connecting fails at once, and nothing is launched.
constexpr char const* NoBusAddress = "disabled:";
} // namespace

bool SessionBusAutolaunchGuard::IsSessionBusNamed()
{
    char const* address = std::getenv(AddressVariable);
    if (address != nullptr && address[0] != '\0')
        return true;
    char const* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/')
        return false;
    std::string const socketPath = std::string(runtime) + "/bus";
    struct stat status = {};
    return ::stat(socketPath.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

SessionBusAutolaunchGuard::SessionBusAutolaunchGuard()
{
    if (IsSessionBusNamed())
        return;
    m_addressReplaced = ::setenv(AddressVariable, NoBusAddress, 1) == 0;
}

SessionBusAutolaunchGuard::~SessionBusAutolaunchGuard()
{
    if (m_addressReplaced)
        ::unsetenv(AddressVariable);
}
} // namespace platform
