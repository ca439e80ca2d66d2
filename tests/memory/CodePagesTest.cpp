#include "platform/os/CodePages.h"
#include "support/ProcessMemory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <dlfcn.h>
#include <string>

namespace
{
std::size_t ResidentFileBytes()
{
    return static_cast<std::size_t>(ProcessStatusKilobytes("self", "RssFile")) * 1024;
}

// The loaded objects' code leaves the resident set, and every library, whether already loaded
// or loaded afterwards, still runs.
TEST(CodePagesTest, CodeLeavesTheResidentSetAndStillRuns)
{
    std::size_t const before = ResidentFileBytes();
    std::size_t const released = platform::ReleaseCodePages();
    ASSERT_GT(released, 0u);
    EXPECT_LT(ResidentFileBytes(), before);

    EXPECT_EQ(std::to_string(42), "42");
    void* const library = dlopen("libm.so.6", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    auto const cube = reinterpret_cast<double (*)(double)>(dlsym(library, "cbrt"));
    ASSERT_NE(cube, nullptr);
    EXPECT_DOUBLE_EQ(cube(27.0), 3.0);
    dlclose(library);
    EXPECT_GT(platform::ReleaseCodePages(), 0u);
}
} // namespace
