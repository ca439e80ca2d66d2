#pragma once

#include <cstddef>

namespace platform
{
// The dynamic loader reads a library's relocation table once, while loading it, and never
// again; the table's pages stay resident in the process all the same (the GL driver's
// compiler library carries about 9 MiB of it). Drops those pages of every loaded library whose
// table is at least minimumBytes long; they are read-only file pages, so nothing is lost (a
// later read would load them again). Returns the bytes dropped.
std::size_t ReleaseRelocationTables(std::size_t minimumBytes);
} // namespace platform
