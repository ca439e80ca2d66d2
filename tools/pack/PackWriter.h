#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Collects files and writes them as one TWPAK pack: a plain 13-byte header (total
// size, "TWPAK", version 100), then, complemented, the count, the names as
// length-prefixed strings, the {offset, size} entries and the data.
class CPackWriter
{
public:
    static constexpr std::uint32_t Version = 100;
    static constexpr std::size_t MaxNameLength = 254;

    // Adds every file below `folder`, named by its path relative to it with
    // backslashes. Links to directories are not followed; `skip` (a native path) is
    // left out. False with a reason when a name is too long.
    bool AddFolder(std::string const& folder, std::string const& skip, std::string* error);
    bool AddFile(std::string const& nativePath, std::string const& name, std::string* error);

    // False with a reason when a file cannot be read or the pack would pass 4 GiB.
    bool Write(std::string const& path, std::string* error) const;

    std::size_t GetFilesCount() const { return m_files.size(); }

private:
    struct SFile
    {
        std::string nativePath;
        std::string name;
        std::uint64_t size = 0;
    };

    bool AddBelow(std::string const& directory, std::string const& prefix, std::string const& skip,
                  std::string* error);

    std::vector<SFile> m_files;
};
