#include "AutostartEntry.h"

#include <cstdlib>

#include "TextLines.h"
#include "platform/os/FileSystem.h"
#include "platform/os/UserFolders.h"

namespace
{
constexpr unsigned int UserFolderMode = 0700;
// An entry is a few hundred bytes; reading stops here whatever the file holds.
constexpr std::size_t MaxEntryBytes = 64 * 1024;
constexpr char const* DefaultSystemFolders = "/etc/xdg";
constexpr char const* AutostartFolder = "/autostart";
// Characters that make the desktop entry conventions quote an argument of Exec.
constexpr char const* ReservedExecCharacters = " \t\n\"'\\><~|&;$*?#()`";

bool IsAbsolute(char const* path)
{
    return path && path[0] == '/';
}

// One argument of Exec: quoted where it holds a reserved character, then escaped as a string
// value (a backslash doubles once more, control characters become escapes), with "%" doubled
// so it is no field code.
std::string ExecArgument(std::string const& argument)
{
    std::string quoted = argument;
    if (argument.find_first_of(ReservedExecCharacters) != std::string::npos) {
        quoted = "\"";
        for (char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    }
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\t')
            escaped += "\\t";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '%')
            escaped += "%%";
        else
            escaped += c;
    }
    return escaped;
}

// True when the entry at `path` exists, and `hidden` set when its main group turns it off
// (Hidden=true, or the GNOME key for the same).
bool ReadEntry(std::string const& path, bool* hidden)
{
    *hidden = false;
    std::vector<std::string> lines;
    if (!ReadTextLines(path, &lines, MaxEntryBytes))
        return false;
    bool inMainGroup = false;
    for (std::string const& line : lines) {
        if (!line.empty() && line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        std::size_t const equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        while (!key.empty() && key.back() == ' ')
            key.pop_back();
        while (!value.empty() && value.front() == ' ')
            value.erase(0, 1);
        if (key == "Hidden")
            *hidden = value == "true";
        else if (key == "X-GNOME-Autostart-enabled" && value == "false")
            *hidden = true;
    }
    return true;
}
} // namespace

CAutostartEntry::CAutostartEntry(std::string userFolder, std::vector<std::string> systemFolders,
                                 std::string program)
    : m_userFolder(std::move(userFolder)), m_systemFolders(std::move(systemFolders)),
      m_program(std::move(program))
{}

std::string CAutostartEntry::GetUserFolder()
{
    char const* config = std::getenv("XDG_CONFIG_HOME");
    std::string const home = IsAbsolute(config) ? config : platform::GetHomeFolder() + "/.config";
    return home + AutostartFolder;
}

std::vector<std::string> CAutostartEntry::GetSystemFolders()
{
    char const* variable = std::getenv("XDG_CONFIG_DIRS");
    std::string const list = variable && variable[0] ? variable : DefaultSystemFolders;
    std::vector<std::string> folders;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        std::string const folder = list.substr(start, end - start);
        if (IsAbsolute(folder.c_str()))
            folders.push_back(folder + AutostartFolder);
        start = end + 1;
    }
    return folders;
}

bool CAutostartEntry::IsEnabled() const
{
    bool hidden = false;
    if (ReadEntry(GetUserPath(), &hidden))
        return !hidden;
    for (std::string const& folder : m_systemFolders) {
        if (ReadEntry(folder + "/" + FileName, &hidden))
            return !hidden;
    }
    return false;
}

bool CAutostartEntry::SetEnabled(bool enabled, std::string* error)
{
    bool systemEntry = false;
    for (std::string const& folder : m_systemFolders) {
        bool hidden = false;
        systemEntry = systemEntry || ReadEntry(folder + "/" + FileName, &hidden);
    }
    std::string const path = GetUserPath();
    if (!enabled && !systemEntry) {
        if (platform::PathExists(path) && !platform::RemoveTree(path)) {
            if (error)
                *error = "cannot remove " + path;
            return false;
        }
        return true;
    }
    if (!platform::MakeDirectories(m_userFolder, UserFolderMode)) {
        if (error)
            *error = "cannot create the folder " + m_userFolder;
        return false;
    }
    std::string const text = GetText(!enabled);
    return platform::WriteFileAtomically(path, text.data(), text.size(), error);
}

std::string CAutostartEntry::GetText(bool hidden) const
{
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Coralume Wallpaper\n"
                       "Comment=The live aquarium wallpaper, started when you log in\n"
                       "Exec=" +
                       ExecArgument(m_program) +
                       " /w\n"
                       "Icon=coralume\n"
                       "Terminal=false\n";
    if (hidden)
        text += "Hidden=true\n";
    return text;
}
