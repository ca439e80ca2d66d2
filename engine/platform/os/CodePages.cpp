#include "platform/os/CodePages.h"

#include "platform/os/HeapTuning.h"

#include <cstring>
#include <link.h>

namespace platform
{
namespace
{
// The kernel's own shared object has no file behind it.
bool IsKernelObject(dl_phdr_info const& object)
{
    return object.dlpi_name != nullptr && std::strncmp(object.dlpi_name, "linux-", 6) == 0;
}

// True when the loader writes into the object's code (text relocations).
bool HasPatchedCode(dl_phdr_info const& object)
{
    for (ElfW(Half) i = 0; i < object.dlpi_phnum; ++i) {
        if (object.dlpi_phdr[i].p_type != PT_DYNAMIC) {
            continue;
        }
        auto const* entry =
            reinterpret_cast<ElfW(Dyn) const*>(object.dlpi_addr + object.dlpi_phdr[i].p_vaddr);
        for (; entry->d_tag != DT_NULL; ++entry) {
            if (entry->d_tag == DT_TEXTREL ||
                (entry->d_tag == DT_FLAGS && (entry->d_un.d_val & DF_TEXTREL))) {
                return true;
            }
        }
    }
    return false;
}

int ReleaseObjectCode(dl_phdr_info* object, std::size_t, void* data)
{
    auto* released = static_cast<std::size_t*>(data);
    if (IsKernelObject(*object) || HasPatchedCode(*object)) {
        return 0;
    }
    for (ElfW(Half) i = 0; i < object->dlpi_phnum; ++i) {
        ElfW(Phdr) const& segment = object->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X) && !(segment.p_flags & PF_W)) {
            *released += ReleaseBlockPages(reinterpret_cast<void const*>(object->dlpi_addr + segment.p_vaddr),
                                           segment.p_filesz);
        }
    }
    return 0;
}
} // namespace

std::size_t ReleaseCodePages()
{
    std::size_t released = 0;
    dl_iterate_phdr(ReleaseObjectCode, &released);
    return released;
}
} // namespace platform
