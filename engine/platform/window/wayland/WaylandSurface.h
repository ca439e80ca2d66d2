#pragma once

#include "platform/window/OutputSelection.h"

#include <chrono>
#include <cstdint>

struct wl_array;
struct wl_callback;
struct wl_egl_window;
struct wl_surface;
struct wp_fractional_scale_v1;
struct wp_viewport;
struct xdg_surface;
struct xdg_toplevel;
struct zwlr_layer_surface_v1;

// One drawing surface: a layer surface covering an output (wallpaper behind the windows,
// screen saver above everything) or an xdg-shell window, windowed or full screen. The
// compositor decides the size; the surface acknowledges it and keeps a wl_egl_window of
// that size times the output's scale: the fractional one the compositor prefers for the
// surface where it tells (the picture is then shown at the surface's size), else the output's
// whole-number scale.
namespace platform::wayland
{
class WaylandConnection;
class WaylandOutput;

enum class SurfaceRole
{
    Background,       // background layer, all edges, no keyboard focus
    Overlay,          // overlay layer, all edges, takes the keyboard exclusively
    Window,           // an ordinary window
    FullScreenWindow, // a window the compositor shows full screen on its output
};

class WaylandSurface
{
public:
    // output may be null for windows. width and height are the size a window asks for.
    WaylandSurface(WaylandConnection& connection, SurfaceRole role, WaylandOutput* output, char const* title,
                   int width, int height);
    ~WaylandSurface();
    WaylandSurface(WaylandSurface const&) = delete;
    WaylandSurface& operator=(WaylandSurface const&) = delete;

    SurfaceRole Role() const { return m_role; }
    WaylandOutput* Output() const { return m_output; }
    wl_surface* Handle() const { return m_surface; }
    // Created with the first configure event; null until then.
    wl_egl_window* EglWindow() const { return m_eglWindow; }
    bool IsConfigured() const { return m_eglWindow != nullptr; }
    // The compositor closed it (output gone, window closed by the user).
    bool IsClosed() const { return m_closed; }
    int LogicalWidth() const { return m_width; }
    int LogicalHeight() const { return m_height; }
    int PixelWidth() const { return ToPixels(m_width); }
    int PixelHeight() const { return ToPixels(m_height); }
    // Buffer pixels per surface unit: the compositor's preferred fractional scale where it
    // tells, else the whole-number one.
    double Scale() const;
    // True where a viewport shows the buffer at the surface's size (fractional scales and
    // parts of a larger buffer); false where the buffer scale does.
    bool IsShownThroughViewport() const
    {
        return m_viewport && (m_fractionalScale120 != 0 || m_bufferPart.width > 0);
    }

    // Moves a wallpaper surface to `layer` where the layer shell can (version 2 on).
    void MoveToLayer(DesktopLayer layer);
    // Lets the surface's buffer be `bufferWidth` x `bufferHeight` pixels, of which the surface
    // shows its own size's worth from (x, y) on; false (and nothing changed) without viewports
    // or where that part does not fit.
    bool ShowBufferPart(int bufferWidth, int bufferHeight, int x, int y);
    // The buffer back to the surface's own size, shown whole.
    void ShowWholeBuffer();
    // A window's own choice of size (the compositor may configure another later).
    void RequestSize(int width, int height);
    void SetTitle(char const* title);
    // Follows the output's scale; applies with the next drawn frame.
    void UpdateScale();
    // Takes the flag set when the drawing size changed; cleared by the read.
    bool TakeResize();

    // Asks, with the next commit, to hear when the compositor shows it (once at a time).
    void RequestFrameEvent();
    // False once a frame event asked for has gone unanswered for a while: the compositor shows
    // nothing of the surface (covered by a full-screen window, on a hidden workspace, output off).
    bool IsShown() const;

private:
    void CreateLayerSurface(WaylandConnection& connection);
    void CreateWindow(WaylandConnection& connection, char const* title);
    void ApplySize(int width, int height);
    int ToPixels(int size) const;
    // The buffer follows the size and scale; the viewport shows it at the surface's size.
    void ResizeBuffer();
    void ApplyBufferPart();

    static void OnLayerConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                                 std::uint32_t width, std::uint32_t height);
    static void OnLayerClosed(void* data, zwlr_layer_surface_v1*);
    static void OnSurfaceConfigure(void* data, xdg_surface* surface, std::uint32_t serial);
    static void OnToplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                                    wl_array*);
    static void OnToplevelClose(void* data, xdg_toplevel*);
    static void OnFrameDone(void* data, wl_callback* callback, std::uint32_t time);
    static void OnPreferredScale(void* data, wp_fractional_scale_v1*, std::uint32_t scale);

    SurfaceRole m_role;
    WaylandOutput* m_output;
    wl_surface* m_surface = nullptr;
    zwlr_layer_surface_v1* m_layerSurface = nullptr;
    xdg_surface* m_xdgSurface = nullptr;
    xdg_toplevel* m_toplevel = nullptr;
    wl_egl_window* m_eglWindow = nullptr;
    wp_viewport* m_viewport = nullptr;
    // The part shown of a larger buffer (x, y) and that buffer's size; a zero width: none.
    struct BufferPart
    {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    } m_bufferPart;
    wp_fractional_scale_v1* m_fractionalScale = nullptr;
    // The compositor's preferred scale in 120ths; 0 until it tells.
    std::uint32_t m_fractionalScale120 = 0;
    wl_callback* m_frameEvent = nullptr;
    std::chrono::steady_clock::time_point m_frameEventAskedAt;
    int m_width;
    int m_height;
    int m_pendingWidth = 0;
    int m_pendingHeight = 0;
    int m_scale = 1;
    bool m_closed = false;
    bool m_resized = false;
};
} // namespace platform::wayland
