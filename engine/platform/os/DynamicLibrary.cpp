#include "platform/os/DynamicLibrary.h"

#include "platform/os/FileSystem.h"
#include "platform/os/LibraryTrialRecord.h"
#include "platform/os/Path.h"

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

// Tells why the section table of a library is not whole: "" when the table and every section
// with contents lie inside the file. A file cut after its loaded segments still loads and runs,
// but anything that reads its sections later (symbol lookup for a stack trace, a debugger) reads
// past its end; such a file is damaged and refused like any other cut one.
std::string CheckElfSections(std::FILE* file, ElfW(Ehdr) const& header, unsigned long long size)
{
    if (header.e_shoff == 0)
        return "";
    if (header.e_shentsize != sizeof(ElfW(Shdr)) || header.e_shoff > size)
        return "section headers beyond the end of the file";
    ElfW(Shdr) first{};
    if (std::fseek(file, static_cast<long>(header.e_shoff), SEEK_SET) != 0 ||
        std::fread(&first, sizeof first, 1, file) != 1)
        return "section headers beyond the end of the file";
    // A count too large for the header's field is kept in the first section's size.
    unsigned long long const count = header.e_shnum != 0 ? header.e_shnum : first.sh_size;
    if (count > (size - header.e_shoff) / sizeof(ElfW(Shdr)))
        return "section headers beyond the end of the file";
    std::vector<ElfW(Shdr)> sections(static_cast<std::size_t>(count));
    if (std::fseek(file, static_cast<long>(header.e_shoff), SEEK_SET) != 0 ||
        std::fread(sections.data(), sizeof(ElfW(Shdr)), sections.size(), file) != sections.size())
        return "section headers beyond the end of the file";
    for (ElfW(Shdr) const& section : sections) {
        if (section.sh_type != SHT_NOBITS &&
            (section.sh_offset > size || section.sh_size > size - section.sh_offset))
            return "section beyond the end of the file";
    }
    return "";
}

// The loader maps segments straight from the file: one that reaches past the end of a cut
// file faults when touched. Tells why the file cannot be loaded; "" when its header, every
// program header and every section are of this machine's kind and lie inside the file.
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
    else
        fault = CheckElfSections(file, header, size);
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

HMODULE LoadDynamicLibrary(char const* path, SLibraryProbe const* probe)
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
    if (probe) {
        LibraryTrialRecord const record(probe->recordPath);
        if (!record.HasPassed(native)) {
            SLibraryProbeResult const trial = ProbeLibrary(*probe, native);
            if (trial.ran && !trial.safe) {
                g_lastError = ErrorBadFormat;
                g_lastErrorText = native + ": " + trial.reason;
                return nullptr;
            }
            if (trial.safe)
                record.RecordPassed(native);
        }
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
