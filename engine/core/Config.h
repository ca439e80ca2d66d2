#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class CMessageManager;
class CMemoryManager;
class CFileManager;

enum EConfigCommandType : std::int32_t
{
    CCT_INT = 0,
    CCT_FLOAT = 1,
    CCT_BOOL = 2,
    CCT_STRING = 3,
    CCT_COMMAND = 4,
};

// One registered name: a typed variable bound to the registrant's storage, or a command.
struct SConfigCommand
{
    static constexpr unsigned int TextLength = 256;

    EConfigCommandType type = CCT_COMMAND;
    // The text interface (file lines, console) cannot change it; Reset leaves it alone.
    bool readOnly = false;
    bool saveToFile = false;
    // int*, float*, bool* or char[256]; null for commands.
    void* storage = nullptr;
    char defaultValue[TextLength] = {};
    // Commands: false while requested and not yet carried out.
    bool executed = false;
};

enum EConfigCommandExecutionResultCode : std::int32_t
{
    CER_DONE = 0,
    CER_READ_ONLY = 1,
    CER_SHOW_VALUE = 2,
    CER_UNKNOWN = 3,
    CER_EMPTY = 4,
};

struct SConfigCommandExecutionResult
{
    EConfigCommandExecutionResultCode code = CER_EMPTY;
    // Lower-case name the result concerns (empty for CER_EMPTY).
    char name[SConfigCommand::TextLength] = {};
};

// Storage of the engine's built-in variables; other parts read these fields directly.
struct SMainSettings
{
    bool s_stop_engine = false;
    char v_mode[SConfigCommand::TextLength] = {};
    bool v_fullscreen = true;
    bool v_vsync = true;
    float v_brightness = 1.0f;
    float v_contrast = 1.0f;
    float v_gamma = 1.0f;
    bool r_use_mip_mapping = true;
    bool r_show_octree_nodes = false;
    bool r_show_faces_edges = false;
    bool r_show_faces_normals = false;
    bool r_show_mip_maps = false;
    int r_texture_anisotropy = 1;
    // Samples per pixel of the window's surface (0: not multisampled); read when it is made.
    int r_multisample = 0;
    bool c_invert_mouse = false;
    bool c_smooth_mouse = false;
    float c_mouse_sensitivity = 1.25f;
    int sc_take_screenshot_format = 0;
    float t_engine_speed = 1.0f;
    float s_sound_volume = 1.0f;
};

// Registry of named configuration variables and commands, driven by "name value" lines
// from the configuration file, the console and the program.
class CConfig
{
public:
    // Who registered an entry: the program and the engine register as ProgramOwner; every
    // plug-in gets an owner of its own, so that its entries can leave with it.
    using Owner = unsigned int;
    static constexpr Owner ProgramOwner = 0;

    // Entries registered while a scope lives belong to its owner; scopes nest.
    class CRegistrationScope
    {
    public:
        CRegistrationScope(CConfig* config, Owner owner);
        ~CRegistrationScope();
        CRegistrationScope(CRegistrationScope const&) = delete;
        CRegistrationScope& operator=(CRegistrationScope const&) = delete;

    private:
        CConfig* m_config;
        Owner m_previous;
    };

    CConfig();
    ~CConfig();
    CConfig(CConfig const&) = delete;
    CConfig& operator=(CConfig const&) = delete;

    // The file is "<configDirectory>\<configFileName>.ini" ("<configFileName>.ini" without a
    // directory; the name defaults to "Tidewell"). Registers the built-in entries.
    void Create(CMessageManager* messages, CMemoryManager* memory, CFileManager* files,
                char const* configDirectory, char const* configFileName, char const* defaultVideoMode);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Registers an entry; a name already registered keeps its entry, whose default is assigned
    // again. A line of the configuration file waiting for this name is applied once.
    void CreateCommand(char const* name, EConfigCommandType const& type, bool const& readOnly,
                       bool const& saveToFile, void* storage, char const* defaultValue);

    // A new owner, distinct from every other of this configuration.
    Owner CreateOwner() { return ++m_lastOwner; }
    // Removes every entry `owner` registered: call it before the storage they are bound to goes
    // away. Reading such a name later gives the unknown name's value and one warning.
    void RemoveEntriesOf(Owner owner);

