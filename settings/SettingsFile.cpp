#include "SettingsFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "TextLines.h"
#include "core/ConfigLine.h"
#include "platform/os/FileSystem.h"

namespace
{
std::string const ByteOrderMark = "\xEF\xBB\xBF";

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Name and value of a line as the engine reads them: cut at a "//" comment, the name folded
// to lower case, the value its first token.
void SplitLine(std::string const& line, std::string* name, std::string* value)
{
    SConfigLine const parsed = SConfigLine::Parse(line.substr(0, line.find("//")).c_str());
    *name = parsed.name;
    *value = parsed.value;
}

std::string FormatFloat(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%0.4f", value);
    return text;
}
} // namespace

bool CSettingsFile::Load(std::string const& path)
{
    if (!ReadTextLines(path, &m_lines))
        return false;
    if (!m_lines.empty() && m_lines.front().compare(0, ByteOrderMark.size(), ByteOrderMark) == 0)
        m_lines.front().erase(0, ByteOrderMark.size());
    return true;
}

bool CSettingsFile::Save(std::string const& path, std::string* error) const
{
    std::string text;
    for (std::string const& line : m_lines)
        text += line + '\n';
    return platform::WriteFileAtomically(path, text.data(), text.size(), error);
}

int CSettingsFile::FindLine(std::string const& name) const
{
    std::string const wanted = Lower(name);
    std::string lineName, value;
    // The engine applies every line in turn, so the last one of a name is in effect.
    for (std::size_t i = m_lines.size(); i-- > 0;) {
        SplitLine(m_lines[i], &lineName, &value);
        if (lineName == wanted)
            return static_cast<int>(i);
    }
    return -1;
}

std::string CSettingsFile::GetValue(std::string const& name, std::string const& fallback) const
{
    int const line = FindLine(name);
    if (line < 0)
        return fallback;
    std::string lineName, value;
    SplitLine(m_lines[static_cast<std::size_t>(line)], &lineName, &value);
    return value.empty() ? fallback : value;
}

void CSettingsFile::SetValue(std::string const& name, std::string const& value)
{
    std::string const text = Lower(name) + " " + value;
    int const line = FindLine(name);
    if (line < 0)
        m_lines.push_back(text);
    else
        m_lines[static_cast<std::size_t>(line)] = text;
}

SSavedSettings SSavedSettings::Read(CSettingsFile const& file)
{
    SSavedSettings settings;
    settings.exitMode = std::atoi(file.GetValue("g_exit_mode", "2").c_str());
    if (settings.exitMode < 0 || settings.exitMode >= ExitModesCount)
        settings.exitMode = 2;
    settings.debugMode = std::atoi(file.GetValue("g_debug_mode", "0").c_str()) != 0;
    settings.showMouseCursor = std::atoi(file.GetValue("g_show_mouse_cursor", "1").c_str()) != 0;
    settings.playBubblesSound = std::atoi(file.GetValue("g_play_bubles_sound", "1").c_str()) != 0;
    settings.wallpaperBubblesSound = std::atoi(file.GetValue("g_wallpaper_bubbles_sound", "0").c_str()) != 0;
    settings.wallpaperPriority =
        std::clamp(std::atoi(file.GetValue("g_wallpaper_priority", "9").c_str()), 0, MaxWallpaperPriority);
    settings.powerSaving = file.GetValue("g_power_saving", "slow");
    if (settings.powerSaving != "pause" && settings.powerSaving != "off")
        settings.powerSaving = "slow";
    settings.cpuBudget = std::clamp(std::atoi(file.GetValue("g_cpu_budget", "0").c_str()), 0, MaxCpuBudget);
    settings.videoMode = file.GetValue("v_mode", "desktop");
    settings.monitorLayout = file.GetValue("g_monitor_layout", "auto");
    settings.dayMode = file.GetValue("g_day_mode", "clock");
    if (settings.dayMode != "day" && settings.dayMode != "night")
        settings.dayMode = "clock";
    settings.desktopLayer = file.GetValue("g_desktop_layer", "background");
    if (settings.desktopLayer != "bottom")
        settings.desktopLayer = "background";
    settings.volume =
        std::clamp(static_cast<float>(std::atof(file.GetValue("s_sound_volume", "1.0").c_str())), 0.0f, 1.0f);
    return settings;
}

void SSavedSettings::Write(CSettingsFile* file) const
{
    file->SetValue("g_exit_mode", std::to_string(exitMode));
    file->SetValue("g_debug_mode", debugMode ? "1" : "0");
    file->SetValue("g_show_mouse_cursor", showMouseCursor ? "1" : "0");
    file->SetValue("g_play_bubles_sound", playBubblesSound ? "1" : "0");
    file->SetValue("g_wallpaper_bubbles_sound", wallpaperBubblesSound ? "1" : "0");
    file->SetValue("g_wallpaper_priority", std::to_string(wallpaperPriority));
    file->SetValue("g_power_saving", powerSaving);
    file->SetValue("g_cpu_budget", std::to_string(cpuBudget));
    file->SetValue("v_mode", videoMode);
    file->SetValue("g_monitor_layout", monitorLayout);
    file->SetValue("g_day_mode", dayMode);
    file->SetValue("g_desktop_layer", desktopLayer);
    file->SetValue("s_sound_volume", FormatFloat(volume));
}
