// Reading and writing the configuration file: one "name value" line per variable.
#include "core/Config.h"

#include "core/ConfigLine.h"
#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MessageManager.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Path.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace
{
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view CommentStart = "//";

bool IsWholeNumber(char const* text)
{
    char* end = nullptr;
    errno = 0;
    std::strtoll(text, &end, 10);
    return end != text && *end == '\0' && errno == 0;
}

bool IsWholeReal(char const* text)
{
    char* end = nullptr;
    std::strtod(text, &end);
    return end != text && *end == '\0';
}

// False when the text would silently become something else in a variable of this type.
bool IsUsableValue(EConfigCommandType type, char const* text)
{
    switch (type) {
    case CCT_INT:
    case CCT_BOOL:
        return IsWholeNumber(text);
    case CCT_FLOAT:
        return IsWholeReal(text);
    default:
        return true;
    }
}

// The file as it lies on disk: relative paths are taken relative to the engine directory.
std::string FullPath(CFileManager const* files, std::string const& path)
{
    if (platform::IsAbsolutePath(path.c_str()))
        return path;
    return std::string(files->GetEngineDirectory()) + "\\" + path;
}

std::string ToLogPath(CFileManager const* files, std::string const& path)
{
    return platform::ToNativePath(FullPath(files, path));
}
} // namespace

void CConfig::SetInstalledFilePath(char const* path)
{
    m_installedFilePath = path ? path : "";
}

void CConfig::Load()
{
    // Names already warned about stay so: a second load warns no more.
    Reset();
    m_pendingLines.clear();
    if (!m_files)
        return;
    if (!m_installedFilePath.empty() && m_installedFilePath != m_configFilePath)
        LoadFile(m_installedFilePath);
    LoadFile(m_configFilePath);
    ApplyOverrides();
}

void CConfig::SetOverrides(std::vector<std::string> lines)
{
    m_overrides = std::move(lines);
    ApplyOverrides();
}

void CConfig::ApplyOverrides()
{
    for (std::string const& line : m_overrides)
        ExecuteCommand(line.c_str());
}

bool CConfig::LoadFile(std::string const& path)
{
    // A missing or unreadable file ends loading silently; what was applied so far stays.
    std::string text;
    try {
        CFile file;
        m_files->OpenFile(&file, path, FILE_READ_TEXT | FILE_IN_MEMORY);
        text.resize(file.GetSize());
        if (!text.empty())
            file.Read(text.data(), static_cast<unsigned int>(text.size()));
        file.Close();
    } catch (CFileError const&) {
        ReportUnreadableFile(path);
        return false;
    }
    if (m_messages)
        m_messages->Write("...Configuration file %s...", ToLogPath(m_files, path).c_str());

    std::string_view rest = text;
    if (rest.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        rest.remove_prefix(ByteOrderMark.size());
    // Whole lines, however long: the tail of a long line is never read as a line of its own.
    for (int number = 1; !rest.empty(); ++number) {
        std::size_t const end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        line = line.substr(0, line.find(CommentStart));
        SFileLine const fileLine{std::string(line), path, number};
        SConfigCommandExecutionResult const result = ApplyFileLine(fileLine);
        // Names registered later (application, plug-ins) pick their line up at registration;
        // the last line of a name is the one that counts.
        if (result.code == CER_UNKNOWN)
            m_pendingLines[result.name] = fileLine;
    }
    return true;
}

void CConfig::ReportUnreadableFile(std::string const& path)
{
    std::string const native = ToLogPath(m_files, path);
    std::string const reason =
        platform::DescribeUnreadableFile(platform::ResolvePath(FullPath(m_files, path)));
    if (reason.empty() || !m_reportedFiles.insert(native).second)
        return;
    if (m_messages)
        m_messages->WriteError("Configuration file %s can not be read (%s); it is left out", native.c_str(),
                               reason.c_str());
    std::fprintf(stderr, "Error: configuration file %s can not be read (%s); it is left out\n",
                 native.c_str(), reason.c_str());
}

SConfigCommandExecutionResult CConfig::ApplyFileLine(SFileLine const& line)
{
    SConfigCommandExecutionResult const result = ExecuteCommand(line.text.c_str());
    if (result.code != CER_DONE || !m_messages)
        return result;
    SConfigCommand const* command = FindCommand(result.name);
    if (!command || command->type == CCT_COMMAND)
        return result;
    SConfigLine const parsed = SConfigLine::Parse(line.text.c_str());
    if (IsUsableValue(command->type, parsed.value.c_str()) || !m_reportedNames.insert(result.name).second)
        return result;
    m_messages->WriteWarning("%s line %d: \"%s\" is not a usable value for %s",
                             ToLogPath(m_files, line.file).c_str(), line.number, parsed.value.c_str(),
                             result.name);
    return result;
}

void CConfig::ReportUnknownNames()
{
    if (!m_messages)
        return;
    for (auto const& [name, line] : m_pendingLines) {
        if (m_reportedNames.insert(name).second)
            m_messages->WriteWarning("%s line %d: unknown name %s", ToLogPath(m_files, line.file).c_str(),
                                     line.number, name.c_str());
    }
}

bool CConfig::Save()
{
    if (!m_files)
        return false;
    std::string text;
    for (auto const& [name, command] : m_commands) {
        if (!command.saveToFile || command.readOnly || command.type == CCT_COMMAND)
            continue;
        text += name;
        text += ' ';
        text += GetValue(name.c_str());
        text += '\n';
    }
    std::string const path = FullPath(m_files, m_configFilePath);
    CFileManager::CreateFilePath(path.c_str());
    std::string error;
    if (platform::WriteFileAtomically(platform::ResolvePath(path), text.data(), text.size(), &error))
        return true;
    if (m_messages)
        m_messages->WriteError("Failed to save the configuration: %s", error.c_str());
    return false;
}
