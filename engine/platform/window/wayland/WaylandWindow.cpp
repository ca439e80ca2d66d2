#include "platform/window/wayland/WaylandWindow.h"

#include "platform/window/WindowEvents.h"
#include "platform/window/wayland/WaylandGLContext.h"

#include <algorithm>
#include <cstdio>

namespace platform::wayland
{
namespace
{
// Round trips to wait for the first configure events; a compositor answers in one.
constexpr int ConfigureRoundTrips = 4;
} // namespace

WaylandWindow::WaylandWindow(WindowBackend& backend, WaylandConnection& connection, WaylandWindowKind kind,
                             char const* title, unsigned int width, unsigned int height,
                             std::vector<std::string> const& outputNames)
    : BackendWindow(backend), m_connection(connection), m_kind(kind), m_title(title ? title : ""),
      m_outputNames(outputNames), m_width(width), m_height(height)
{
    CreateSurfaces();
}

WaylandWindow::~WaylandWindow()
{
    DestroySurfaces();
    if (m_observer) {
        m_observer->WindowDestroyed();
    }
}

void WaylandWindow::CreateSurfaces()
{
    m_layer = GetDesktopLayer();
    if (m_kind == WaylandWindowKind::Windowed) {
        m_windowSurface = std::make_unique<WaylandSurface>(m_connection, SurfaceRole::Window, nullptr,
                                                           m_title.c_str(), int(m_width), int(m_height));
        return;
    }
    SurfaceRole role = m_kind == WaylandWindowKind::Desktop ? SurfaceRole::Background
                       : m_connection.HasLayerShell()       ? SurfaceRole::Overlay
                                                            : SurfaceRole::FullScreenWindow;
    m_outputSurfaces = std::make_unique<WaylandOutputSurfaces>(m_connection, role, m_outputNames);
    m_outputSurfaces->SetListener(this);
}

void WaylandWindow::DestroySurfaces()
{
    m_outputSurfaces.reset();
    if (m_windowSurface) {
        SurfaceRemoved(*m_windowSurface);
        m_windowSurface.reset();
    }
    m_knownConfigured.clear();
    m_atlas = OutputAtlas{};
    m_atlasSurfaces.clear();
    ++m_generation;
}

void WaylandWindow::SurfaceRemoved(WaylandSurface& surface)
{
    if (m_observer) {
        m_observer->SurfaceRemoved(surface);
    }
    std::erase(m_knownConfigured, &surface);
    if (std::find(m_atlasSurfaces.begin(), m_atlasSurfaces.end(), &surface) != m_atlasSurfaces.end()) {
        m_atlas = OutputAtlas{};
        m_atlasSurfaces.clear();
    }
    ++m_generation;
}

void WaylandWindow::GetDrawingSurfaces(std::vector<WaylandSurface*>& surfaces) const
{
    surfaces.clear();
    if (m_outputSurfaces) {
        m_outputSurfaces->ConfiguredBySize(surfaces);
    } else if (m_windowSurface && m_windowSurface->IsConfigured() && !m_windowSurface->IsClosed()) {
        surfaces.push_back(m_windowSurface.get());
    }
}

bool WaylandWindow::IsShownByCompositor() const
{
    GetDrawingSurfaces(m_shownSurfaces);
    return m_shownSurfaces.empty() ||
           std::any_of(m_shownSurfaces.begin(), m_shownSurfaces.end(),
                       [](WaylandSurface const* surface) { return surface->IsShown(); });
}

bool WaylandWindow::Owns(wl_surface* surface) const
{
    return GetScaleOf(surface) > 0;
}

double WaylandWindow::GetScaleOf(wl_surface* surface) const
{
    std::vector<WaylandSurface*> all =
        m_outputSurfaces ? m_outputSurfaces->Surfaces() : std::vector<WaylandSurface*>{m_windowSurface.get()};
    for (WaylandSurface* candidate : all) {
        if (candidate && candidate->Handle() == surface) {
            return candidate->Scale();
        }
    }
    return 0;
}

bool WaylandWindow::Update()
{
    bool closedByUser = false;
    if (m_outputSurfaces) {
        bool hadSurfaces = !m_outputSurfaces->Surfaces().empty();
        m_outputSurfaces->RemoveClosedSurfaces();
        // Full-screen xdg windows close when the user closes them; layer surfaces only when
        // their output goes, and the window stays for outputs to come.
        closedByUser = hadSurfaces && m_outputSurfaces->Surfaces().empty() &&
                       m_kind == WaylandWindowKind::FullScreen && !m_connection.HasLayerShell();
    } else if (m_windowSurface && m_windowSurface->IsClosed()) {
        closedByUser = true;
    }
    if (m_outputSurfaces && m_layer != GetDesktopLayer()) {
        m_layer = GetDesktopLayer();
        for (WaylandSurface* surface : m_outputSurfaces->Surfaces()) {
            surface->MoveToLayer(m_layer);
        }
    }
    GetDrawingSurfaces(m_updatedSurfaces);
    for (WaylandSurface* surface : m_updatedSurfaces) {
        bool known =
            std::find(m_knownConfigured.begin(), m_knownConfigured.end(), surface) != m_knownConfigured.end();
        if (!known) {
            m_knownConfigured.push_back(surface);
        }
        if (surface->TakeResize() || !known) {
            ++m_generation;
        }
    }
    if (m_arrangedGeneration != m_generation) {
        ArrangeSurfaces();
    }
    if (closedByUser && !m_closeReported) {
        m_closeReported = true;
        return true;
    }
    return false;
}

void WaylandWindow::ArrangeSurfaces()
{
    m_arrangedGeneration = m_generation;
    OnMonitorsChanged(this);
    std::vector<WaylandSurface*> surfaces;
    GetDrawingSurfaces(surfaces);
    std::vector<AtlasOutput> outputs;
    for (WaylandSurface* surface : surfaces) {
        WaylandOutput const* output = surface->Output();
        outputs.push_back({output ? output->X() : 0, output ? output->Y() : 0, surface->LogicalWidth(),
                           surface->PixelWidth(), surface->PixelHeight()});
    }
    OutputAtlas atlas = surfaces.size() > 1 ? ArrangeOutputAtlas(outputs) : OutputAtlas{};
    for (std::size_t i = 1; i < surfaces.size(); ++i) {
        surfaces[i]->ShowWholeBuffer();
    }
    if (!surfaces.empty() &&
        (atlas.IsEmpty() ||
         !surfaces.front()->ShowBufferPart(atlas.width, atlas.height, atlas.areas[0].x, atlas.areas[0].y))) {
        surfaces.front()->ShowWholeBuffer();
        atlas = OutputAtlas{};
    }
    for (WaylandSurface const* surface : surfaces) {
        ReportSize(*surface);
    }
    m_atlas = std::move(atlas);
    m_atlasSurfaces = m_atlas.IsEmpty() ? std::vector<WaylandSurface*>{} : std::move(surfaces);
}

// Surfaces that cover an output only: a window's size follows the user's every drag.
void WaylandWindow::ReportSize(WaylandSurface const& surface)
{
    WaylandOutput const* output = surface.Output();
    if (!output) {
        return;
    }
    std::fprintf(stderr, "coralume: Wayland output %s is %dx%d at scale %g: drawn at %dx%d, shown %s\n",
                 output->Name().c_str(), surface.LogicalWidth(), surface.LogicalHeight(), surface.Scale(),
                 surface.PixelWidth(), surface.PixelHeight(),
                 surface.IsShownThroughViewport() ? "through a viewport" : "by buffer scale");
}

bool WaylandWindow::GetSurfaceArea(WaylandSurface const* surface, MonitorRect* area) const
{
    for (std::size_t i = 0; i < m_atlasSurfaces.size(); ++i) {
        if (m_atlasSurfaces[i] == surface) {
            *area = m_atlas.areas[i];
            return true;
        }
    }
    return false;
}

std::vector<MonitorRect> WaylandWindow::GetMonitorRects() const
{
    return m_atlas.IsEmpty() ? BackendWindow::GetMonitorRects() : m_atlas.areas;
}

void WaylandWindow::WaitUntilConfigured()
{
    for (int trip = 0; trip < ConfigureRoundTrips; ++trip) {
        std::vector<WaylandSurface*> surfaces = m_outputSurfaces
                                                    ? m_outputSurfaces->Surfaces()
                                                    : std::vector<WaylandSurface*>{m_windowSurface.get()};
        bool configured = std::all_of(surfaces.begin(), surfaces.end(),
                                      [](WaylandSurface const* surface) { return surface->IsConfigured(); });
        if (configured || !m_connection.Roundtrip()) {
            break;
        }
    }
    Update();
}

void WaylandWindow::SetPointerPosition(bool inside, int x, int y)
{
    m_pointerInside = inside;
    m_pointerX = x;
    m_pointerY = y;
}

void WaylandWindow::GetDrawableSize(int* width, int* height) const
{
    if (!m_atlas.IsEmpty()) {
        *width = m_atlas.width;
        *height = m_atlas.height;
        return;
    }
    GetDrawingSurfaces(m_sizedSurfaces);
    if (m_sizedSurfaces.empty()) {
        *width = int(m_width);
        *height = int(m_height);
        return;
    }
    *width = m_sizedSurfaces.front()->PixelWidth();
    *height = m_sizedSurfaces.front()->PixelHeight();
}

void WaylandWindow::GetClientSize(unsigned int* width, unsigned int* height) const
{
    int w = 0;
    int h = 0;
    GetDrawableSize(&w, &h);
    *width = unsigned(std::max(w, 0));
    *height = unsigned(std::max(h, 0));
}

void WaylandWindow::GetRectangle(int* left, int* top, int* width, int* height) const
{
    *left = 0;
    *top = 0;
    GetDrawableSize(width, height);
}

void WaylandWindow::SetStyle(NativeWindowStyle style, int, int, unsigned int width, unsigned int height)
{
    if (m_kind == WaylandWindowKind::Desktop) {
        return;
    }
    WaylandWindowKind kind =
        style == NativeWindowStyle::FullScreen ? WaylandWindowKind::FullScreen : WaylandWindowKind::Windowed;
    m_width = width;
    m_height = height;
    if (kind == m_kind) {
        if (m_windowSurface) {
            m_windowSurface->RequestSize(int(width), int(height));
        }
        return;
    }
    DestroySurfaces();
    m_kind = kind;
    CreateSurfaces();
    WaitUntilConfigured();
}

void WaylandWindow::SetTitle(char const* title)
{
    m_title = title ? title : "";
    if (m_windowSurface) {
        m_windowSurface->SetTitle(m_title.c_str());
    }
}

bool WaylandWindow::GetCursorPosition(int* x, int* y) const
{
    if (!m_pointerInside) {
        return false;
    }
    *x = m_pointerX;
    *y = m_pointerY;
    return true;
}

std::shared_ptr<GLContext> WaylandWindow::CreateGLContext(GLContextAttributes const& attributes)
{
    return CreateWaylandGLContext(*this, m_connection, attributes);
}
} // namespace platform::wayland
