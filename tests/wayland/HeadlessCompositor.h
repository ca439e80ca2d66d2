#pragma once

// A headless compositor of the test's own with a private runtime folder and home, and the
// Wayland clients run in it. sway refuses to run as root, so a test run by root runs every
// compositor and client as the unprivileged account the setup creates; any other user runs
// them as itself.
#include "support/ChildProcess.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace wayland
{
// The account Wayland programs run under when the test is root.
constexpr char const* UnprivilegedAccount = "coralume-ci";

class HeadlessCompositor
{
public:
    // The user clients run as; nothing (and why in `problem`) when the test is root and the
    // account is missing.
    static std::optional<ChildUser> ChooseUser(std::string& problem);

    // The program `name` on the search path; `name` itself when it is nowhere.
    static std::string FindProgram(std::string const& name);

    HeadlessCompositor(ChildUser user, std::filesystem::path folder);
    HeadlessCompositor(HeadlessCompositor const&) = delete;
    HeadlessCompositor& operator=(HeadlessCompositor const&) = delete;
    virtual ~HeadlessCompositor() { Stop(); }

    // Ends the compositor and every process it left behind.
    void Stop();

    ChildUser const& GetUser() const { return m_user; }

    // A folder `user` owns, created with `mode`.
    void MakeUserFolder(std::filesystem::path const& path, std::filesystem::perms mode) const;

    // What a client needs to reach this compositor (and no X server), followed by `more`.
    virtual std::vector<std::string> ClientEnvironment(std::vector<std::string> more = {}) const;

    // Starts a client (a path, or a name on the search path) as the compositor's user; its
    // error output goes to `errorFile`.
    bool StartClient(ChildProcess& client, std::vector<std::string> const& arguments,
                     std::vector<std::string> const& environment, std::string const& errorFile = "/dev/null");

    // Runs a client to its end (`seconds` at most); its exit status, or nothing.
    std::optional<int> RunClient(std::vector<std::string> const& arguments, double seconds = 10.0);

    // The compositor's own output so far.
    std::string GetLog() const;

protected:
    // Makes the runtime folder and home, then starts `command` as the compositor with
    // `environment` added to its own; false when it cannot be started.
    bool Launch(std::vector<std::string> const& command, std::vector<std::string> const& environment);
    // Waits until the compositor listens on a display socket and `ready` holds; false when it
    // ends or does not within the start-up time.
    template <typename Ready> bool WaitUntilListening(Ready ready);
    // The name of a socket in the runtime folder that starts with `prefix` and ends with
    // `suffix`.
    std::optional<std::string> FindSocket(char const* prefix, char const* suffix) const;

    std::filesystem::path const& Folder() const { return m_folder; }
    std::filesystem::path const& RuntimeFolder() const { return m_runtime; }
    std::string const& DisplayName() const { return m_display; }

private:
    void EndLeftoverChildren();

    ChildUser m_user;
    std::filesystem::path m_folder;
    std::filesystem::path m_runtime;
    std::string m_display;
    ChildProcess m_compositor;
};

template <typename Ready> bool HeadlessCompositor::WaitUntilListening(Ready ready)
{
    constexpr double StartSeconds = 20.0;
    constexpr auto RetryInterval = std::chrono::milliseconds(100);
    auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(StartSeconds);
    while (ChildProcess::Clock::now() < end && m_compositor.IsRunning()) {
        if (std::optional<std::string> const display = FindSocket("wayland-", "")) {
            m_display = *display;
            if (ready())
                return true;
        }
        std::this_thread::sleep_for(RetryInterval);
    }
    return false;
}
} // namespace wayland
