#pragma once

// CPU time of another process, read from /proc: how tests tell that a program rests.
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <sys/types.h>
#include <unistd.h>

// CPU seconds (user and system, all threads) `process` has used so far; negative when its
// record cannot be read.
inline double ProcessCpuSeconds(pid_t process)
{
    // Fields after the parenthesised name: state is the 3rd, user time the 14th, system the 15th.
    constexpr int UserField = 14;
    constexpr int SystemField = 15;
    std::ifstream file("/proc/" + std::to_string(process) + "/stat");
    std::string const text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::size_t const nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 2 > text.size())
        return -1.0;
    std::istringstream fields(text.substr(nameEnd + 2));
    std::string field;
    unsigned long long user = 0;
    unsigned long long system = 0;
    for (int index = 3; index <= SystemField && fields >> field; ++index) {
        if (index == UserField)
            user = std::stoull(field);
        if (index == SystemField)
            system = std::stoull(field);
    }
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}
