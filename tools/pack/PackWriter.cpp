#include "PackWriter.h"

#include "platform/os/FileSystem.h"

#include <sys/stat.h>

#include <cstdio>
#include <limits>
#include <memory>

namespace
{
using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

void PutUnsigned(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void Complement(std::uint8_t* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
}

bool SameFile(std::string const& a, std::string const& b)
{
    struct stat first, second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
} // namespace

bool CPackWriter::AddFolder(std::string const& folder, std::string const& skip, std::string* error)
{
    if (!platform::IsDirectory(folder)) {
        *error = folder + " is not a folder";
        return false;
    }
    return AddBelow(folder, "", skip, error);
}

bool CPackWriter::AddBelow(std::string const& directory, std::string const& prefix, std::string const& skip,
                           std::string* error)
{
    for (auto const& entry : platform::ListDirectory(directory)) {
        std::string const path = directory + "/" + entry.name;
        std::string const name = prefix + entry.name;
        if (entry.isDirectory) {
            if (!entry.isLink && !AddBelow(path, name + "\\", skip, error))
                return false;
            continue;
        }
        if (!skip.empty() && SameFile(path, skip))
            continue;
        if (!AddFile(path, name, error))
            return false;
    }
    return true;
}

bool CPackWriter::AddFile(std::string const& nativePath, std::string const& name, std::string* error)
{
    if (name.empty() || name.size() > MaxNameLength) {
        *error = "name \"" + name + "\" must have 1 to 254 characters";
        return false;
    }
    struct stat info;
    if (::stat(nativePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        *error = nativePath + " is not a readable file";
        return false;
    }
    m_files.push_back({nativePath, name, static_cast<std::uint64_t>(info.st_size)});
    return true;
}

bool CPackWriter::Write(std::string const& path, std::string* error) const
{
    std::vector<std::uint8_t> table;
    PutUnsigned(table, static_cast<std::uint32_t>(m_files.size()));
    for (auto const& file : m_files) {
        table.push_back(static_cast<std::uint8_t>(file.name.size() + 1));
        table.insert(table.end(), file.name.begin(), file.name.end());
        table.push_back(0);
    }
    std::uint64_t offset = 13 + table.size() + 8 * m_files.size();
    for (auto const& file : m_files) {
        if (offset + file.size > std::numeric_limits<std::uint32_t>::max()) {
            *error = "the pack would be larger than 4 GiB";
            return false;
        }
        PutUnsigned(table, static_cast<std::uint32_t>(offset));
        PutUnsigned(table, static_cast<std::uint32_t>(file.size));
        offset += file.size;
    }

    std::vector<std::uint8_t> header;
    PutUnsigned(header, static_cast<std::uint32_t>(offset));
    for (char c : std::string("TWPAK"))
        header.push_back(static_cast<std::uint8_t>(c));
    PutUnsigned(header, Version);
    Complement(table.data(), table.size());

    FileHandle out(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!out || std::fwrite(header.data(), 1, header.size(), out.get()) != header.size() ||
        std::fwrite(table.data(), 1, table.size(), out.get()) != table.size()) {
        *error = "cannot write " + path;
        return false;
    }
    std::vector<std::uint8_t> chunk(1 << 16);
    for (auto const& file : m_files) {
        FileHandle in(std::fopen(file.nativePath.c_str(), "rb"), std::fclose);
        if (!in) {
            *error = "cannot read " + file.nativePath;
            return false;
        }
        std::uint64_t copied = 0;
        std::size_t got;
        while ((got = std::fread(chunk.data(), 1, chunk.size(), in.get())) > 0) {
            Complement(chunk.data(), got);
            if (std::fwrite(chunk.data(), 1, got, out.get()) != got) {
                *error = "cannot write " + path;
                return false;
            }
            copied += got;
        }
        if (copied != file.size) {
            *error = file.nativePath + " changed while it was packed";
            return false;
        }
    }
    if (std::fclose(out.release()) != 0) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}
