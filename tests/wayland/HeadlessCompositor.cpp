#include "HeadlessCompositor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/prctl.h>

namespace wayland
{
namespace fs = std::filesystem;

namespace
{
constexpr double StopSeconds = 5.0;
constexpr auto RetryInterval = std::chrono::milliseconds(100);

std::string ReadText(fs::path const& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The parent process of `pid`, from /proc; 0 when it cannot be read.
pid_t GetParent(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("PPid:", 0) == 0)
            return static_cast<pid_t>(std::atol(line.c_str() + 5));
    }
    return 0;
}

std::vector<pid_t> FindChildren()
{
    std::vector<pid_t> children;
    std::error_code error;
    for (fs::directory_entry const& entry : fs::directory_iterator("/proc", error)) {
        std::string const name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        pid_t const pid = static_cast<pid_t>(std::atol(name.c_str()));
        if (GetParent(pid) == getpid())
            children.push_back(pid);
    }
    return children;
}
} // namespace

std::string HeadlessCompositor::FindProgram(std::string const& name)
{
    char const* path = std::getenv("PATH");
    std::stringstream folders(path && path[0] ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::string const candidate = folder + "/" + name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return name;
}

std::optional<ChildUser> HeadlessCompositor::ChooseUser(std::string& problem)
{
    bool const root = geteuid() == 0;
    passwd const* account = root ? getpwnam(UnprivilegedAccount) : getpwuid(geteuid());
    if (!account) {
        problem = root ? std::string("the account ") + UnprivilegedAccount +
                             " is missing (scripts/setup creates it; sway refuses to run as root)"
                       : "the test's own account has no entry";
        return std::nullopt;
    }
    return ChildUser{account->pw_uid, account->pw_gid, account->pw_name};
}

HeadlessCompositor::HeadlessCompositor(ChildUser user, fs::path folder)
    : m_user(std::move(user)), m_folder(std::move(folder)), m_runtime(m_folder / "runtime")
{
    m_compositor.RunAs(m_user);
}

void HeadlessCompositor::MakeUserFolder(fs::path const& path, fs::perms mode) const
{
    fs::create_directories(path);
    fs::permissions(path, mode);
    if (chown(path.c_str(), m_user.uid, m_user.gid) != 0 && geteuid() == 0)
        ADD_FAILURE() << "cannot give " << path << " to " << m_user.name;
}

bool HeadlessCompositor::Launch(std::vector<std::string> const& command,
                                std::vector<std::string> const& environment)
{
    MakeUserFolder(m_runtime, fs::perms::owner_all);
    for (char const* folder : {"home", "home/config", "home/state", "home/cache", "home/data", "shots"})
        MakeUserFolder(m_folder / folder, fs::perms::owner_all | fs::perms::group_read |
                                              fs::perms::group_exec | fs::perms::others_read |
                                              fs::perms::others_exec);
    // Orphans of the compositor (the processes it starts detach themselves) become the test's,
    // so that Stop can end them.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    std::vector<std::string> full{"XDG_RUNTIME_DIR=" + m_runtime.string(),
                                  "HOME=" + (m_folder / "home").string(), "WAYLAND_DISPLAY=", "DISPLAY="};
    full.insert(full.end(), environment.begin(), environment.end());
    return m_compositor.Start(command, full, (m_folder / "compositor.log").string());
}

std::optional<std::string> HeadlessCompositor::FindSocket(char const* prefix, char const* suffix) const
{
    std::error_code error;
    std::string const ending = suffix;
    for (fs::directory_entry const& entry : fs::directory_iterator(m_runtime, error)) {
        std::string const name = entry.path().filename().string();
        bool const ends = name.size() >= ending.size() &&
                          name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
        if (name.rfind(prefix, 0) == 0 && ends && name.find(".lock") == std::string::npos &&
            entry.is_socket())
            return name;
    }
    return std::nullopt;
}

void HeadlessCompositor::Stop()
{
    if (m_compositor.IsRunning()) {
        m_compositor.Signal(SIGTERM);
        if (!m_compositor.Wait(StopSeconds))
            m_compositor.Kill();
    }
    EndLeftoverChildren();
}

void HeadlessCompositor::EndLeftoverChildren()
{
    std::vector<pid_t> const children = FindChildren();
    for (pid_t const child : children)
        kill(child, SIGTERM);
    auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(StopSeconds);
    for (pid_t const child : children) {
        while (waitpid(child, nullptr, WNOHANG) == 0) {
            if (ChildProcess::Clock::now() >= end) {
                kill(child, SIGKILL);
                waitpid(child, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(RetryInterval);
        }
    }
}

std::vector<std::string> HeadlessCompositor::ClientEnvironment(std::vector<std::string> more) const
{
    fs::path const home = m_folder / "home";
    std::vector<std::string> environment{"XDG_RUNTIME_DIR=" + m_runtime.string(),
                                         "WAYLAND_DISPLAY=" + m_display,
                                         "DISPLAY=",
                                         "HOME=" + home.string(),
                                         "XDG_CONFIG_HOME=" + (home / "config").string(),
                                         "XDG_STATE_HOME=" + (home / "state").string(),
                                         "XDG_CACHE_HOME=" + (home / "cache").string(),
                                         "XDG_DATA_HOME=" + (home / "data").string()};
    environment.insert(environment.end(), more.begin(), more.end());
    return environment;
}

bool HeadlessCompositor::StartClient(ChildProcess& client, std::vector<std::string> const& arguments,
                                     std::vector<std::string> const& environment,
                                     std::string const& errorFile)
{
    std::vector<std::string> command = arguments;
    if (command[0].find('/') == std::string::npos)
        command[0] = FindProgram(command[0]);
    client.RunAs(m_user);
    return client.Start(command, environment, errorFile);
}

std::optional<int> HeadlessCompositor::RunClient(std::vector<std::string> const& arguments, double seconds)
{
    ChildProcess client;
    if (!StartClient(client, arguments, ClientEnvironment()))
        return std::nullopt;
    return client.Wait(seconds);
}

std::string HeadlessCompositor::GetLog() const
{
    return ReadText(m_folder / "compositor.log");
}
} // namespace wayland
