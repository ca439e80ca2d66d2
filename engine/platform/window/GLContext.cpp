#include "platform/window/GLContext.h"

#include "platform/window/WindowBackend.h"

namespace platform
{
std::shared_ptr<GLContext> CreateGLContext(HWND window, GLContextAttributes const& attributes)
{
    if (window == nullptr) {
        return nullptr;
    }
    GLContextAttributes withSamples = attributes;
    withSamples.samples = window->GetSamples();
    return window->CreateGLContext(withSamples);
}
} // namespace platform
