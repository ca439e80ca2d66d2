#pragma once

#include <string>
#include <vector>

// The engine's configuration file edited as text: values are replaced in their own lines and
// every other line (comments, values of other parts) stays as it was.
class CSettingsFile
{
public:
    // False when the file cannot be read; the file is then empty. A UTF-8 byte-order mark is
    // skipped.
    bool Load(std::string const& path);
    // Writes through a temporary file in the same folder; on failure the file stays as it was
    // and `error` (when given) says why.
    bool Save(std::string const& path, std::string* error = nullptr) const;

    // The value of the last line for `name`, the one the engine uses (without a "//" comment);
    // `fallback` when none.
    std::string GetValue(std::string const& name, std::string const& fallback) const;
    // Replaces the value of the last line for `name`, or appends a line.
    void SetValue(std::string const& name, std::string const& value);

    std::vector<std::string> const& GetLines() const { return m_lines; }

private:
    int FindLine(std::string const& name) const;

    std::vector<std::string> m_lines;
};

// The saved variables the Settings program edits, as the program registers them.
struct SSavedSettings
{
    static constexpr int ExitModesCount = 5;
    static constexpr int MaxWallpaperPriority = 9;
    static constexpr int MaxCpuBudget = 100;

    int exitMode = 2;
    bool debugMode = false;
    bool showMouseCursor = true;
    bool playBubblesSound = true;
    bool wallpaperBubblesSound = false;
    int wallpaperPriority = 9;
    std::string powerSaving = "slow"; // the wallpaper on battery: "pause", "slow" or "off"
    int cpuBudget = 0;                // the wallpaper's per cent of one core; 0: no budget
    std::string videoMode = "desktop";
    std::string monitorLayout = "auto";      // "auto", "each" or "span"
    std::string dayMode = "clock";           // "clock", "day" or "night"
    std::string desktopLayer = "background"; // the Wayland wallpaper's layer: "background" or "bottom"
    float volume = 1.0f;

    // Values out of range are brought into it.
    static SSavedSettings Read(CSettingsFile const& file);
    void Write(CSettingsFile* file) const;
};
