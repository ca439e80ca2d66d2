#pragma once

// A child process of the test, optionally under another user's identity; killed when the
// object goes.
#include "support/ProcessMemory.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// The user a child runs as: the test's own, or (when the test runs as root) another one.
struct ChildUser
{
    uid_t uid = 0;
    gid_t gid = 0;
    std::string name;
};

class ChildProcess
{
public:
    using Clock = std::chrono::steady_clock;

    ChildProcess() = default;
    ChildProcess(ChildProcess const&) = delete;
    ChildProcess& operator=(ChildProcess const&) = delete;
    ~ChildProcess() { Kill(); }

    // Children started after this call take `user`'s identity (the test must be root for
    // another user's; its own is kept as it is).
    void RunAs(ChildUser const& user) { m_user = user; }

    // `environment` entries ("NAME=value", or "NAME=" to remove) change the inherited ones.
    bool Start(std::vector<std::string> const& arguments, std::vector<std::string> const& environment,
               std::string const& errorFile = "/dev/null", std::string const& outputFile = "/dev/null")
    {
        m_status.reset();
        m_pid = fork();
        if (m_pid < 0)
            return false;
        if (m_pid == 0) {
            for (std::string const& entry : environment) {
                std::size_t const equals = entry.find('=');
                std::string const name = entry.substr(0, equals);
                std::string const value = entry.substr(equals + 1);
                if (value.empty())
                    unsetenv(name.c_str());
                else
                    setenv(name.c_str(), value.c_str(), 1);
            }
            // Descriptors rather than streams: reopening a stream would write out what the
            // test's own buffers held at the fork.
            if (!Redirect(outputFile, STDOUT_FILENO) || !Redirect(errorFile, STDERR_FILENO))
                _exit(126);
            if (m_user && m_user->uid != geteuid() &&
                (initgroups(m_user->name.c_str(), m_user->gid) != 0 || setgid(m_user->gid) != 0 ||
                 setuid(m_user->uid) != 0)) {
                _exit(126);
            }
            std::vector<char*> argv;
            for (std::string const& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        return true;
    }

    pid_t GetPid() const { return m_pid; }
    bool IsRunning()
    {
        Reap(false);
        return m_pid > 0 && !m_status;
    }

    // The exit status (128 + the signal for a killed process) once the process ended within
    // `seconds`; nothing otherwise.
    std::optional<int> Wait(double seconds)
    {
        auto const end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            if (Reap(false))
                return m_status;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return std::nullopt;
    }

    void Signal(int signal)
    {
        if (m_pid > 0 && !m_status)
            kill(m_pid, signal);
    }

    void Kill()
    {
        if (m_pid > 0 && !m_status) {
            kill(m_pid, SIGKILL);
            Reap(true);
        }
    }

    // Resident memory in kilobytes; 0 once the process is gone.
    long GetResidentKilobytes() const { return ProcessStatusKilobytes(std::to_string(m_pid), "VmRSS"); }

private:
    static bool Redirect(std::string const& file, int descriptor)
    {
        int const opened = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (opened < 0)
            return false;
        bool const moved = dup2(opened, descriptor) == descriptor;
        close(opened);
        return moved;
    }

    bool Reap(bool block)
    {
        if (m_pid <= 0)
            return false;
        if (m_status)
            return true;
        int status = 0;
        if (waitpid(m_pid, &status, block ? 0 : WNOHANG) != m_pid)
            return false;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    }

    pid_t m_pid = -1;
    std::optional<int> m_status;
    std::optional<ChildUser> m_user;
};
