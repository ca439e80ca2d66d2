#pragma once

#include <string>

namespace platform
{
class Registry;
}

// Where the aquarium is installed and which version it is, as the registry records it.
namespace installation
{
constexpr unsigned int PathLength = 256;
constexpr char const* InstallationKeyBase = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorin\\Coralume\\";
constexpr char const* VersionKey = "HKEY_LOCAL_MACHINE\\Software\\Vantorin\\Coralume";
constexpr char const* DefaultVersionText = "100";
// Room kept below the installation folder for the longest name the program builds there
// (log file, data files, fonts, fish packs) within the PathLength buffers.
constexpr unsigned int ReservedNameLength = 96;
constexpr unsigned int MaximumInstallPathLength = PathLength - 1 - ReservedNameLength;

// The program's path with its extension replaced by "ini" (added when it has none).
std::string GetSuffixFilePath(std::string const& programPath);

// The whole content of the suffix file (a trailing line break is not part of it); "0" when
// the file is missing or empty.
std::string ReadSuffix(std::string const& suffixFilePath);

// "InstallPath" of the installation key into `path` (PathLength characters). A relative value
// (an installed registry holds ".") is taken relative to `baseFolder` when one is given, so a
// moved installation still finds itself. False when the key or the value is missing, is not
// text, or does not fit with its terminating zero.
bool ReadInstallPath(platform::Registry const& registry, std::string const& suffix, char* path,
                     std::string const& baseFolder = {});

// "" when the installation folder leaves room for every name below it; otherwise the message
// that refuses it.
std::string CheckInstallPathLength(char const* path);

// "Version" when it is a string value, else "100" (at most 4095 characters).
std::string ReadVersionText(platform::Registry const& registry);

// "100" gives 100.
int GetVersionNumber(std::string const& versionText);
// "100" gives "1.00": a dot after the first character.
std::string GetVersionString(std::string const& versionText);
} // namespace installation
