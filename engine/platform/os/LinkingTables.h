#pragma once

#include <cstddef>

namespace platform
{
// The dynamic loader reads a library's relocation table once, while loading it, and its symbol,
// string and hash tables while resolving references (afterwards only a few pages, when another
// library is resolved against it); the pages stay resident in the process all the same (the GL
// driver's compiler library carries about 14 MiB of them). Drops those pages of every loaded
// library whose tables span at least minimumBytes. They are file pages of segments that are
// never written, so nothing is lost: a later read loads them from the file again. Returns the
// bytes dropped.
std::size_t ReleaseLinkingTables(std::size_t minimumBytes);
} // namespace platform
