#include "core/Config.h"

#include "core/ConfigLine.h"
#include "core/MessageManager.h"
#include "platform/gl/RendererRequest.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace
{
constexpr unsigned int TextLength = SConfigCommand::TextLength;

// atoi without its undefined behaviour: out-of-range numbers saturate.
int TextToInt(char const* text)
{
    long long const value = std::strtoll(text, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// atof narrowed to float; magnitudes beyond the float range become infinite.
float TextToFloat(char const* text)
{
    double const value = std::atof(text);
    if (value > FLT_MAX)
        return HUGE_VALF;
    if (value < -FLT_MAX)
        return -HUGE_VALF;
    return static_cast<float>(value);
}

void CopyText(char* target, char const* source)
{
    std::snprintf(target, TextLength, "%s", source ? source : "");
}

std::string ToLowerName(char const* name)
{
    std::string lower = name ? name : "";
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

void AssignText(SConfigCommand const& command, char const* text)
{
    if (!command.storage)
        return;
    switch (command.type) {
    case CCT_INT:
        *static_cast<int*>(command.storage) = TextToInt(text);
        break;
    case CCT_FLOAT:
        *static_cast<float*>(command.storage) = TextToFloat(text);
        break;
    case CCT_BOOL:
        *static_cast<bool*>(command.storage) = TextToInt(text) > 0;
        break;
    case CCT_STRING:
        CopyText(static_cast<char*>(command.storage), text);
        break;
    case CCT_COMMAND:
        break;
    }
}

void FormatValue(SConfigCommand const& command, char* out)
{
    out[0] = '\0';
    if (!command.storage)
        return;
    switch (command.type) {
    case CCT_INT:
        std::snprintf(out, TextLength, "%d", *static_cast<int const*>(command.storage));
        break;
    case CCT_FLOAT:
        std::snprintf(out, TextLength, "%0.4f",
                      static_cast<double>(*static_cast<float const*>(command.storage)));
        break;
    case CCT_BOOL:
        std::snprintf(out, TextLength, "%d", *static_cast<bool const*>(command.storage) ? 1 : 0);
        break;
    case CCT_STRING: {
        // The program may write the buffer directly; never read past its 256 characters.
        char const* text = static_cast<char const*>(command.storage);
        std::snprintf(out, TextLength, "%.*s", static_cast<int>(strnlen(text, TextLength - 1)), text);
        break;
    }
    case CCT_COMMAND:
        break;
    }
}

SConfigCommandExecutionResult MakeResult(EConfigCommandExecutionResultCode code, std::string const& name)
{
    SConfigCommandExecutionResult result;
    result.code = code;
    CopyText(result.name, name.c_str());
    return result;
}
} // namespace

CConfig::CRegistrationScope::CRegistrationScope(CConfig* config, Owner owner)
    : m_config(config), m_previous(config ? config->m_currentOwner : ProgramOwner)
{
    if (m_config)
        m_config->m_currentOwner = owner;
}

CConfig::CRegistrationScope::~CRegistrationScope()
{
    if (m_config)
        m_config->m_currentOwner = m_previous;
}

CConfig::CConfig() = default;

CConfig::~CConfig()
{
    Destroy();
}

void CConfig::Create(CMessageManager* messages, CMemoryManager* memory, CFileManager* files,
                     char const* configDirectory, char const* configFileName, char const* defaultVideoMode)
{
    Destroy();
    m_messages = messages;
    m_memory = memory;
    m_files = files;
    m_free = false;

    char const* name = configFileName ? configFileName : "Tidewell";
    if (configDirectory)
        std::snprintf(m_configFilePath, TextLength, "%s\\%s.ini", configDirectory, name);
    else
        std::snprintf(m_configFilePath, TextLength, "%s.ini", name);

    RegisterBuiltInEntries(defaultVideoMode ? defaultVideoMode : "1024x768x32");
}

void CConfig::RegisterBuiltInEntries(char const* defaultVideoMode)
{
    SMainSettings& s = m_mainSettings;
    CreateCommand("reset_config", CCT_COMMAND, false, false, nullptr, "");
    CreateCommand("s_stop_engine", CCT_BOOL, true, false, &s.s_stop_engine, "0");
    CreateCommand("v_mode", CCT_STRING, false, true, s.v_mode, defaultVideoMode);
    CreateCommand("v_fullscreen", CCT_BOOL, false, true, &s.v_fullscreen, "1");
    CreateCommand("v_vsync", CCT_BOOL, false, true, &s.v_vsync, "1");
    CreateCommand("v_brightness", CCT_FLOAT, false, true, &s.v_brightness, "1.0");
    CreateCommand("v_contrast", CCT_FLOAT, false, true, &s.v_contrast, "1.0");
    CreateCommand("v_gamma", CCT_FLOAT, false, true, &s.v_gamma, "1.0");
    CreateCommand("change_video_mode", CCT_COMMAND, false, false, nullptr, "");
    CreateCommand("r_use_mip_mapping", CCT_BOOL, false, true, &s.r_use_mip_mapping, "1");
    CreateCommand("r_show_octree_nodes", CCT_BOOL, false, true, &s.r_show_octree_nodes, "0");
    CreateCommand("r_show_faces_edges", CCT_BOOL, false, true, &s.r_show_faces_edges, "0");
    CreateCommand("r_show_faces_normals", CCT_BOOL, false, true, &s.r_show_faces_normals, "0");
    CreateCommand("r_show_mip_maps", CCT_BOOL, false, true, &s.r_show_mip_maps, "0");
    CreateCommand("r_texture_anisotropy", CCT_INT, false, true, &s.r_texture_anisotropy, "1");
    // A software rasteriser pays for every sample; a graphics card hardly notices them.
    CreateCommand("r_multisample", CCT_INT, false, true, &s.r_multisample,
                  platform::IsSoftwareRendererRequested() ? "0" : "4");
    CreateCommand("c_invert_mouse", CCT_BOOL, false, true, &s.c_invert_mouse, "0");
    CreateCommand("c_smooth_mouse", CCT_BOOL, false, true, &s.c_smooth_mouse, "0");
    CreateCommand("c_mouse_sensitivity", CCT_FLOAT, false, true, &s.c_mouse_sensitivity, "1.25");
    CreateCommand("sc_take_screenshot", CCT_COMMAND, false, false, nullptr, "");
    CreateCommand("sc_take_screenshot_tga", CCT_COMMAND, false, false, nullptr, "");
    CreateCommand("sc_take_screenshot_jpg", CCT_COMMAND, false, false, nullptr, "");
    CreateCommand("sc_take_screenshot_format", CCT_INT, false, true, &s.sc_take_screenshot_format, "0");
    CreateCommand("sc_start_movie_record", CCT_COMMAND, false, false, nullptr, "");
    CreateCommand("sc_stop_movie_record", CCT_COMMAND, false, false, nullptr, "");
    CreateCommand("t_engine_speed", CCT_FLOAT, false, false, &s.t_engine_speed, "1.0");
    CreateCommand("exit", CCT_COMMAND, false, false, nullptr, "");
    CreateCommand("s_sound_volume", CCT_FLOAT, false, true, &s.s_sound_volume, "1.0");
}

void CConfig::Destroy()
{
    if (m_free)
        return;
    m_commands.clear();
    m_pendingLines.clear();
    m_reportedNames.clear();
    m_installedFilePath.clear();
    m_overrides.clear();
    m_entryOwners.clear();
    m_removedNames.clear();
    m_reportedFiles.clear();
    m_currentOwner = ProgramOwner;
    m_free = true;
}

void CConfig::CreateCommand(char const* name, EConfigCommandType const& type, bool const& readOnly,
                            bool const& saveToFile, void* storage, char const* defaultValue)
{
    if (!name)
        return;
    SConfigCommand command;
    command.type = type;
    command.readOnly = readOnly;
    command.saveToFile = saveToFile;
    command.storage = type == CCT_COMMAND ? nullptr : storage;
    CopyText(command.defaultValue, defaultValue);
    command.executed = type == CCT_COMMAND;

    std::string const lowerName = ToLowerName(name);
    if (m_commands.emplace(lowerName, command).second) {
        if (m_currentOwner != ProgramOwner)
            m_entryOwners[lowerName] = m_currentOwner;
        if (auto const removed = m_removedNames.find(lowerName); removed != m_removedNames.end())
            m_removedNames.erase(removed);
    }
    SetDefaultValue(lowerName.c_str());

    auto const pending = m_pendingLines.find(lowerName);
    if (pending != m_pendingLines.end()) {
        SFileLine const line = pending->second;
        m_pendingLines.erase(pending);
        ApplyFileLine(line);
    }
}

void CConfig::RemoveEntriesOf(Owner owner)
{
    if (owner == ProgramOwner)
        return;
    for (auto entry = m_entryOwners.begin(); entry != m_entryOwners.end();) {
        if (entry->second != owner) {
            ++entry;
            continue;
        }
        m_commands.erase(entry->first);
        m_removedNames.insert(entry->first);
        entry = m_entryOwners.erase(entry);
    }
}

void CConfig::ReportRemovedName(char const* name) const
{
    if (!name)
        return;
    auto const removed = m_removedNames.find(std::string_view(name));
    if (removed == m_removedNames.end())
        return;
    m_removedNames.erase(removed);
    if (m_messages)
        m_messages->WriteWarning(
            "%s is read after the plugin that registered it was unloaded; it reads as unset", name);
}

SConfigCommandExecutionResult CConfig::ExecuteCommand(char const* text)
{
    SConfigLine const line = SConfigLine::Parse(text);
    if (line.empty)
        return MakeResult(CER_EMPTY, "");

    auto const found = m_commands.find(line.name);
    if (found == m_commands.end())
        return MakeResult(CER_UNKNOWN, line.name);

    SConfigCommand& command = found->second;
    if (command.type == CCT_COMMAND) {
        command.executed = false;
        return MakeResult(CER_DONE, line.name);
    }
    if (!line.hasValue)
        return MakeResult(CER_SHOW_VALUE, line.name);
    if (command.readOnly)
        return MakeResult(CER_READ_ONLY, line.name);

    AssignText(command, line.value.c_str());
    return MakeResult(CER_DONE, line.name);
}

SConfigCommand* CConfig::FindCommand(char const* name)
{
    if (!name)
        return nullptr;
    auto const found = m_commands.find(std::string_view(name));
    return found == m_commands.end() ? nullptr : &found->second;
}

SConfigCommand const* CConfig::FindCommand(char const* name) const
{
    if (!name)
        return nullptr;
    auto const found = m_commands.find(std::string_view(name));
    return found == m_commands.end() ? nullptr : &found->second;
}

void CConfig::SetCommandExecution(char const* name, bool const& executed)
{
    if (SConfigCommand* command = FindCommand(name))
        command->executed = executed;
}

bool CConfig::IsCommandExecuted(char const* name) const
{
    SConfigCommand const* command = FindCommand(name);
    return command && command->executed;
}

char const* CConfig::GetValue(char const* name) const
{
    m_valueText[0] = '\0';
    if (SConfigCommand const* command = FindCommand(name))
        FormatValue(*command, m_valueText);
    else
        ReportRemovedName(name);
    return m_valueText;
}

int CConfig::GetValueAsInt(char const* name) const
{
    return TextToInt(GetValue(name));
}

float CConfig::GetValueAsFloat(char const* name) const
{
    return TextToFloat(GetValue(name));
}

bool CConfig::GetValueAsBoolean(char const* name) const
{
    return TextToInt(GetValue(name)) != 0;
}

char const* CConfig::GetDefaultValue(char const* name) const
{
    SConfigCommand const* command = FindCommand(name);
    return command ? command->defaultValue : "";
}

void CConfig::SetDefaultValue(char const* name)
{
    SConfigCommand* command = FindCommand(name);
    if (!command)
        return;
    AssignText(*command, command->defaultValue);
    command->executed = command->type == CCT_COMMAND;
}

void CConfig::Reset()
{
    for (auto& [name, command] : m_commands)
        if (!command.readOnly)
            SetDefaultValue(name.c_str());
}

void CConfig::Refresh()
{
    if (IsCommandExecuted("reset_config"))
        return;
    SetCommandExecution("reset_config", true);
    Reset();
    // What the program's command line set holds for the whole run, as after a load.
    ApplyOverrides();
}

unsigned int CConfig::GetCommandsCount() const
{
    return static_cast<unsigned int>(m_commands.size());
}

std::string const& CConfig::GetCommandName(unsigned int index) const
{
    static std::string const noName;
    if (index >= m_commands.size())
        return noName;
    auto entry = m_commands.begin();
    std::advance(entry, index);
    return entry->first;
}

void CConfig::ParseVideoModeString(std::string const& text, unsigned long* width, unsigned long* height,
                                   unsigned long* bitsPerPixel)
{
    unsigned long w = 640;
    unsigned long h = 480;
    unsigned long bits = 16;
    std::size_t const first = text.find_first_of("xX");
    std::size_t const second = first == std::string::npos ? first : text.find_first_of("xX", first + 1);
    if (second != std::string::npos) {
        w = static_cast<unsigned long>(TextToInt(text.substr(0, first).c_str()));
        h = static_cast<unsigned long>(TextToInt(text.c_str() + first + 1));
        bits = static_cast<unsigned long>(TextToInt(text.c_str() + second + 1));
    }
    if (width)
        *width = w;
    if (height)
        *height = h;
    if (bitsPerPixel)
        *bitsPerPixel = bits;
}
