#include "InstallationData.h"

#include "core/FileManager.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Path.h"
#include "platform/os/Registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace installation
{
namespace
{
constexpr std::size_t VersionBufferSize = 4096;
}

std::string GetSuffixFilePath(std::string const& programPath)
{
    std::size_t const slash = programPath.find_last_of("/\\");
    std::size_t const dot = programPath.find_last_of('.');
    bool const hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    if (!hasExtension)
        return programPath + ".ini";
    char path[CFileManager::NameLength];
    std::snprintf(path, sizeof(path), "%s", programPath.c_str());
    CFileManager::ReplaceFileExtension(path, "ini");
    return path;
}

std::string ReadSuffix(std::string const& suffixFilePath)
{
    std::string suffix;
    if (std::FILE* file = platform::OpenRegularFile(suffixFilePath)) {
        char buffer[256];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
            suffix.append(buffer, got);
        std::fclose(file);
    }
    while (!suffix.empty() && (suffix.back() == '\n' || suffix.back() == '\r'))
        suffix.pop_back();
    return suffix.empty() ? "0" : suffix;
}

bool ReadInstallPath(platform::Registry const& registry, std::string const& suffix, char* path,
                     std::string const& baseFolder)
{
    platform::RegistryValue const* value = registry.FindValue(InstallationKeyBase + suffix, "InstallPath");
    if (!value || value->type != platform::RegistryValueType::String)
        return false;
    std::string text = value->text;
    if (!baseFolder.empty() && !text.empty() && !platform::IsAbsolutePath(text.c_str()))
        text = text == "." ? baseFolder : baseFolder + "/" + text;
    if (text.size() + 1 > PathLength)
        return false;
    std::memcpy(path, text.c_str(), text.size() + 1);
    return true;
}

std::string CheckInstallPathLength(char const* path)
{
    std::size_t const length = std::strlen(path);
    if (length <= MaximumInstallPathLength)
        return "";
    char text[PathLength];
    std::snprintf(text, sizeof text,
                  "Error: the installation folder path is too long (%zu characters, at most %u)! Please, "
                  "reinstall product into a shorter folder.",
                  length, MaximumInstallPathLength);
    return text;
}

std::string ReadVersionText(platform::Registry const& registry)
{
    platform::RegistryValue const* value = registry.FindValue(VersionKey, "Version");
    if (!value || value->type != platform::RegistryValueType::String)
        return DefaultVersionText;
    return value->text.substr(0, VersionBufferSize - 1);
}

int GetVersionNumber(std::string const& versionText)
{
    return std::atoi(versionText.c_str());
}

std::string GetVersionString(std::string const& versionText)
{
    if (versionText.empty())
        return versionText;
    return versionText.substr(0, 1) + "." + versionText.substr(1);
}
} // namespace installation
