#include "platform/DynamicLibrary.h"

#include "platform/Path.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace platform
{
namespace
{
constexpr int ErrorFileNotFound = 2;
constexpr int ErrorBadFormat = 193;

int g_lastError = 0;
std::string g_lastErrorText;
} // namespace

HMODULE LoadDynamicLibrary(char const* path)
{
    std::string const native = ResolvePath(path ? path : "");
    dlerror();
    HMODULE const library = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library)
        return library;
    char const* reason = dlerror();
    g_lastErrorText = reason ? reason : "";
    struct stat status
    {};
    g_lastError = stat(native.c_str(), &status) == 0 ? ErrorBadFormat : ErrorFileNotFound;
    return nullptr;
}

bool FreeDynamicLibrary(HMODULE library)
{
    return library && dlclose(library) == 0;
}

void* FindLibraryExport(HMODULE library, char const* decoratedName)
{
    if (!library || !decoratedName)
        return nullptr;
    return dlsym(library, ExportSymbolName(decoratedName).c_str());
}

std::string ExportSymbolName(char const* decoratedName)
{
    std::string name = decoratedName;
    for (char& c : name) {
        if (c == '@')
            c = '$';
    }
    return name;
}

int GetLastLibraryError()
{
    return g_lastError;
}

std::string GetLastLibraryErrorText()
{
    return g_lastErrorText;
}
} // namespace platform
