#include "platform/RelocationTables.h"

#include <cstdint>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

namespace platform
{
namespace
{
struct SReleaseRequest
{
    std::size_t minimumBytes;
    std::uintptr_t pageSize;
    std::size_t released;
};

// The relocation table's address and size from the object's dynamic section; false if it has none.
bool FindRelocationTable(dl_phdr_info const& object, std::uintptr_t* start, std::size_t* size)
{
    ElfW(Dyn) const* dynamic = nullptr;
    for (ElfW(Half) i = 0; i < object.dlpi_phnum; ++i) {
        if (object.dlpi_phdr[i].p_type == PT_DYNAMIC) {
            dynamic = reinterpret_cast<ElfW(Dyn) const*>(object.dlpi_addr + object.dlpi_phdr[i].p_vaddr);
        }
    }
    if (dynamic == nullptr) {
        return false;
    }
    std::uintptr_t table = 0;
    std::size_t bytes = 0;
    for (ElfW(Dyn) const* entry = dynamic; entry->d_tag != DT_NULL; ++entry) {
        if (entry->d_tag == DT_RELA) {
            table = entry->d_un.d_ptr;
        } else if (entry->d_tag == DT_RELASZ) {
            bytes = entry->d_un.d_val;
        }
    }
    if (table == 0 || bytes == 0) {
        return false;
    }
    // The loader rebases the dynamic section's addresses in place on some systems only.
    if (table < object.dlpi_addr) {
        table += object.dlpi_addr;
    }
    *start = table;
    *size = bytes;
    return true;
}

// True when [start, end) lies in one loaded segment that is never written (its pages are the
// file's own).
bool LiesInUnwrittenSegment(dl_phdr_info const& object, std::uintptr_t start, std::uintptr_t end)
{
    for (ElfW(Half) i = 0; i < object.dlpi_phnum; ++i) {
        ElfW(Phdr) const& segment = object.dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) {
            continue;
        }
        std::uintptr_t const first = object.dlpi_addr + segment.p_vaddr;
        std::uintptr_t const last = first + segment.p_filesz;
        if (start >= first && end <= last) {
            return (segment.p_flags & PF_W) == 0;
        }
    }
    return false;
}

int ReleaseObjectTable(dl_phdr_info* object, std::size_t, void* data)
{
    auto* request = static_cast<SReleaseRequest*>(data);
    std::uintptr_t start = 0;
    std::size_t size = 0;
    if (!FindRelocationTable(*object, &start, &size) || size < request->minimumBytes ||
        !LiesInUnwrittenSegment(*object, start, start + size)) {
        return 0;
    }
    // Whole pages only: the neighbouring data at either end may still be in use.
    std::uintptr_t const first = (start + request->pageSize - 1) / request->pageSize * request->pageSize;
    std::uintptr_t const end = (start + size) / request->pageSize * request->pageSize;
    if (end > first && madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED) == 0) {
        request->released += end - first;
    }
    return 0;
}
} // namespace

std::size_t ReleaseRelocationTables(std::size_t minimumBytes)
{
    SReleaseRequest request{minimumBytes, static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE)), 0};
    dl_iterate_phdr(ReleaseObjectTable, &request);
    return request.released;
}
} // namespace platform
