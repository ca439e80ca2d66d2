#include "core/FileManager.h"

#include "core/Errors.h"
#include "core/File.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "core/PackFile.h"
#include "platform/os/FileSystem.h"
#include "platform/os/Path.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>
#include <strings.h>

namespace
{
// Backslashes for every separator, runs of them shortened to one.
std::string ToPackName(char const* name)
{
    std::string result;
    for (char const* at = name; *at; ++at) {
        char const c = *at == '/' ? '\\' : *at;
        if (c == '\\' && !result.empty() && result.back() == '\\')
            continue;
        result.push_back(c);
    }
    return result;
}

std::string ExecutableRelative(char const* path)
{
    if (platform::IsAbsolutePath(path))
        return path;
    return platform::GetExecutableDirectory() + "\\" + path;
}

bool EndsWithSeparator(std::string const& path)
{
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

// The names a caller's buffer holds: the count it passes in (the first call's result), or
// unbounded when it passes no count.
unsigned int NameCapacity(unsigned int const* count, char const* names)
{
    return names && count ? *count : std::numeric_limits<unsigned int>::max();
}

void CopyName(char* names, unsigned int slot, std::string const& name)
{
    std::snprintf(names + static_cast<std::size_t>(slot) * CFileManager::NameLength, CFileManager::NameLength,
                  "%s", name.c_str());
}

// Lists files matching `mask` in the native directory `searchPath` and, through
// matching sub-directories, below it; names start with `shownDirectory`.
// With `names`, at most `capacity` names are written and counted.
void FindFilesBelow(std::string const& searchPath, std::string const& shownDirectory, std::string const& mask,
                    unsigned int* count, char* names, unsigned int capacity)
{
    std::string const separator = shownDirectory.empty() || EndsWithSeparator(shownDirectory) ? "" : "\\";
    for (auto const& entry : platform::ListDirectory(searchPath)) {
        if (!platform::MatchesMask(entry.name.c_str(), mask.c_str()))
            continue;
        std::string const shown = shownDirectory + separator + entry.name;
        if (entry.isDirectory) {
            // Links to directories are not followed: they could lead back up the tree.
            if (!entry.isLink)
                FindFilesBelow(searchPath + "/" + entry.name, shown, mask, count, names, capacity);
            continue;
        }
        if (names) {
            if (*count >= capacity)
                return;
            CopyName(names, *count, shown);
        }
        ++*count;
    }
}

void FindFilesFrom(std::string const& root, std::string const& directory, std::string const& mask,
                   unsigned int* count, char* names, unsigned int capacity)
{
    unsigned int found = 0;
    std::string const full =
        platform::IsAbsolutePath(directory.c_str()) ? directory : root + "\\" + directory;
    FindFilesBelow(platform::ResolvePath(full), directory, mask, &found, names, capacity);
    if (count)
        *count = found;
}
} // namespace

CFileManager::~CFileManager()
{
    Destroy();
}

void CFileManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                          char const* engineDirectory, char const* packDirectory)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    if (m_messageManager)
        m_messageManager->Write("Initialization of File Manager...");

    std::string directory = engineDirectory ? engineDirectory : platform::GetExecutableDirectory();
    while (directory.size() > 1 && EndsWithSeparator(directory))
        directory.pop_back();
    std::snprintf(m_engineDirectory, sizeof(m_engineDirectory), "%s", directory.c_str());

    std::string const packPath = packDirectory ? std::string(m_engineDirectory) + "\\" + packDirectory
                                               : std::string(m_engineDirectory);
    std::string const nativePackPath = platform::ResolvePath(packPath);
    for (auto const& entry : platform::ListDirectory(nativePackPath)) {
        if (entry.isDirectory || !platform::MatchesMask(entry.name.c_str(), "*.pak"))
            continue;
        auto* pack = new CPackFile;
        if (pack->Load(m_messageManager, m_memoryManager, (nativePackPath + "/" + entry.name).c_str()))
            m_packFiles.push_back(pack);
        else
            delete pack;
    }
}

