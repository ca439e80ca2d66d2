#include "platform/gl/RendererRequest.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace platform
{
namespace
{
bool IsSet(char const* value)
{
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0 &&
           std::strcmp(value, "false") != 0;
}
} // namespace

bool IsSoftwareRendererRequested()
{
    if (IsSet(std::getenv("LIBGL_ALWAYS_SOFTWARE"))) {
        return true;
    }
    char const* const driver = std::getenv("GALLIUM_DRIVER");
    if (driver == nullptr) {
        return false;
    }
    for (char const* software : {"llvmpipe", "softpipe", "swrast"}) {
        if (std::strcmp(driver, software) == 0) {
            return true;
        }
    }
    return false;
}
} // namespace platform
