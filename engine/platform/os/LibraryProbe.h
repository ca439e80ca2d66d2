#pragma once

#include <string>
#include <vector>

// Trying a library in a short-lived helper process before loading it in this one. A library
// whose headers lie can crash the system's loader, and its own initialisers run at load time;
// either takes down only the helper, which is told the library's path and the symbols to look
// up, loads it, looks them up and ends with one of the codes below.
namespace platform
{
constexpr int ProbeLoaded = 0;
constexpr int ProbeUsage = 2;
constexpr int ProbeNotLoadable = 3;

struct SLibraryProbe
{
    std::string program;              // the helper
    std::vector<std::string> symbols; // stored names, as FindLibraryExport looks them up
    int timeoutMilliseconds = 5000;
    // Where the libraries that passed are recorded (see LibraryTrialRecord); "" tries every time.
    std::string recordPath;
};

struct SLibraryProbeResult
{
    bool ran = false;   // false: the helper could not be started
    bool safe = false;  // the helper loaded it, looked the symbols up and ended in time
    std::string reason; // why it is not safe, or why the helper did not run
};

SLibraryProbeResult ProbeLibrary(SLibraryProbe const& probe, std::string const& nativePath);
} // namespace platform