void CFileManager::Destroy()
{
    for (CPackFile* pack : m_packFiles) {
        pack->Destroy();
        delete pack;
    }
    m_packFiles.clear();
}

std::string CFileManager::GetEnginePath(char const* name) const
{
    if (platform::IsAbsolutePath(name))
        return name;
    return std::string(m_engineDirectory) + "\\" + name;
}

void CFileManager::OpenFile(CFile* file, std::string const& name, unsigned int mode)
{
    std::string const path = GetEnginePath(name.c_str());
    if (mode & (FILE_WRITE_TEXT | FILE_WRITE_BINARY)) {
        CreateFilePath(path.c_str());
        file->Open(m_messageManager, m_memoryManager, path.c_str(), mode);
        return;
    }

    std::string const nativePath = platform::ResolvePath(path);
    unsigned int size = 0;
    if (platform::PathExists(nativePath) || !GetFileFromPack(name.c_str(), &size, nullptr)) {
        file->Open(m_messageManager, m_memoryManager, path.c_str(), mode);
        return;
    }

    // The file keeps its own copy; the block goes straight back.
    std::vector<unsigned char> heapBlock;
    unsigned char* block = nullptr;
    if (m_memoryManager) {
        block = static_cast<unsigned char*>(m_memoryManager->Allocate(size, true));
    } else {
        heapBlock.resize(size);
        block = heapBlock.data();
    }
    try {
        if (!GetFileFromPack(name.c_str(), nullptr, block))
            throw CFileError("Failed to open %s file", path.c_str());
        file->Open(m_messageManager, m_memoryManager, path.c_str(), mode, true, size, block);
    } catch (...) {
        if (m_memoryManager)
            m_memoryManager->Free(block);
        throw;
    }
    if (m_memoryManager)
        m_memoryManager->Free(block);
}

bool CFileManager::IsFileExists(char const* name) const
{
    if (platform::PathExists(platform::ResolvePath(GetEnginePath(name))))
        return true;
    return GetFileFromPack(name, nullptr, nullptr);
}

bool CFileManager::GetFileFromPack(char const* name, unsigned int* size, void* data) const
{
    std::string const packName = ToPackName(name);
    for (CPackFile* pack : m_packFiles) {
        unsigned int found = 0;
        if (!pack->GetFileSize(packName.c_str(), &found))
            continue;
        if (size)
            *size = found;
        if (data)
            return pack->GetFileData(packName.c_str(), data);
        return true;
    }
    return false;
}

void CFileManager::FindFiles(std::string const& directory, std::string const& mask, unsigned int* count,
                             char* names)
{
    unsigned int const capacity = NameCapacity(count, names);
    unsigned int total = 0;
    FindFilesFrom(m_engineDirectory, directory, mask, &total, names, capacity);
    for (CPackFile* pack : m_packFiles) {
        unsigned int found = 0;
        pack->FindFiles(directory, mask, &found, nullptr);
        if (!names) {
            total += found;
            continue;
        }
        std::vector<char> packNames(static_cast<std::size_t>(found) * NameLength);
        pack->FindFiles(directory, mask, &found, packNames.data());
        unsigned int const listed = total;
        for (unsigned int i = 0; i < found; ++i) {
            char const* candidate = packNames.data() + static_cast<std::size_t>(i) * NameLength;
            std::string const wanted = ToPackName(candidate);
            bool duplicate = false;
            for (unsigned int j = 0; j < listed && !duplicate; ++j)
                duplicate = ::strcasecmp(ToPackName(names + static_cast<std::size_t>(j) * NameLength).c_str(),
                                         wanted.c_str()) == 0;
            if (!duplicate && total < capacity)
                CopyName(names, total++, candidate);
        }
    }
    if (count)
        *count = total;
}

