#include "platform/os/LinkingTables.h"
#include "support/ProcessMemory.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>

namespace
{
std::size_t ResidentFileBytes()
{
    return static_cast<std::size_t>(ProcessStatusKilobytes("self", "RssFile")) * 1024;
}

// The loaded libraries' linking tables leave the resident set, and loading, resolving and
// calling into libraries afterwards still works.
TEST(LinkingTablesTest, TablesLeaveTheResidentSetAndLibrariesKeepWorking)
{
    std::size_t const before = ResidentFileBytes();
    std::size_t const released = platform::ReleaseLinkingTables(0);
    ASSERT_GT(released, 0u);
    EXPECT_LE(ResidentFileBytes() + released / 2, before);

    void* const library = dlopen("libm.so.6", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    auto const root = reinterpret_cast<double (*)(double)>(dlsym(library, "sqrt"));
    ASSERT_NE(root, nullptr);
    EXPECT_DOUBLE_EQ(root(16.0), 4.0);
    EXPECT_EQ(std::to_string(42), "42");
    dlclose(library);
}
} // namespace
