#pragma once

// A headless sway of the test's own (software renderer, no input devices) with a private
// runtime folder, and Wayland clients run in it. sway refuses to run as root, so a test run
// by root runs the compositor and every client as the unprivileged account the setup
// creates; any other user runs them as itself.
#include "Screenshot.h"
#include "support/ChildProcess.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace wayland
{
// The account Wayland programs run under when the test is root.
constexpr char const* UnprivilegedAccount = "coralume-ci";

// sway's own background where no client draws.
constexpr Colour SwayBackground{0x3f, 0x3f, 0x3f};

class HeadlessSway
{
public:
    // Every output opens at this size.
    static constexpr int OutputWidth = 640;
    static constexpr int OutputHeight = 400; // the program lists no display mode under 640x400

    // The user clients run as; nothing (and why in `problem`) when the test is root and the
    // account is missing.
    static std::optional<ChildUser> ChooseUser(std::string& problem);

    HeadlessSway(ChildUser user, std::filesystem::path folder);
    HeadlessSway(HeadlessSway const&) = delete;
    HeadlessSway& operator=(HeadlessSway const&) = delete;
    ~HeadlessSway() { Stop(); }

    // Starts the compositor with one output and waits until it takes clients; false (and why in
    // `problem`) when it does not.
    bool Start(std::string& problem);

    // Ends the compositor and every process it left behind.
    void Stop();

    ChildUser const& GetUser() const { return m_user; }

    // A folder `user` owns, created with `mode`.
    void MakeUserFolder(std::filesystem::path const& path, std::filesystem::perms mode) const;

    // What a client needs to reach this compositor (and no X server), followed by `more`.
    std::vector<std::string> ClientEnvironment(std::vector<std::string> more = {}) const;

    // Starts a client (a path, or a name on the search path) as the compositor's user; its
    // error output goes to `errorFile`.
    bool StartClient(ChildProcess& client, std::vector<std::string> const& arguments,
                     std::vector<std::string> const& environment, std::string const& errorFile = "/dev/null");

    // Runs a client to its end (`seconds` at most); its exit status, or nothing.
    std::optional<int> RunClient(std::vector<std::string> const& arguments, double seconds = 10.0);

    // A sway command through its IPC socket; true when sway reports success.
    bool Command(std::string const& command);

    // Adds a headless output; its name ("HEADLESS-2", ...).
    std::optional<std::string> CreateOutput();

    // A picture of `output` as it is shown now.
    std::optional<Screenshot> Capture(std::string const& output);

    // Captures `output` until it shows a scene over `background` in every quadrant or `seconds`
    // pass; the last picture.
    std::optional<Screenshot> WaitForScene(std::string const& output, double seconds,
                                           Colour background = SwayBackground);

    // Captures `output` until it differs from `earlier` or `seconds` pass; the last picture.
    std::optional<Screenshot> WaitForChange(std::string const& output, Screenshot const& earlier,
                                            double seconds);

    std::string GetLog() const;

private:
    std::optional<std::string> FindSocket(char const* prefix, char const* suffix) const;
    void EndLeftoverChildren();

    ChildUser m_user;
    std::filesystem::path m_folder;
    std::filesystem::path m_runtime;
    std::string m_display;
    std::string m_ipcSocket;
    ChildProcess m_sway;
    int m_outputs = 0;
    int m_captures = 0;
};
} // namespace wayland
