#include "platform/os/Path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace platform
{
namespace
{
bool Exists(std::string const& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// The entry of directory whose name equals name without regard to case; empty when none.
std::string FindEntryIgnoringCase(std::string const& directory, std::string const& name)
{
    DIR* dir = ::opendir(directory.empty() ? "/" : directory.c_str());
    if (!dir)
        return {};
    std::string found;
    while (dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}
} // namespace

bool IsAbsolutePath(char const* path)
{
    if (!path || !path[0])
        return false;
    return path[0] == '/' || path[0] == '\\' || path[1] == ':';
}

std::string ToNativePath(std::string const& enginePath)
{
    std::string native;
    native.reserve(enginePath.size());
    for (char c : enginePath) {
        char const out = c == '\\' ? '/' : c;
        if (out == '/' && !native.empty() && native.back() == '/')
            continue;
        native.push_back(out);
    }
    // A drive prefix ("C:") has no meaning here; keep the rest as an absolute path.
    if (native.size() >= 2 && native[1] == ':')
        native = native.size() > 2 ? native.substr(2) : std::string("/");
    return native;
}

std::string ResolvePath(std::string const& enginePath)
{
    std::string const native = ToNativePath(enginePath);
    if (native.empty() || Exists(native))
        return native;

    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= native.size()) {
        auto const end = native.find('/', start);
        std::string const part =
            native.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!part.empty())
            parts.push_back(part);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }

    bool const absolute = native[0] == '/';
    std::string resolved = absolute ? "" : ".";
    std::string result;
    bool first = true;
    bool missing = false;
    for (auto const& part : parts) {
        std::string name = part;
        if (!missing && part != "." && part != "..") {
            std::string const probe = resolved + "/" + part;
            if (!Exists(probe)) {
                std::string const match = FindEntryIgnoringCase(resolved, part);
                if (match.empty())
                    missing = true;
                else
                    name = match;
            }
        }
        resolved += "/" + name;
        if (first && !absolute)
            result = name;
        else
            result += "/" + name;
        first = false;
    }
    if (absolute && result.empty())
        result = "/";
    if (!native.empty() && native.back() == '/' && result.back() != '/')
        result += '/';
    return result;
}

std::string GetExecutablePath()
{
    char buffer[PATH_MAX];
    ssize_t const length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return {};
    buffer[length] = 0;
    return buffer;
}

std::string GetExecutableDirectory()
{
    std::string const path = GetExecutablePath();
    auto const slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}
} // namespace platform