    SConfigCommandExecutionResult ExecuteCommand(char const* text);

    // SetCommandExecution(name, false) requests a command; its owner sets it back to true.
    void SetCommandExecution(char const* name, bool const& executed);
    bool IsCommandExecuted(char const* name) const;

    // Current value as text, in a buffer overwritten by the next call; "" for an unknown name.
    char const* GetValue(char const* name) const;
    int GetValueAsInt(char const* name) const;
    float GetValueAsFloat(char const* name) const;
    bool GetValueAsBoolean(char const* name) const;

    char const* GetDefaultValue(char const* name) const;
    void SetDefaultValue(char const* name);
    // Defaults for every entry that is not read-only; every command ends up executed.
    void Reset();

    // Load reads this file first (the installed defaults) and the configuration file over it;
    // a line of the later file wins. Empty: only the configuration file.
    void SetInstalledFilePath(char const* path);
    // Reads the files; the log names each file read and warns, with the line number, once per
    // name about a value its variable cannot use. The run's overrides are applied after them.
    void Load();
    // "name value" lines that hold for this run over the files (a program's command line):
    // applied now and again at the end of every Load.
    void SetOverrides(std::vector<std::string> lines);
    // Writes the configuration file through a temporary file; a failure is logged as an error
    // and the file stays as it was. False on failure.
    bool Save();
    // Warns once for every name the files gave that nothing registered (call when all parts
    // have registered their variables).
    void ReportUnknownNames();
    // Once per frame: carries out a requested "reset_config" (defaults, then the overrides).
    void Refresh();

    unsigned int GetCommandsCount() const;
    // The index-th name in ascending order; "" when the index is out of range.
    std::string const& GetCommandName(unsigned int index) const;

    SMainSettings* GetMainSettings() { return &m_mainSettings; }
    char const* GetConfigFilePath() const { return m_configFilePath; }

    // "<width>x<height>x<bits>" (x or X); 640, 480, 16 unless both separators are present.
    static void ParseVideoModeString(std::string const& text, unsigned long* width, unsigned long* height,
                                     unsigned long* bitsPerPixel);

private:
    // A line of a configuration file and where it came from.
    struct SFileLine
    {
        std::string text;
        std::string file;
        int number = 0;
    };

    void RegisterBuiltInEntries(char const* defaultVideoMode);
    bool LoadFile(std::string const& path);
    // Logs (and prints) once per file that it exists but cannot be read, and why.
    void ReportUnreadableFile(std::string const& path);
    void ReportRemovedName(char const* name) const;
    void ApplyOverrides();
    SConfigCommandExecutionResult ApplyFileLine(SFileLine const& line);
    SConfigCommand* FindCommand(char const* name);
    SConfigCommand const* FindCommand(char const* name) const;

    bool m_free = true;
    CMessageManager* m_messages = nullptr;
    CMemoryManager* m_memory = nullptr;
    CFileManager* m_files = nullptr;
    char m_configFilePath[SConfigCommand::TextLength] = {};
    // Transparent ordering: lookups by a C string do not build a std::string each time.
    std::map<std::string, SConfigCommand, std::less<>> m_commands;
    std::string m_installedFilePath;
    std::vector<std::string> m_overrides;
    // Lines whose name was not registered yet; a later line of the same name replaces it.
    std::map<std::string, SFileLine, std::less<>> m_pendingLines;
    // Names already warned about, so each is reported once.
    std::set<std::string, std::less<>> m_reportedNames;
    // Entries registered by someone else than the program, with their owner.
    std::map<std::string, Owner, std::less<>> m_entryOwners;
    Owner m_currentOwner = ProgramOwner;
    Owner m_lastOwner = ProgramOwner;
    // Names whose entries left with their owner, until they are read once or registered again.
    mutable std::set<std::string, std::less<>> m_removedNames;
    std::set<std::string, std::less<>> m_reportedFiles;
    SMainSettings m_mainSettings;
    mutable char m_valueText[SConfigCommand::TextLength] = {};
};
