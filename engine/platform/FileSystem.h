#pragma once

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

// Creates one directory; true when it exists afterwards.
bool MakeDirectory(std::string const& path);
// Removes a file, or a directory with everything in it; true when nothing is left.
bool RemoveTree(std::string const& path);
bool CopyFile(std::string const& from, std::string const& to);

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
