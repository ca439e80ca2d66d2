#include "platform/os/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform
{
namespace
{
bool MatchFrom(char const* name, char const* mask)
{
    for (; *mask; ++mask, ++name) {
        if (*mask == '*') {
            while (mask[1] == '*')
                ++mask;
            if (!mask[1])
                return true;
            for (char const* rest = name; *rest; ++rest) {
                if (MatchFrom(rest, mask + 1))
                    return true;
            }
            return false;
        }
        if (!*name)
            return false;
        if (*mask != '?' && std::tolower(static_cast<unsigned char>(*mask)) !=
                                std::tolower(static_cast<unsigned char>(*name)))
            return false;
    }
    return *name == 0;
}

int RemoveEntry(char const* path, struct stat const*, int, struct FTW*)
{
    return ::remove(path) == 0 ? 0 : -1;
}

std::string FindProgram(char const* name)
{
    char const* path = std::getenv("PATH");
    if (!path)
        return {};
    std::string const list = path;
    std::string::size_type start = 0;
    while (start <= list.size()) {
        auto const end = list.find(':', start);
        std::string directory =
            list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!directory.empty()) {
            std::string const candidate = directory + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0 && !IsDirectory(candidate))
                return candidate;
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return {};
}

// Patterns of a filter given as pairs of zero-terminated texts ("Images", "*.tga;*.jpg"),
// ended by an empty text, turned into the dialog program's filter arguments.
std::vector<std::string> FilterPatterns(char const* filter)
{
    std::vector<std::string> patterns;
    if (!filter)
        return patterns;
    // A filter ends with two zeros; a bounded walk guards against a missing end.
    char const* at = filter;
    for (int pair = 0; pair < 64 && *at; ++pair) {
        std::string const description = at;
        at += description.size() + 1;
        std::string const list = at;
        at += list.size() + 1;
        std::string spaced;
        for (char c : list)
            spaced.push_back(c == ';' ? ' ' : c);
        if (spaced == "*.* " || spaced == "*.*")
            spaced = "*";
        patterns.push_back(description + " | " + spaced);
        if (list.empty())
            break;
    }
    return patterns;
}

bool RunForOutput(std::vector<std::string> const& arguments, std::string* output)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return false;
    pid_t const child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return false;
    }
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        std::vector<char*> argv;
        for (auto const& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    char chunk[512];
    ssize_t got;
    while ((got = ::read(pipeEnds[0], chunk, sizeof(chunk))) > 0)
        output->append(chunk, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
} // namespace

std::vector<SDirectoryEntry> ListDirectory(std::string const& directory)
{
    std::vector<SDirectoryEntry> entries;
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir)
        return entries;
    while (dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        SDirectoryEntry item;
        item.name = entry->d_name;
        struct stat info;
        std::string const path = directory + "/" + item.name;
        if (::lstat(path.c_str(), &info) == 0) {
            item.isLink = S_ISLNK(info.st_mode);
            if (item.isLink && ::stat(path.c_str(), &info) != 0)
                info.st_mode = 0;
            item.isDirectory = S_ISDIR(info.st_mode);
        }
        entries.push_back(item);
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](SDirectoryEntry const& a, SDirectoryEntry const& b) {
        int const order = ::strcasecmp(a.name.c_str(), b.name.c_str());
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return entries;
}

bool MatchesMask(char const* name, char const* mask)
{
    if (std::strcmp(mask, "*.*") == 0)
        return true;
    return MatchFrom(name, mask);
}

bool PathExists(std::string const& path)
{
    struct stat info;
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool IsDirectory(std::string const& path)
{
    struct stat info;
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(std::string const& path)
{
    struct stat info;
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::FILE* OpenRegularFile(std::string const& path)
{
    // Opening without blocking keeps a FIFO without a writer from stalling the open itself.
    int const descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat info;
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        return nullptr;
    }
    int const flags = ::fcntl(descriptor, F_GETFL);
    if (flags >= 0)
        ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(descriptor, "rb");
    if (!file)
        ::close(descriptor);
    return file;
}

std::string DescribeUnreadableFile(std::string const& path)
{
    struct stat info;
    if (path.empty())
        return "";
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? "" : std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "a folder";
    if (S_ISFIFO(info.st_mode))
        return "a FIFO";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return "a device";
    if (!S_ISREG(info.st_mode))
        return "not a plain file";
    int const descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return std::strerror(errno);
    ::close(descriptor);
    return "";
}

bool MakeDirectory(std::string const& path)
{
    if (::mkdir(path.c_str(), 0755) == 0)
        return true;
    return IsDirectory(path);
}

bool RemoveTree(std::string const& path)
{
    struct stat info;
    if (path.empty() || ::lstat(path.c_str(), &info) != 0)
        return true;
    if (!S_ISDIR(info.st_mode))
        return ::remove(path.c_str()) == 0;
    ::nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    return ::lstat(path.c_str(), &info) != 0;
}

bool CopyFile(std::string const& from, std::string const& to)
{
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in)
        return false;
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        return false;
    }
    bool ok = true;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), in)) > 0) {
        if (std::fwrite(chunk, 1, got, out) != got) {
            ok = false;
            break;
        }
    }
    ok = ok && !std::ferror(in);
    std::fclose(in);
    return std::fclose(out) == 0 && ok;
}