void CFileManager::FindFilesOnDisk(std::string const& directory, std::string const& mask, unsigned int* count,
                                   char* names)
{
    FindFilesFrom(platform::GetExecutableDirectory(), directory, mask, count, names,
                  NameCapacity(count, names));
}

void CFileManager::GetFullPath(std::string const& path, std::string* out)
{
    if (path.find(':') != std::string::npos || platform::IsAbsolutePath(path.c_str()))
        *out = path;
    else
        *out = platform::GetExecutableDirectory() + "\\" + path;
}

bool CFileManager::IsFileExistsOnDisk(char const* path)
{
    return platform::PathExists(platform::ResolvePath(ExecutableRelative(path)));
}

void CFileManager::CreateFilePath(char const* path)
{
    std::string const full = ExecutableRelative(path);
    auto const last = full.find_last_of("\\/");
    if (last == std::string::npos)
        return;
    std::string const native = platform::ResolvePath(full.substr(0, last));
    for (std::string::size_type at = 1; at <= native.size(); ++at) {
        if (at < native.size() && native[at] != '/')
            continue;
        std::string const prefix = native.substr(0, at);
        if (!platform::PathExists(prefix))
            platform::MakeDirectory(prefix);
    }
}

bool CFileManager::IsRemovablePath(char const* path)
{
    if (!path)
        return false;
    std::string_view rest(path);
    if (rest.size() >= 2 && rest[1] == ':')
        rest.remove_prefix(2);
    unsigned int names = 0;
    std::string_view::size_type start = 0;
    while (start <= rest.size()) {
        std::string_view::size_type end = rest.find_first_of("\\/", start);
        if (end == std::string_view::npos)
            end = rest.size();
        std::string_view const part = rest.substr(start, end - start);
        if (part == "..")
            return false;
        if (!part.empty() && part != ".")
            ++names;
        start = end + 1;
    }
    return names > 0;
}

bool CFileManager::Remove(char const* path, CMessageManager* messages)
{
    if (!IsRemovablePath(path)) {
        char text[NameLength + 80];
        std::snprintf(text, sizeof(text),
                      "Refused to remove \"%s\": the path is empty or leaves its directory",
                      path ? path : "");
        if (messages)
            messages->WriteError("%s", text);
        else
            std::fprintf(stderr, "Error: %s\n", text);
        return false;
    }
    return platform::RemoveTree(platform::ResolvePath(ExecutableRelative(path)));
}

void CFileManager::GetFileExtension(char const* path, char* out)
{
    char const* dot = std::strrchr(path, '.');
    std::snprintf(out, NameLength, "%s", dot ? dot + 1 : "");
}

bool CFileManager::CompareFileExtension(char const* path, char const* extension)
{
    char found[NameLength];
    GetFileExtension(path, found);
    return ::strcasecmp(found, extension) == 0;
}

void CFileManager::ReplaceFileExtension(char* path, char const* extension)
{
    std::size_t const length = std::strlen(path);
    char* dot = std::strrchr(path, '.');
    std::size_t const keep = dot ? static_cast<std::size_t>(dot - path) : length;
    // Path buffers hold NameLength characters.
    if (keep + 1 < NameLength)
        std::snprintf(path + keep, NameLength - keep, ".%s", extension);
}

bool CFileManager::GetOpenFileDialogBox(char const* title, char const* filter, char* file,
                                        char const* initialDirectory)
{
    return platform::ShowFileDialog(platform::EFileDialogKind::Open, title,
                                    filter ? filter : "All Files (*.*)\0*.*;\0", file, initialDirectory);
}

bool CFileManager::GetSaveFileDialogBox(char const* title, char const* filter, char* file,
                                        char const* initialDirectory)
{
    return platform::ShowFileDialog(platform::EFileDialogKind::Save, title,
                                    filter ? filter : "All Files (*.*)\0*.*;\0", file, initialDirectory);
}
