#pragma once

#include <string>
#include <vector>

// The desktop entry that starts the live wallpaper when the user logs in, in the autostart
// folders of the XDG conventions: the user's entry "coralume-wallpaper.desktop" decides; without
// one, an entry of the same name in a system-wide autostart folder does.
class CAutostartEntry
{
public:
    static constexpr char const* FileName = "coralume-wallpaper.desktop";

    // `userFolder` is written; `systemFolders` (most important first) are only read; `program`
    // is the aquarium program the entry starts.
    CAutostartEntry(std::string userFolder, std::vector<std::string> systemFolders, std::string program);

    // $XDG_CONFIG_HOME/autostart (~/.config/autostart) and the autostart folders of
    // $XDG_CONFIG_DIRS (/etc/xdg/autostart).
    static std::string GetUserFolder();
    static std::vector<std::string> GetSystemFolders();

    // True when the desktop starts the wallpaper at login.
    bool IsEnabled() const;
    // Switching on writes the user's entry; switching off removes it, or writes one that hides
    // the system-wide entry. Every write goes through a temporary file and a rename. False with
    // `error` set when the folder or the file cannot be written.
    bool SetEnabled(bool enabled, std::string* error);

    // The entry's text; `hidden` writes one that turns a system-wide entry off.
    std::string GetText(bool hidden) const;

private:
    std::string GetUserPath() const { return m_userFolder + "/" + FileName; }

    std::string m_userFolder;
    std::vector<std::string> m_systemFolders;
    std::string m_program;
};
