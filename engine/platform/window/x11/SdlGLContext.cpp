#include "platform/window/x11/SdlGLContext.h"

#include "platform/window/NativeWindow.h"
#include "platform/window/x11/SdlWindowAccess.h"

#include <SDL.h>

namespace platform
{
namespace
{
class SdlGLContext : public GLContext
{
public:
    SdlGLContext(HWND window, SDL_Window* sdlWindow, SDL_GLContext context)
        : m_window(window), m_sdlWindow(sdlWindow), m_context(context)
    {}

    ~SdlGLContext() override { Release(); }

    bool MakeCurrent() override
    {
        if (m_context == nullptr) {
            return false;
        }
        if (SDL_GL_GetCurrentContext() != m_context) {
            return SDL_GL_MakeCurrent(m_sdlWindow, m_context) == 0;
        }
        return true;
    }

    void SwapBuffers() override
    {
        SDL_GL_SwapWindow(m_sdlWindow);
        NoteSdlWindowPresented(m_window);
    }

    void SetSwapInterval(int interval) override { SDL_GL_SetSwapInterval(interval); }

    void GetDrawableSize(int* width, int* height) const override
    {
        platform::GetDrawableSize(m_window, width, height);
    }

    HWND GetWindow() const override { return m_window; }

    void Release() override
    {
        if (m_context == nullptr) {
            return;
        }
        if (SDL_GL_GetCurrentContext() == m_context) {
            SDL_GL_MakeCurrent(m_sdlWindow, nullptr);
        }
        SDL_GL_DeleteContext(m_context);
        m_context = nullptr;
    }

    bool IsReleased() const override { return m_context == nullptr; }

private:
    HWND m_window;
    SDL_Window* m_sdlWindow;
    SDL_GLContext m_context;
};
} // namespace

void SetSdlMultisampling(unsigned int samples)
{
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, static_cast<int>(samples));
}

std::shared_ptr<GLContext> CreateSdlGLContext(HWND window, SDL_Window* sdlWindow,
                                              GLContextAttributes const& attributes)
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, attributes.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, attributes.stencilBits);
    // The context's configuration matches the window's visual.
    SetSdlMultisampling(attributes.samples);
    SDL_GLContext const context = SDL_GL_CreateContext(sdlWindow);
    SetSdlMultisampling(0);
    if (context == nullptr) {
        return nullptr;
    }
    return std::make_shared<SdlGLContext>(window, sdlWindow, context);
}
} // namespace platform
