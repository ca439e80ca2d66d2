#include "core/PackFile.h"

#include "core/Errors.h"
#include "core/MessageManager.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
std::string ToLower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

unsigned int ReadUnsigned(unsigned char const* bytes)
{
    return static_cast<unsigned int>(bytes[0]) | static_cast<unsigned int>(bytes[1]) << 8 |
           static_cast<unsigned int>(bytes[2]) << 16 | static_cast<unsigned int>(bytes[3]) << 24;
}

// Number of bytes each listed file takes in the table at least: an empty name
// (its length byte) and its entry.
constexpr unsigned int MinimumTableBytesPerFile = 1 + 8;
} // namespace

CPackFile::~CPackFile()
{
    Destroy();
}

bool CPackFile::Load(CMessageManager* messageManager, CMemoryManager* memoryManager, char const* path)
{
    Destroy();
    m_free = false;
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    if (m_messageManager)
        m_messageManager->Write("...Pack file %s found...", path);
    try {
        ReadTable(path);
        return true;
    } catch (CFileError const& error) {
        Destroy();
        if (messageManager) {
            messageManager->SetNewLineMode(false);
            messageManager->Write("......");
            messageManager->WriteError("%s", error.GetText());
            messageManager->SetNewLineMode(true);
        }
        return false;
    }
}

void CPackFile::ReadTable(char const* path)
{
    m_file.Open(m_messageManager, m_memoryManager, path, FILE_READ_BINARY);
    unsigned int const fileSize = m_file.GetSize();

    unsigned char header[HeaderSize];
    m_file.Read(header, HeaderSize);
    if (std::memcmp(header + 4, "TWPAK", 5) != 0 || ReadUnsigned(header) != fileSize)
        throw CFileError("Incorrect pack file format");
    if (ReadUnsigned(header + 9) != Version)
        throw CFileError("Incorrect pack file version, current is %d", Version);

    m_file.AddState(FILE_INVERTED);
    unsigned char countBytes[4];
    m_file.Read(countBytes, 4);
    unsigned int const count = ReadUnsigned(countBytes);
    if (m_messageManager)
        m_messageManager->Write("......It contains %d files...", count);

    // The table must fit in the bytes that follow the count before anything is read.
    unsigned int const tableSpace = fileSize - m_file.GetPosition();
    if (count > tableSpace / MinimumTableBytesPerFile)
        throw CFileError("Incorrect pack file table: %u files do not fit in %u bytes", count, tableSpace);

    std::vector<std::string> names;
    names.reserve(count);
    char name[NameLength];
    for (unsigned int i = 0; i < count; ++i) {
        m_file.ReadBinaryString(name);
        names.push_back(ToLower(name));
    }
    std::vector<SEntry> entries(count);
    for (unsigned int i = 0; i < count; ++i) {
        unsigned char bytes[8];
        m_file.Read(bytes, 8);
        entries[i].offset = ReadUnsigned(bytes);
        entries[i].size = ReadUnsigned(bytes + 4);
        if (static_cast<std::uint64_t>(entries[i].offset) + entries[i].size > fileSize)
            throw CFileError("Incorrect pack file table: %s lies past the end of the pack", names[i].c_str());
    }
    for (unsigned int i = 0; i < count; ++i)
        m_files.emplace(names[i], entries[i]);
}

void CPackFile::SeekTo(unsigned int offset)
{
    if (offset <= static_cast<unsigned int>(INT_MAX)) {
        m_file.Seek(FSO_BEGIN, static_cast<int>(offset));
    } else {
        m_file.Seek(FSO_BEGIN, INT_MAX);
        m_file.Seek(FSO_CURRENT, static_cast<int>(offset - static_cast<unsigned int>(INT_MAX)));
    }
}

void CPackFile::Destroy()
{
    if (m_free)
        return;
    m_file.Close();
    m_files.clear();
    m_rootDirectory[0] = 0;
    m_free = true;
}

bool CPackFile::IsFileExists(char const* name) const
{
    return m_files.count(ToLower(name ? name : "")) > 0;
}

bool CPackFile::GetFileSize(char const* name, unsigned int* size) const
{
    auto const found = m_files.find(ToLower(name ? name : ""));
    if (found == m_files.end())
        return false;
    if (size)
        *size = found->second.size;
    return true;
}

bool CPackFile::GetFileData(char const* name, void* data)
{
    auto const found = m_files.find(ToLower(name ? name : ""));
    if (found == m_files.end() || !m_file.IsOpened())
        return false;
    try {
        SeekTo(found->second.offset);
        m_file.Read(data, found->second.size);
    } catch (CFileError const& error) {
        if (m_messageManager)
            m_messageManager->WriteError("%s", error.GetText());
        return false;
    }
    return true;
}

void CPackFile::FindFiles(std::string const& directory, std::string const& mask, unsigned int* count,
                          char* names)
{
    std::string prefix;
    for (char c : ToLower(directory)) {
        char const separated = c == '/' ? '\\' : c;
        if (separated == '\\' && !prefix.empty() && prefix.back() == '\\')
            continue;
        prefix.push_back(separated);
    }
    if (!prefix.empty() && prefix.back() != '\\')
        prefix.push_back('\\');
    std::string pattern = ToLower(mask);
    if (auto const star = pattern.find('*'); star != std::string::npos)
        pattern.erase(star, 1);

    unsigned int found = 0;
    for (auto const& [stored, entry] : m_files) {
        if (stored.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (stored.find(pattern, prefix.size()) == std::string::npos)
            continue;
        if (names)
            std::snprintf(names + static_cast<std::size_t>(found) * NameLength, NameLength, "%s",
                          stored.c_str());
        ++found;
    }
    if (count)
        *count = found;
}

void CPackFile::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                       char const* rootDirectory, unsigned int const&)
{
    Destroy();
    m_free = false;
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    std::snprintf(m_rootDirectory, sizeof(m_rootDirectory), "%s", rootDirectory ? rootDirectory : "");
    std::size_t const length = std::strlen(m_rootDirectory);
    if ((length == 0 || m_rootDirectory[length - 1] != '\\') && length + 1 < sizeof(m_rootDirectory)) {
        m_rootDirectory[length] = '\\';
        m_rootDirectory[length + 1] = 0;
    }
}

bool CPackFile::AddFile(char const*)
{
    return m_files.size() < MaxFilesCount;
}

bool CPackFile::Save(char const*)
{
    return true;
}
