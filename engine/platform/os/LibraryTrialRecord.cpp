#include "platform/os/LibraryTrialRecord.h"

#include "platform/os/FileSystem.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace platform
{
namespace
{
constexpr unsigned int PrivateFolderMode = 0700;
// A record longer than this is not ours; it is read as empty.
constexpr std::streamoff MaximumRecordBytes = 64 * 1024;

// The file's identity as one line's leading fields; "" when it cannot be read.
std::string DescribeIdentity(std::string const& libraryPath)
{
    struct stat info;
    if (::stat(libraryPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return "";
    std::ostringstream identity;
    identity << info.st_dev << ' ' << info.st_ino << ' ' << info.st_size << ' ' << info.st_ctim.tv_sec << ' '
             << info.st_ctim.tv_nsec;
    return identity.str();
}

std::vector<std::string> ReadLines(std::string const& recordPath)
{
    std::vector<std::string> lines;
    if (!IsRegularFile(recordPath))
        return lines;
    std::ifstream stream(recordPath, std::ios::binary | std::ios::ate);
    if (!stream || stream.tellg() > MaximumRecordBytes)
        return lines;
    stream.seekg(0);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::string PathOfLine(std::string const& line)
{
    std::size_t const tab = line.find('\t');
    return tab == std::string::npos ? "" : line.substr(tab + 1);
}
} // namespace

bool LibraryTrialRecord::HasPassed(std::string const& libraryPath) const
{
    std::string const identity = DescribeIdentity(libraryPath);
    if (identity.empty() || m_recordPath.empty())
        return false;
    std::string const wanted = identity + '\t' + libraryPath;
    for (std::string const& line : ReadLines(m_recordPath)) {
        if (line == wanted)
            return true;
    }
    return false;
}

void LibraryTrialRecord::RecordPassed(std::string const& libraryPath) const
{
    std::string const identity = DescribeIdentity(libraryPath);
    if (identity.empty() || m_recordPath.empty() || libraryPath.find('\n') != std::string::npos)
        return;
    std::vector<std::string> kept;
    for (std::string const& line : ReadLines(m_recordPath)) {
        if (PathOfLine(line) != libraryPath)
            kept.push_back(line);
    }
    kept.push_back(identity + '\t' + libraryPath);
    std::size_t const first = kept.size() > MaximumEntries ? kept.size() - MaximumEntries : 0;
    std::string content;
    for (std::size_t i = first; i < kept.size(); ++i)
        content += kept[i] + '\n';
    std::size_t const slash = m_recordPath.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        MakeDirectories(m_recordPath.substr(0, slash), PrivateFolderMode);
    WriteFileAtomically(m_recordPath, content.data(), content.size(), nullptr);
}
} // namespace platform
