#pragma once

// Without a session bus named in the environment or at the standard place, a D-Bus client
// library starts one of its own through dbus-launch: a daemon that outlives the program, and a
// blocking read of its address that a termination signal does not end. While a
// `SessionBusAutolaunchGuard` lives, such a session names no bus instead; it is put back after.
namespace platform
{
class SessionBusAutolaunchGuard
{
public:
    SessionBusAutolaunchGuard();
    ~SessionBusAutolaunchGuard();
    SessionBusAutolaunchGuard(SessionBusAutolaunchGuard const&) = delete;
    SessionBusAutolaunchGuard& operator=(SessionBusAutolaunchGuard const&) = delete;

    // A bus the client library finds without starting one: the address variable, else the
    // socket "bus" in the user's runtime folder.
    static bool IsSessionBusNamed();

private:
    bool m_addressReplaced = false;
};
} // namespace platform
