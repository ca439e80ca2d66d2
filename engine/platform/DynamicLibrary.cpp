#include "platform/DynamicLibrary.h"

#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace platform
{
namespace
{
constexpr int ErrorFileNotFound = 2;
constexpr int ErrorBadFormat = 193;

int g_lastError = 0;
std::string g_lastErrorText;

// The loader maps segments straight from the file: one that reaches past the end of a cut
// file faults when touched. Tells why the file cannot be loaded; "" when its header and
// every program header are of this machine's kind and lie inside the file.
std::string CheckElfFile(std::string const& path)
{
    std::FILE* file = OpenRegularFile(path);
    if (!file)
        return "not a regular file";
    struct stat status
    {};
    ElfW(Ehdr) header{};
    bool const headerRead =
        fstat(fileno(file), &status) == 0 && std::fread(&header, sizeof header, 1, file) == 1;
    unsigned long long const size = static_cast<unsigned long long>(status.st_size);
    std::string fault;
    constexpr unsigned char NativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
    unsigned long long const tableEnd = static_cast<unsigned long long>(header.e_phoff) +
                                        static_cast<unsigned long long>(header.e_phnum) * sizeof(ElfW(Phdr));
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    if (!headerRead || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        fault = "not an ELF file";
    else if (header.e_ident[EI_CLASS] != NativeClass || header.e_type != ET_DYN ||
             header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phnum == 0)
        fault = "not a shared library of this machine";
    else if (header.e_phoff > size || tableEnd > size ||
             std::fseek(file, static_cast<long>(header.e_phoff), SEEK_SET) != 0 ||
             std::fread(segments.data(), sizeof(ElfW(Phdr)), segments.size(), file) != segments.size())
        fault = "program headers beyond the end of the file";
    std::fclose(file);
    if (!fault.empty())
        return fault;
    for (ElfW(Phdr) const& segment : segments) {
        if (segment.p_offset > size || segment.p_filesz > size - segment.p_offset)
            return "segment beyond the end of the file";
        if (segment.p_type == PT_LOAD && segment.p_filesz > segment.p_memsz)
            return "segment larger in the file than in memory";
    }
    return "";
}
} // namespace

HMODULE LoadDynamicLibrary(char const* path)
{
    std::string const native = ResolvePath(path ? path : "");
    struct stat status
    {};
    if (stat(native.c_str(), &status) != 0) {
        g_lastError = ErrorFileNotFound;
        g_lastErrorText = native + ": no such file";
        return nullptr;
    }
    if (std::string const fault = CheckElfFile(native); !fault.empty()) {
        g_lastError = ErrorBadFormat;
        g_lastErrorText = native + ": " + fault;
        return nullptr;
    }
    dlerror();
    HMODULE const library = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library)
        return library;
    char const* reason = dlerror();
    g_lastErrorText = reason ? reason : "";
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
