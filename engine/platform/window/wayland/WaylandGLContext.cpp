#include "platform/window/wayland/WaylandGLContext.h"

#include "platform/window/wayland/EglContext.h"
#include "platform/window/wayland/FrameMirror.h"
#include "platform/window/wayland/WaylandConnection.h"
#include "platform/window/wayland/WaylandWindow.h"

#include <map>

namespace platform::wayland
{
namespace
{
class WaylandGLContext : public GLContext, private WindowSurfaceObserver
{
public:
    WaylandGLContext(WaylandWindow& window, std::unique_ptr<EglContext> egl)
        : m_window(&window), m_egl(std::move(egl)), m_mirror(std::make_unique<FrameMirror>(*m_egl))
    {
        m_window->SetSurfaceObserver(this);
    }

    ~WaylandGLContext() override { Release(); }

    bool MakeCurrent() override
    {
        if (!m_egl) {
            return false;
        }
        if (m_window && m_syncedGeneration != m_window->GetSurfaceGeneration()) {
            Synchronize();
        }
        return m_egl->MakeCurrent(m_primary);
    }

    void SwapBuffers() override
    {
        if (!MakeCurrent() || m_primary == EGL_NO_SURFACE) {
            return;
        }
        int width = 0;
        int height = 0;
        GetDrawableSize(&width, &height);
        m_window->GetDrawingSurfaces(m_drawingSurfaces);
        for (WaylandSurface* surface : m_drawingSurfaces) {
            surface->RequestFrameEvent();
        }
        m_targets.clear();
        for (std::size_t i = 1; i < m_drawingSurfaces.size(); ++i) {
            WaylandSurface* surface = m_drawingSurfaces[i];
            auto found = m_surfaces.find(surface);
            if (found != m_surfaces.end()) {
                MonitorRect area;
                PixelRectangle part;
                if (m_window->GetSurfaceArea(surface, &area)) {
                    part = {area.x, area.y, area.width, area.height};
                }
                m_targets.push_back({found->second, surface->PixelWidth(), surface->PixelHeight(), part});
            }
        }
        m_mirror->Present(m_primary, width, height, m_targets);
    }

    // Swaps never wait for the compositor: a wallpaper under full-screen windows gets no
    // frame events, and the program paces its frames itself.
    void SetSwapInterval(int) override {}

    void GetDrawableSize(int* width, int* height) const override
    {
        *width = 0;
        *height = 0;
        if (m_window) {
            m_window->GetDrawableSize(width, height);
        }
    }

    HWND GetWindow() const override { return m_window; }

    void Release() override
    {
        if (!m_egl) {
            return;
        }
        // The copy's framebuffer goes while the context is still current somewhere.
        m_egl->MakeCurrent(m_primary);
        m_mirror.reset();
        for (auto& [surface, eglSurface] : m_surfaces) {
            m_egl->DestroySurface(eglSurface);
        }
        m_surfaces.clear();
        m_primary = EGL_NO_SURFACE;
        m_egl.reset();
        if (m_window) {
            m_window->SetSurfaceObserver(nullptr);
        }
    }

    bool IsReleased() const override { return !m_egl; }

private:
    void Synchronize()
    {
        m_syncedGeneration = m_window->GetSurfaceGeneration();
        m_primary = EGL_NO_SURFACE;
        m_window->GetDrawingSurfaces(m_drawingSurfaces);
        for (WaylandSurface* surface : m_drawingSurfaces) {
            auto found = m_surfaces.find(surface);
            if (found == m_surfaces.end()) {
                EGLSurface made = m_egl->CreateSurface(surface->EglWindow());
                if (made == EGL_NO_SURFACE) {
                    continue;
                }
                found = m_surfaces.emplace(surface, made).first;
            }
            if (m_primary == EGL_NO_SURFACE) {
                m_primary = found->second;
            }
        }
    }

    void SurfaceRemoved(WaylandSurface& surface) override
    {
        auto found = m_surfaces.find(&surface);
        if (found == m_surfaces.end()) {
            return;
        }
        if (found->second == m_primary) {
            m_primary = EGL_NO_SURFACE;
        }
        if (m_egl) {
            m_egl->DestroySurface(found->second);
        }
        m_surfaces.erase(found);
        m_syncedGeneration = ~0u;
    }

    void WindowDestroyed() override
    {
        m_window = nullptr;
        m_primary = EGL_NO_SURFACE;
    }

    WaylandWindow* m_window;
    std::unique_ptr<EglContext> m_egl;
    std::unique_ptr<FrameMirror> m_mirror;
    std::map<WaylandSurface*, EGLSurface> m_surfaces;
    EGLSurface m_primary = EGL_NO_SURFACE;
    // Scratch lists kept for their storage: a steady frame allocates nothing.
    std::vector<WaylandSurface*> m_drawingSurfaces;
    std::vector<FrameMirror::Target> m_targets;
    unsigned int m_syncedGeneration = ~0u;
};
} // namespace

std::shared_ptr<GLContext> CreateWaylandGLContext(WaylandWindow& window, WaylandConnection& connection,
                                                  GLContextAttributes const& attributes)
{
    auto egl = EglContext::Create(connection.Display(), attributes.depthBits, attributes.stencilBits,
                                  static_cast<int>(attributes.samples));
    if (!egl) {
        return nullptr;
    }
    return std::make_shared<WaylandGLContext>(window, std::move(egl));
}
} // namespace platform::wayland
