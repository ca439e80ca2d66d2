#pragma once

#include <string>

// The libraries that passed a trial load, one line each, named by their file's identity
// (device, inode, size, change time), so a start-up tries only libraries that are new or were
// written since. A record that cannot be read or written only means the trial runs again.
namespace platform
{
class LibraryTrialRecord
{
public:
    explicit LibraryTrialRecord(std::string recordPath) : m_recordPath(std::move(recordPath)) {}

    bool HasPassed(std::string const& libraryPath) const;
    void RecordPassed(std::string const& libraryPath) const;

    // The most libraries kept; the oldest lines go first.
    static constexpr std::size_t MaximumEntries = 64;

private:
    std::string m_recordPath;
};
} // namespace platform
