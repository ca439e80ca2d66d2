#pragma once

#include <string>

// Engine paths use backslashes and may mix in native parts ("/opt/x\\Data\\a.tga").
// These helpers turn them into native paths that exist on disk.
namespace platform
{
// True when the second character is ':' or the path starts with '/' (or '\\' as a native root).
bool IsAbsolutePath(char const* path);

// Backslashes become '/', doubled separators collapse to one.
std::string ToNativePath(std::string const& enginePath);

// Native path with each component matched without regard to case against what is on
// disk. Components that do not exist are kept as given, so the result can name a new file.
std::string ResolvePath(std::string const& enginePath);

// Directory of the running executable, native, without a trailing separator.
std::string GetExecutableDirectory();

// Full native path of the running executable.
std::string GetExecutablePath();
} // namespace platform
