#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content
{

// Builds a TWPAK version 100 archive in memory: plain 13-byte header, then complemented
// file count, names (binary strings), {offset, size} entries and data.
class CPackFileWriter
{
public:
    static constexpr std::uint32_t Version = 100;

    // `name` is the stored relative path with backslashes, e.g. Data\Models\fish1.mlf.
    // Throws std::length_error above 254 characters.
    void AddFile(std::string const& name, std::vector<std::uint8_t> data);
    std::vector<std::uint8_t> Write() const;
    std::size_t GetFilesCount() const { return m_files.size(); }

private:
    struct SEntry
    {
        std::string name;
        std::vector<std::uint8_t> data;
    };
    std::vector<SEntry> m_files;
};

} // namespace content
