#include "platform/window/GLContext.h"

#include "platform/window/WindowBackend.h"

namespace platform
{
std::shared_ptr<GLContext> CreateGLContext(HWND window, GLContextAttributes const& attributes)
{
    return window != nullptr ? window->CreateGLContext(attributes) : nullptr;
}
} // namespace platform
