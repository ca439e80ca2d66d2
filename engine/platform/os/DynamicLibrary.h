#pragma once

#include "platform/os/LibraryProbe.h"

#include <string>

// Libraries loaded at run time (the plug-ins).
//
// Exported functions are looked up by their decorated names ("?CreateObject@@YAPAVCLagoonix@@XZ").
// ELF linkers read '@' in a symbol name as a version separator, so the libraries carry these
// names with every '@' written as '$' (ExportSymbolName); the lookup applies the same rule.
namespace platform
{
using HMODULE = void*;

// Null on failure; GetLastLibraryError and GetLastLibraryErrorText then tell why. With a probe,
// a library whose trial load in the probe's process crashes or hangs is refused unloaded.
HMODULE LoadDynamicLibrary(char const* path, SLibraryProbe const* probe = nullptr);
bool FreeDynamicLibrary(HMODULE library);
// The address of the export with this decorated name; null when the library has none.
void* FindLibraryExport(HMODULE library, char const* decoratedName);

// The symbol a decorated name is stored under in a library.
std::string ExportSymbolName(char const* decoratedName);

// System error code of the last failed load: 2 when the file does not exist, 193 when it
// exists but cannot be loaded.
int GetLastLibraryError();
// The loader's own explanation of the last failure ("" when none).
std::string GetLastLibraryErrorText();
} // namespace platform
