#include "platform/window/wayland/WaylandSurface.h"

#include "platform/window/OutputSelection.h"
#include "platform/window/wayland/WaylandConnection.h"

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>
#include <wayland-egl.h>

namespace platform::wayland
{
namespace
{
constexpr char const* LayerNamespace = "coralume";
constexpr char const* ApplicationId = "coralume";
// Extends under panels and other reserved areas instead of avoiding them.
constexpr std::int32_t IgnoreExclusiveZones = -1;
constexpr int FallbackWidth = 640;
constexpr int FallbackHeight = 480;
// A surface whose frame event has not come for this long is not shown. Compositors answer
// within a refresh or two while they show a surface, however slowly the program draws.
constexpr std::chrono::milliseconds UnshownAfter{500};
// Fractional scales come in 120ths.
constexpr std::uint32_t ScaleDenominator = 120;
} // namespace

WaylandSurface::WaylandSurface(WaylandConnection& connection, SurfaceRole role, WaylandOutput* output,
                               char const* title, int width, int height)
    : m_role(role), m_output(output), m_width(width), m_height(height)
{
    m_surface = wl_compositor_create_surface(connection.Compositor());
    if (connection.Viewporter()) {
        m_viewport = wp_viewporter_get_viewport(connection.Viewporter(), m_surface);
    }
    if (connection.FractionalScaleManager()) {
        static wp_fractional_scale_v1_listener const listener = {.preferred_scale = OnPreferredScale};
        m_fractionalScale = wp_fractional_scale_manager_v1_get_fractional_scale(
            connection.FractionalScaleManager(), m_surface);
        wp_fractional_scale_v1_add_listener(m_fractionalScale, &listener, this);
    }
    UpdateScale();
    if (role == SurfaceRole::Background || role == SurfaceRole::Overlay) {
        CreateLayerSurface(connection);
    } else {
        CreateWindow(connection, title);
    }
    // The first commit carries no buffer; the compositor answers with a configure event.
    wl_surface_commit(m_surface);
}

WaylandSurface::~WaylandSurface()
{
    if (m_frameEvent) {
        wl_callback_destroy(m_frameEvent);
    }
    if (m_eglWindow) {
        wl_egl_window_destroy(m_eglWindow);
    }
    if (m_fractionalScale) {
        wp_fractional_scale_v1_destroy(m_fractionalScale);
    }
    if (m_viewport) {
        wp_viewport_destroy(m_viewport);
    }
    if (m_layerSurface) {
        zwlr_layer_surface_v1_destroy(m_layerSurface);
    }
    if (m_toplevel) {
        xdg_toplevel_destroy(m_toplevel);
    }
    if (m_xdgSurface) {
        xdg_surface_destroy(m_xdgSurface);
    }
    wl_surface_destroy(m_surface);
}

void WaylandSurface::CreateLayerSurface(WaylandConnection& connection)
{
    static zwlr_layer_surface_v1_listener const listener = {
        .configure = OnLayerConfigure,
        .closed = OnLayerClosed,
    };
    bool overlay = m_role == SurfaceRole::Overlay;
    zwlr_layer_shell_v1_layer layer = ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND;
    if (overlay)
        layer = ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY;
    else if (GetDesktopLayer() == DesktopLayer::Bottom)
        layer = ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM;
    m_layerSurface = zwlr_layer_shell_v1_get_layer_surface(
        connection.LayerShell(), m_surface, m_output ? m_output->Handle() : nullptr, layer, LayerNamespace);
    zwlr_layer_surface_v1_add_listener(m_layerSurface, &listener, this);
    zwlr_layer_surface_v1_set_anchor(
        m_layerSurface, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                            ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(m_layerSurface, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(m_layerSurface, IgnoreExclusiveZones);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        m_layerSurface, overlay ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
}

void WaylandSurface::CreateWindow(WaylandConnection& connection, char const* title)
{
    static xdg_surface_listener const surfaceListener = {.configure = OnSurfaceConfigure};
    static xdg_toplevel_listener const toplevelListener = {
        .configure = OnToplevelConfigure,
        .close = OnToplevelClose,
        .configure_bounds = nullptr,
        .wm_capabilities = nullptr,
    };
    m_xdgSurface = xdg_wm_base_get_xdg_surface(connection.WindowManagerBase(), m_surface);
    xdg_surface_add_listener(m_xdgSurface, &surfaceListener, this);
    m_toplevel = xdg_surface_get_toplevel(m_xdgSurface);
    xdg_toplevel_add_listener(m_toplevel, &toplevelListener, this);
    xdg_toplevel_set_title(m_toplevel, title ? title : ApplicationId);
    xdg_toplevel_set_app_id(m_toplevel, ApplicationId);
    if (m_role == SurfaceRole::FullScreenWindow) {
        xdg_toplevel_set_fullscreen(m_toplevel, m_output ? m_output->Handle() : nullptr);
    }
}

void WaylandSurface::MoveToLayer(DesktopLayer layer)
{
    if (m_role != SurfaceRole::Background || !m_layerSurface ||
        zwlr_layer_surface_v1_get_version(m_layerSurface) < ZWLR_LAYER_SURFACE_V1_SET_LAYER_SINCE_VERSION) {
        return;
    }
    zwlr_layer_surface_v1_set_layer(m_layerSurface, layer == DesktopLayer::Bottom
                                                        ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM
                                                        : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND);
    wl_surface_commit(m_surface);
}

void WaylandSurface::RequestSize(int width, int height)
{
    if (m_role != SurfaceRole::Window || width <= 0 || height <= 0) {
        return;
    }
    m_width = width;
    m_height = height;
    if (m_eglWindow) {
        ResizeBuffer();
        m_resized = true;
    }
}

double WaylandSurface::Scale() const
{
    return m_fractionalScale120 == 0 ? double(m_scale) : double(m_fractionalScale120) / ScaleDenominator;
}

int WaylandSurface::ToPixels(int size) const
{
    if (m_fractionalScale120 == 0) {
        return size * m_scale;
    }
    // Rounded half away from zero, as the compositor rounds it.
    return int((std::uint64_t(size) * m_fractionalScale120 + ScaleDenominator / 2) / ScaleDenominator);
}

void WaylandSurface::ResizeBuffer()
{
    if (m_bufferPart.width > 0) {
        ApplyBufferPart();
        return;
    }
    if (m_viewport && m_fractionalScale120 != 0 && m_width > 0 && m_height > 0) {
        wp_viewport_set_destination(m_viewport, m_width, m_height);
    }
    if (m_eglWindow) {
        wl_egl_window_resize(m_eglWindow, PixelWidth(), PixelHeight(), 0, 0);
    }
}

bool WaylandSurface::ShowBufferPart(int bufferWidth, int bufferHeight, int x, int y)
{
    if (!m_viewport || !m_eglWindow || m_width <= 0 || m_height <= 0 || x < 0 || y < 0 ||
        x + PixelWidth() > bufferWidth || y + PixelHeight() > bufferHeight) {
        return false;
    }
    m_bufferPart = {x, y, bufferWidth, bufferHeight};
    ApplyBufferPart();
    return true;
}

void WaylandSurface::ShowWholeBuffer()
{
    if (m_bufferPart.width <= 0) {
        return;
    }
    m_bufferPart = {};
    wp_viewport_set_source(m_viewport, wl_fixed_from_int(-1), wl_fixed_from_int(-1), wl_fixed_from_int(-1),
                           wl_fixed_from_int(-1));
    if (m_fractionalScale120 == 0) {
        wp_viewport_set_destination(m_viewport, -1, -1);
        wl_surface_set_buffer_scale(m_surface, m_scale);
    }
    ResizeBuffer();
}

// The buffer holds more than this surface shows: one pixel per buffer pixel, the surface's
// part picked out and shown at the surface's size.
void WaylandSurface::ApplyBufferPart()
{
    wl_surface_set_buffer_scale(m_surface, 1);
    wp_viewport_set_source(m_viewport, wl_fixed_from_int(m_bufferPart.x), wl_fixed_from_int(m_bufferPart.y),
                           wl_fixed_from_int(PixelWidth()), wl_fixed_from_int(PixelHeight()));
    wp_viewport_set_destination(m_viewport, m_width, m_height);
    if (m_eglWindow) {
        wl_egl_window_resize(m_eglWindow, m_bufferPart.width, m_bufferPart.height, 0, 0);
    }
}

void WaylandSurface::OnPreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale)
{
    auto* self = static_cast<WaylandSurface*>(data);
    if (scale == 0 || scale == self->m_fractionalScale120) {
        return;
    }
    if (self->m_fractionalScale120 == 0 && self->m_scale != 1) {
        // The fractional scale replaces the whole-number buffer scale.
        self->m_scale = 1;
        wl_surface_set_buffer_scale(self->m_surface, 1);
    }
    self->m_fractionalScale120 = scale;
    if (self->m_eglWindow) {
        self->ResizeBuffer();
        self->m_resized = true;
    }
}

void WaylandSurface::SetTitle(char const* title)
{
    if (m_toplevel) {
        xdg_toplevel_set_title(m_toplevel, title ? title : "");
    }
}

void WaylandSurface::UpdateScale()
{
    if (m_fractionalScale120 != 0) {
        return;
    }
    int scale = m_output ? m_output->Scale() : 1;
    if (scale == m_scale) {
        return;
    }
    m_scale = scale;
    if (m_bufferPart.width <= 0) {
        wl_surface_set_buffer_scale(m_surface, m_scale);
    }
    if (m_eglWindow) {
        ResizeBuffer();
        m_resized = true;
    }
}

bool WaylandSurface::TakeResize()
{
    bool resized = m_resized;
    m_resized = false;
    return resized;
}

// A size of 0 leaves the choice to the client: the output's size for surfaces that cover
// one, the size asked for by windows.
void WaylandSurface::ApplySize(int width, int height)
{
    if (width <= 0 || height <= 0) {
        bool covering = m_role != SurfaceRole::Window && m_output && m_output->PixelWidth() > 0;
        width = covering ? m_output->PixelWidth() / m_scale : (m_width > 0 ? m_width : FallbackWidth);
        height = covering ? m_output->PixelHeight() / m_scale : (m_height > 0 ? m_height : FallbackHeight);
    }
    if (m_eglWindow && width == m_width && height == m_height) {
        return;
    }
    m_width = width;
    m_height = height;
    if (!m_eglWindow) {
        m_eglWindow = wl_egl_window_create(m_surface, PixelWidth(), PixelHeight());
    }
    ResizeBuffer();
    m_resized = true;
}

void WaylandSurface::OnLayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                                      std::uint32_t width, std::uint32_t height)
{
    auto* self = static_cast<WaylandSurface*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    self->ApplySize(int(width), int(height));
}

void WaylandSurface::OnLayerClosed(void* data, zwlr_layer_surface_v1*)
{
    static_cast<WaylandSurface*>(data)->m_closed = true;
}

void WaylandSurface::OnSurfaceConfigure(void* data, xdg_surface* surface, std::uint32_t serial)
{
    auto* self = static_cast<WaylandSurface*>(data);
    xdg_surface_ack_configure(surface, serial);
    self->ApplySize(self->m_pendingWidth, self->m_pendingHeight);
}

void WaylandSurface::OnToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                                         wl_array*)
{
    auto* self = static_cast<WaylandSurface*>(data);
    self->m_pendingWidth = width;
    self->m_pendingHeight = height;
}

void WaylandSurface::OnToplevelClose(void* data, xdg_toplevel*)
{
    static_cast<WaylandSurface*>(data)->m_closed = true;
}

void WaylandSurface::RequestFrameEvent()
{
    if (m_frameEvent) {
        return;
    }
    static wl_callback_listener const listener = {.done = OnFrameDone};
    m_frameEvent = wl_surface_frame(m_surface);
    wl_callback_add_listener(m_frameEvent, &listener, this);
    m_frameEventAskedAt = std::chrono::steady_clock::now();
}

bool WaylandSurface::IsShown() const
{
    return !m_frameEvent || std::chrono::steady_clock::now() - m_frameEventAskedAt < UnshownAfter;
}

void WaylandSurface::OnFrameDone(void* data, wl_callback* callback, std::uint32_t)
{
    auto* surface = static_cast<WaylandSurface*>(data);
    wl_callback_destroy(callback);
    surface->m_frameEvent = nullptr;
}
} // namespace platform::wayland
