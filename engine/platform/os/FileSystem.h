#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// Directory listing, creation, removal and copying on native paths.
namespace platform
{
struct SDirectoryEntry
{
    std::string name;
    bool isDirectory = false; // also for a link to a directory
    bool isLink = false;
};

// Entries of the directory other than "." and "..", sorted by name ignoring case;
// empty when it cannot be read.
std::vector<SDirectoryEntry> ListDirectory(std::string const& directory);

// Wildcard match ignoring case: '*' any run, '?' one character; "*.*" matches all.
bool MatchesMask(char const* name, char const* mask);

bool PathExists(std::string const& path);
bool IsDirectory(std::string const& path);
// True for a plain file (after links); false for directories, FIFOs, devices and sockets.
bool IsRegularFile(std::string const& path);
// Opens a plain file for binary reading; null when it is missing or anything else (a FIFO
// or a device would block or never end).
std::FILE* OpenRegularFile(std::string const& path);
// Why a file that is there cannot be read ("a FIFO", "a folder", "a device", the system's
// text for a refused open); "" when it is missing or a readable plain file. Never blocks.
std::string DescribeUnreadableFile(std::string const& path);

// Creates one directory; true when it exists afterwards.
bool MakeDirectory(std::string const& path);
// Removes a file, or a directory with everything in it; true when nothing is left.
bool RemoveTree(std::string const& path);
bool CopyFile(std::string const& from, std::string const& to);

// Creates the directory and every missing one above it with `mode`; true when it exists
// afterwards.
bool MakeDirectories(std::string const& path, unsigned int mode = 0755);

// A file written under a unique temporary name in the target's folder (mkstemp) and renamed
// over the target only after a flush, fsync and close succeeded: the target is always either
// the old file or the new one. A symbolic link at the target is replaced, never followed.
class AtomicFile
{
public:
    AtomicFile() = default;
    // Removes an uncommitted temporary file.
    ~AtomicFile();
    AtomicFile(AtomicFile const&) = delete;
    AtomicFile& operator=(AtomicFile const&) = delete;

    // Creates the temporary file (the target's folder must exist). False with `error` set
    // when it cannot be created.
    bool Open(std::string const& target, std::string* error);
    bool IsOpen() const { return m_stream != nullptr; }
    std::FILE* GetStream() const { return m_stream; }
    std::string const& GetTarget() const { return m_target; }

    // Flush, fsync, close and rename. On any failure the target is left as it was, the
    // temporary file is removed and `error` says what failed.
    bool Commit(std::string* error);
    // Drops the temporary file; the target stays as it was.
    void Abandon();

private:
    std::string m_target;
    std::string m_temporary;
    std::FILE* m_stream = nullptr;
};

// Writes `size` bytes as the whole new content of `path` through an AtomicFile.
bool WriteFileAtomically(std::string const& path, void const* data, std::size_t size, std::string* error);

// Copies `source` to `target` (through an AtomicFile, creating the target's folders private to
// the user) when `target` does not exist yet. True when `target` exists afterwards.
bool SeedFile(std::string const& source, std::string const& target);

enum class EFileDialogKind
{
    Open,
    Save,
};

// Asks for a file through a dialog program when one is installed. `file` holds 256
// characters. False when cancelled or when no dialog program is available.
bool ShowFileDialog(EFileDialogKind kind, char const* title, char const* filter, char* file,
                    char const* initialDirectory);
} // namespace platform