bool MakeDirectories(std::string const& path, unsigned int mode)
{
    if (path.empty() || IsDirectory(path))
        return !path.empty();
    std::size_t const slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(path.substr(0, slash), mode))
        return false;
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0)
        return true;
    return IsDirectory(path);
}

namespace
{
constexpr mode_t NewFileMode = 0644;
constexpr mode_t PermissionBits = 07777;

std::string SystemError(char const* what, std::string const& path)
{
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

std::string FolderOf(std::string const& path)
{
    std::size_t const slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The rename is durable only once the folder's entry reached the disk; file systems that
// cannot sync a folder still keep the old or the new file.
void SyncFolder(std::string const& folder)
{
    int const descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}
} // namespace

AtomicFile::~AtomicFile()
{
    Abandon();
}

bool AtomicFile::Open(std::string const& target, std::string* error)
{
    Abandon();
    std::size_t const slash = target.find_last_of('/');
    std::string const name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty()) {
        if (error)
            *error = "No file name in " + target;
        return false;
    }
    std::string pattern = FolderOf(target) + "/." + name + ".XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    // O_EXCL with a random name: nothing planted in the folder is ever opened.
    int const descriptor = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (descriptor < 0) {
        if (error)
            *error = SystemError("Cannot create a temporary file for", target);
        return false;
    }
    struct stat existing;
    mode_t mode = NewFileMode;
    if (::lstat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        mode = existing.st_mode & PermissionBits;
    ::fchmod(descriptor, mode);
    m_stream = ::fdopen(descriptor, "wb");
    if (!m_stream) {
        ::close(descriptor);
        ::unlink(buffer.data());
        if (error)
            *error = SystemError("Cannot write", target);
        return false;
    }
    m_target = target;
    m_temporary = buffer.data();
    return true;
}

bool AtomicFile::Commit(std::string* error)
{
    if (!m_stream) {
        if (error)
            *error = "No file is open for " + m_target;
        return false;
    }
    std::string failure;
    bool const written = !std::ferror(m_stream);
    if (!written) {
        failure = "Failed to write " + m_target;
    } else if (std::fflush(m_stream) != 0) {
        failure = SystemError("Failed to write", m_target);
    } else if (::fsync(::fileno(m_stream)) != 0) {
        failure = SystemError("Failed to sync", m_target);
    }
    std::FILE* stream = m_stream;
    m_stream = nullptr;
    if (std::fclose(stream) != 0 && failure.empty())
        failure = SystemError("Failed to close", m_target);
    if (failure.empty() && ::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        failure = SystemError("Failed to replace", m_target);
    if (!failure.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
        if (error)
            *error = failure;
        return false;
    }
    m_temporary.clear();
    SyncFolder(FolderOf(m_target));
    return true;
}

void AtomicFile::Abandon()
{
    if (m_stream) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool WriteFileAtomically(std::string const& path, void const* data, std::size_t size, std::string* error)
{
    AtomicFile file;
    if (!file.Open(path, error))
        return false;
    if (size > 0 && std::fwrite(data, 1, size, file.GetStream()) != size) {
        if (error)
            *error = SystemError("Failed to write", path);
        file.Abandon();
        return false;
    }
    return file.Commit(error);
}

bool SeedFile(std::string const& source, std::string const& target)
{
    constexpr unsigned int PrivateFolderMode = 0700;
    if (PathExists(target))
        return true;
    // A FIFO or device in the installation would block the read for ever.
    if (!IsRegularFile(source))
        return false;
    std::FILE* in = std::fopen(source.c_str(), "rb");
    if (!in)
        return false;
    std::string bytes;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), in)) > 0)
        bytes.append(chunk, got);
    bool const read = !std::ferror(in);
    std::fclose(in);
    std::size_t const slash = target.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        MakeDirectories(target.substr(0, slash), PrivateFolderMode);
    return read && WriteFileAtomically(target, bytes.data(), bytes.size(), nullptr);
}

bool ShowFileDialog(EFileDialogKind kind, char const* title, char const* filter, char* file,
                    char const* initialDirectory)
{
    std::vector<std::string> arguments;
    std::string const start = std::string(initialDirectory ? initialDirectory : "") + "/";
    std::string program = FindProgram("zenity");
    if (!program.empty()) {
        arguments = {program, "--file-selection", std::string("--title=") + (title ? title : "")};
        if (kind == EFileDialogKind::Save)
            arguments.push_back("--save");
        if (initialDirectory)
            arguments.push_back("--filename=" + start);
        for (auto const& pattern : FilterPatterns(filter))
            arguments.push_back("--file-filter=" + pattern);
    } else {
        program = FindProgram("kdialog");
        if (program.empty())
            return false;
        arguments = {program, "--title", title ? title : "",
                     kind == EFileDialogKind::Save ? "--getsavefilename" : "--getopenfilename",
                     initialDirectory ? start : std::string(".")};
    }
    std::string output;
    if (!RunForOutput(arguments, &output))
        return false;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    if (output.empty() || output.size() >= 256)
        return false;
    std::memcpy(file, output.c_str(), output.size() + 1);
    return true;
}
} // namespace platform
