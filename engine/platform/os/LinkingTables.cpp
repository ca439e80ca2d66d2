#include "platform/os/LinkingTables.h"

#include "platform/os/HeapTuning.h"

#include <algorithm>
#include <cstdint>
#include <link.h>

namespace platform
{
namespace
{
struct SReleaseRequest
{
    std::size_t minimumBytes;
    std::size_t released;
};

struct STableSpan
{
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
};

// The loader rebases the dynamic section's addresses in place on some systems only.
std::uintptr_t ToLoadedAddress(dl_phdr_info const& object, std::uintptr_t address)
{
    return address < object.dlpi_addr ? address + object.dlpi_addr : address;
}

// From the first of the symbol, string and hash tables to the end of the relocation table (the
// order the linker lays them out in); an empty span if the object has no relocation table.
STableSpan FindLinkingTables(dl_phdr_info const& object)
{
    ElfW(Dyn) const* dynamic = nullptr;
    for (ElfW(Half) i = 0; i < object.dlpi_phnum; ++i) {
        if (object.dlpi_phdr[i].p_type == PT_DYNAMIC) {
            dynamic = reinterpret_cast<ElfW(Dyn) const*>(object.dlpi_addr + object.dlpi_phdr[i].p_vaddr);
        }
    }
    if (dynamic == nullptr) {
        return {};
    }
    std::uintptr_t relocations = 0;
    std::size_t relocationBytes = 0;
    std::uintptr_t first = 0;
    for (ElfW(Dyn) const* entry = dynamic; entry->d_tag != DT_NULL; ++entry) {
        switch (entry->d_tag) {
        case DT_RELA:
            relocations = ToLoadedAddress(object, entry->d_un.d_ptr);
            break;
        case DT_RELASZ:
            relocationBytes = entry->d_un.d_val;
            break;
        case DT_SYMTAB:
        case DT_STRTAB:
        case DT_HASH:
        case DT_GNU_HASH: {
            std::uintptr_t const table = ToLoadedAddress(object, entry->d_un.d_ptr);
            first = first == 0 ? table : std::min(first, table);
            break;
        }
        default:
            break;
        }
    }
    if (relocations == 0 || relocationBytes == 0) {
        return {};
    }
    STableSpan span{relocations, relocations + relocationBytes};
    if (first != 0 && first < span.start) {
        span.start = first;
    }
    return span;
}

// True when the span lies in one loaded segment that is never written (its pages are the
// file's own).
bool LiesInUnwrittenSegment(dl_phdr_info const& object, STableSpan const& span)
{
    for (ElfW(Half) i = 0; i < object.dlpi_phnum; ++i) {
        ElfW(Phdr) const& segment = object.dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) {
            continue;
        }
        std::uintptr_t const first = object.dlpi_addr + segment.p_vaddr;
        std::uintptr_t const last = first + segment.p_filesz;
        if (span.start >= first && span.end <= last) {
            return (segment.p_flags & PF_W) == 0;
        }
    }
    return false;
}

int ReleaseObjectTables(dl_phdr_info* object, std::size_t, void* data)
{
    auto* request = static_cast<SReleaseRequest*>(data);
    STableSpan const span = FindLinkingTables(*object);
    if (span.end == 0 || span.end - span.start < request->minimumBytes ||
        !LiesInUnwrittenSegment(*object, span)) {
        return 0;
    }
    request->released += ReleaseBlockPages(reinterpret_cast<void const*>(span.start), span.end - span.start);
    return 0;
}
} // namespace

std::size_t ReleaseLinkingTables(std::size_t minimumBytes)
{
    SReleaseRequest request{minimumBytes, 0};
    dl_iterate_phdr(ReleaseObjectTables, &request);
    return request.released;
}
} // namespace platform
