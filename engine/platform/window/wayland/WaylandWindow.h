#pragma once

#include "platform/window/WindowBackend.h"
#include "platform/window/wayland/OutputAtlas.h"
#include "platform/window/wayland/WaylandOutputSurfaces.h"

#include <memory>
#include <string>
#include <vector>

// A window of the engine on Wayland. What it is made of depends on its use: the desktop
// (wallpaper) is a background-layer surface on every chosen output, a full-screen window
// (screen saver) an overlay-layer surface on every chosen output (full-screen xdg windows
// where the compositor has no layer shell), any other window one xdg window. The device
// draws on the largest surface. Over several outputs its buffer holds every output's picture
// at that output's own size (OutputAtlas.h), one view each, and every other output shows a
// copy of its own part; without viewports the others show the largest picture cut to their
// shape (FrameMirror.h).
namespace platform::wayland
{
enum class WaylandWindowKind
{
    Desktop,
    FullScreen,
    Windowed,
};

// What drawing holds on a window's surfaces; it hears when they go.
class WindowSurfaceObserver : public SurfaceSetListener
{
public:
    virtual void WindowDestroyed() = 0;
};

class WaylandWindow : public BackendWindow, private SurfaceSetListener
{
public:
    WaylandWindow(WindowBackend& backend, WaylandConnection& connection, WaylandWindowKind kind,
                  char const* title, unsigned int width, unsigned int height,
                  std::vector<std::string> const& outputNames);
    ~WaylandWindow() override;

    WaylandWindowKind GetKind() const { return m_kind; }
    // Configured surfaces, the largest first: the device draws on the first. Fills `surfaces`
    // (emptied first; its storage is reused, so steady frames allocate nothing).
    void GetDrawingSurfaces(std::vector<WaylandSurface*>& surfaces) const;
    bool Owns(wl_surface* surface) const;
    // Buffer pixels per surface unit of one of its surfaces; 0 for a surface not its own.
    double GetScaleOf(wl_surface* surface) const;
    // Counts changes of the surfaces (added, resized, removed) seen by Update.
    unsigned int GetSurfaceGeneration() const { return m_generation; }
    // The part of the drawn buffer that `surface` shows (top left origin); false where it
    // shows the whole picture.
    bool GetSurfaceArea(WaylandSurface const* surface, MonitorRect* area) const;
    void SetSurfaceObserver(WindowSurfaceObserver* observer) { m_observer = observer; }

    // After events were handled: drops closed surfaces, notes new and resized ones. True
    // when the user closed the window (its last xdg window went).
    bool Update();
    // Waits (a few round trips at most) until every surface knows its size.
    void WaitUntilConfigured();

    void SetSystemFocus(bool focused) { m_systemFocus = focused; }
    void SetPointerPosition(bool inside, int x, int y);

    bool IsForeign() const override { return m_kind == WaylandWindowKind::Desktop; }
    unsigned long GetNativeId() const override { return 0; }
    void SetForeignSize(unsigned int, unsigned int) override {}
    void GetDrawableSize(int* width, int* height) const override;
    std::vector<MonitorRect> GetMonitorRects() const override;
    void SetStyle(NativeWindowStyle style, int left, int top, unsigned int width,
                  unsigned int height) override;
    void SetTopmost(bool) override {}
    void SetTitle(char const* title) override;
    void GetClientSize(unsigned int* width, unsigned int* height) const override;
    void GetRectangle(int* left, int* top, int* width, int* height) const override;
    void Show() override {}
    void Raise() override {}
    void Focus() override {}
    void Minimize() override {}
    void Restore() override {}
    bool IsMinimized() const override { return false; }
    bool IsFullScreen() const override { return m_kind != WaylandWindowKind::Windowed; }
    // Shown while any of its drawing surfaces is.
    bool IsShownByCompositor() const;
    bool HasSystemFocus() const override { return m_systemFocus; }
    bool GetCursorPosition(int* x, int* y) const override;
    void SetCursorPosition(int, int) override {}
    bool GetGammaRamp(GammaRamp*) override { return false; }
    bool SetGammaRamp(GammaRamp const&) override { return false; }
    bool CanDrawWithGL() const override { return true; }
    std::shared_ptr<GLContext> CreateGLContext(GLContextAttributes const& attributes) override;

private:
    void CreateSurfaces();
    void DestroySurfaces();
    void SurfaceRemoved(WaylandSurface& surface) override;
    // Lays the drawing surfaces' pictures out in one buffer again (after they changed).
    void ArrangeSurfaces();
    // One line on the error output for a surface that covers an output: its size, scale and
    // the buffer drawn for it.
    static void ReportSize(WaylandSurface const& surface);

    WaylandConnection& m_connection;
    WaylandWindowKind m_kind;
    std::string m_title;
    std::vector<std::string> m_outputNames;
    unsigned int m_width;
    unsigned int m_height;
    std::unique_ptr<WaylandOutputSurfaces> m_outputSurfaces;
    std::unique_ptr<WaylandSurface> m_windowSurface;
    WindowSurfaceObserver* m_observer = nullptr;
    std::vector<WaylandSurface*> m_knownConfigured;
    // Scratch lists of the drawing surfaces, kept for their storage.
    std::vector<WaylandSurface*> m_updatedSurfaces;
    mutable std::vector<WaylandSurface*> m_sizedSurfaces;
    mutable std::vector<WaylandSurface*> m_shownSurfaces;
    unsigned int m_generation = 0;
    bool m_systemFocus = false;
    bool m_pointerInside = false;
    int m_pointerX = 0;
    int m_pointerY = 0;
    bool m_closeReported = false;
    DesktopLayer m_layer = GetDesktopLayer(); // where the wallpaper's surfaces lie
    // Every output's part of the drawn buffer, in the order of m_atlasSurfaces.
    OutputAtlas m_atlas;
    std::vector<WaylandSurface*> m_atlasSurfaces;
    unsigned int m_arrangedGeneration = ~0u;
};
} // namespace platform::wayland
