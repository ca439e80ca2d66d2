#pragma once

#include "core/File.h"

#include <map>
#include <string>

class CMessageManager;
class CMemoryManager;

// A TWPAK archive opened for reading. Its table of contents maps lower-case member
// names to their place in the pack; the pack stays open while loaded.
class CPackFile
{
public:
    static constexpr unsigned int Version = 100;
    static constexpr unsigned int HeaderSize = 13;
    static constexpr unsigned int MaxFilesCount = 65536;
    static constexpr unsigned int NameLength = 256;

    CPackFile() = default;
    ~CPackFile();
    CPackFile(CPackFile const&) = delete;
    CPackFile& operator=(CPackFile const&) = delete;

    // False (with the reason in the log) when the pack is missing, malformed or lies
    // about its contents.
    bool Load(CMessageManager* messageManager, CMemoryManager* memoryManager, char const* path);
    void Destroy();
    bool IsFree() const { return m_free; }

    bool IsFileExists(char const* name) const;
    bool GetFileSize(char const* name, unsigned int* size) const;
    // Copies the member's bytes; `data` must hold GetFileSize bytes.
    bool GetFileData(char const* name, void* data);
    unsigned int GetFilesCount() const { return static_cast<unsigned int>(m_files.size()); }
    // Names under `directory` whose remainder contains `mask` less its first '*';
    // `names` (when given) receives them in slots of NameLength characters.
    void FindFiles(std::string const& directory, std::string const& mask, unsigned int* count, char* names);

    // Writing packs is left to the pack tool: these only keep the interface.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, char const* rootDirectory,
                unsigned int const& unused);
    bool AddFile(char const* path);
    bool Save(char const* path);

private:
    struct SEntry
    {
        unsigned int offset = 0;
        unsigned int size = 0;
    };

    void ReadTable(char const* path);
    void SeekTo(unsigned int offset);

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CFile m_file;
    std::map<std::string, SEntry> m_files;
    char m_rootDirectory[NameLength] = {};
};
