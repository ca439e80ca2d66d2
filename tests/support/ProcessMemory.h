#pragma once

// Memory figures of a process, read from /proc: how tests see what stays resident.
#include <fstream>
#include <string>

// A "Name:  N kB" field of /proc/<process>/status ("self" for this process), in kilobytes;
// 0 when the process or the field is missing.
inline long ProcessStatusKilobytes(std::string const& process, std::string const& field)
{
    std::ifstream status("/proc/" + process + "/status");
    std::string const prefix = field + ":";
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    }
    return 0;
}
