#pragma once

#include <string>
#include <vector>

class CFile;
class CMessageManager;
class CMemoryManager;
class CPackFile;

// Opens every file of the engine: from disk under the engine directory first, then
// from the pack files found in the pack directory at start-up.
class CFileManager
{
public:
    static constexpr unsigned int NameLength = 256;

    CFileManager() = default;
    ~CFileManager();
    CFileManager(CFileManager const&) = delete;
    CFileManager& operator=(CFileManager const&) = delete;

    // A null engine directory means the executable's directory; a null pack
    // directory means the engine directory itself.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, char const* engineDirectory,
                char const* packDirectory);
    void Destroy();

    char const* GetEngineDirectory() const { return m_engineDirectory; }
    unsigned int GetPackFilesCount() const { return static_cast<unsigned int>(m_packFiles.size()); }

    // Throws CFileError ("Failed to open %s file") when neither disk nor a pack has it.
    void OpenFile(CFile* file, std::string const& name, unsigned int mode);
    bool IsFileExists(char const* name) const;
    // Disk files first, then pack members not already listed. Call with `names` null
    // for an upper bound of the count, then with count × NameLength characters and that
    // count: no more names than it says are written (files may appear in between).
    void FindFiles(std::string const& directory, std::string const& mask, unsigned int* count, char* names);

    // Relative paths below are taken relative to the executable's directory.
    static void FindFilesOnDisk(std::string const& directory, std::string const& mask, unsigned int* count,
                                char* names);
    static void GetFullPath(std::string const& path, std::string* out);
    static bool IsFileExistsOnDisk(char const* path);
    // Creates every directory of the path up to its last backslash.
    static void CreateFilePath(char const* path);
    // Deletes the file, or the directory with everything in it. Refuses, with an error in
    // `messages` (the standard error stream when null), a path that IsRemovablePath rejects;
    // false when refused or not removed.
    static bool Remove(char const* path, CMessageManager* messages = nullptr);
    // False for an empty path, one with a ".." component, and one that names its base (the
    // executable's directory, or the root) rather than something inside it.
    static bool IsRemovablePath(char const* path);
    static void GetFileExtension(char const* path, char* out);
    static bool CompareFileExtension(char const* path, char const* extension);
    static void ReplaceFileExtension(char* path, char const* extension);
    // Ask the user for a file; false when cancelled or no dialog is available here.
    static bool GetOpenFileDialogBox(char const* title, char const* filter, char* file,
                                     char const* initialDirectory);
    static bool GetSaveFileDialogBox(char const* title, char const* filter, char* file,
                                     char const* initialDirectory);

protected:
    bool GetFileFromPack(char const* name, unsigned int* size, void* data) const;

private:
    std::string GetEnginePath(char const* name) const;

    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    char m_engineDirectory[NameLength] = {};
    std::vector<CPackFile*> m_packFiles;
};
