#include "platform/os/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace platform
{
namespace
{
constexpr char const* ProgramFolder = "coralume";
constexpr char const* PicturesFolder = "Coralume";

std::string AbsoluteVariable(char const* name)
{
    char const* value = std::getenv(name);
    if (!value || value[0] != '/')
        return {};
    return value;
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// XDG_PICTURES_DIR="$HOME/Pictures" as the user-dirs file writes it: a quoted absolute path,
// or one starting with $HOME.
std::string ReadUserDirsPictures(std::string const& configHome, std::string const& home)
{
    std::ifstream file(configHome + "/user-dirs.dirs");
    std::string line;
    std::string const key = "XDG_PICTURES_DIR=";
    std::string found;
    while (std::getline(file, line)) {
        std::size_t const start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
            value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0)
            value = home + value.substr(5);
        if (!value.empty() && value[0] == '/')
            found = value; // the last line wins, as the shell would read it
    }
    return found;
}

std::string ConfigHome()
{
    std::string const config = AbsoluteVariable("XDG_CONFIG_HOME");
    return config.empty() ? GetHomeFolder() + "/.config" : WithoutTrailingSlashes(config);
}
} // namespace

std::string GetHomeFolder()
{
    std::string const home = AbsoluteVariable("HOME");
    if (!home.empty())
        return WithoutTrailingSlashes(home);
    if (passwd const* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/')
        return WithoutTrailingSlashes(entry->pw_dir);
    return "/";
}

std::string GetUserConfigFolder()
{
    return ConfigHome() + "/" + ProgramFolder;
}

std::string GetUserCacheFolder()
{
    std::string const cache = AbsoluteVariable("XDG_CACHE_HOME");
    std::string const base = cache.empty() ? GetHomeFolder() + "/.cache" : WithoutTrailingSlashes(cache);
    return base + "/" + ProgramFolder;
}

std::string GetUserStateFolder()
{
    std::string const state = AbsoluteVariable("XDG_STATE_HOME");
    std::string const base =
        state.empty() ? GetHomeFolder() + "/.local/state" : WithoutTrailingSlashes(state);
    return base + "/" + ProgramFolder;
}

std::string GetUserPicturesFolder()
{
    std::string pictures = AbsoluteVariable("XDG_PICTURES_DIR");
    if (pictures.empty())
        pictures = ReadUserDirsPictures(ConfigHome(), GetHomeFolder());
    if (pictures.empty())
        pictures = GetHomeFolder() + "/Pictures";
    return WithoutTrailingSlashes(pictures) + "/" + PicturesFolder;
}
} // namespace platform
