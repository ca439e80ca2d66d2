#pragma once

#include "platform/window/wayland/WaylandOutput.h"

#include <cstdint>
#include <memory>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_registry;
struct wl_seat;
struct wp_fractional_scale_manager_v1;
struct wp_viewporter;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;

// The connection to the Wayland compositor and the globals this program uses: compositor,
// layer shell (wallpaper and saver layers), xdg-shell (windows), the seat and the outputs.
// Outputs come and go while the program runs; a listener hears about each.
namespace platform::wayland
{
class WaylandInput;

class OutputListener
{
public:
    virtual ~OutputListener() = default;
    // An output is fully described for the first time.
    virtual void OutputAdded(WaylandOutput& output) = 0;
    // Its mode or scale changed.
    virtual void OutputChanged(WaylandOutput& output) = 0;
    // It is about to be destroyed.
    virtual void OutputRemoved(WaylandOutput& output) = 0;
};

class WaylandConnection
{
public:
    // Connects to the named display (WAYLAND_DISPLAY when null) and learns its globals and
    // outputs; null when no compositor answers.
    static std::unique_ptr<WaylandConnection> Connect(char const* displayName = nullptr);
    ~WaylandConnection();
    WaylandConnection(WaylandConnection const&) = delete;
    WaylandConnection& operator=(WaylandConnection const&) = delete;

    wl_display* Display() const { return m_display; }
    wl_compositor* Compositor() const { return m_compositor; }
    zwlr_layer_shell_v1* LayerShell() const { return m_layerShell; }
    xdg_wm_base* WindowManagerBase() const { return m_windowManagerBase; }
    // Null where the compositor offers no viewports (surfaces then show whole buffers).
    wp_viewporter* Viewporter() const { return m_viewporter; }
    // Null unless the compositor offers viewports too: surfaces then draw at fractional scales.
    wp_fractional_scale_manager_v1* FractionalScaleManager() const
    {
        return m_viewporter ? m_fractionalScaleManager : nullptr;
    }
    WaylandInput* Input() const { return m_input.get(); }
    bool HasLayerShell() const { return m_layerShell != nullptr; }

    // Outputs whose description is complete.
    std::vector<WaylandOutput*> Outputs() const;
    WaylandOutput* FindOutput(wl_output* handle) const;
    // Announces the outputs already known to the listener, then every later addition, change
    // and removal, until it is removed.
    void AddOutputListener(OutputListener* listener);
    void RemoveOutputListener(OutputListener* listener);

    // The socket the event loop waits on.
    int FileDescriptor() const;
    // Sends queued requests, waits up to the timeout (-1: forever) for events and handles
    // them; false once the connection is lost.
    bool Dispatch(int timeoutMilliseconds);
    // Handles events already read and sends queued requests without waiting.
    bool DispatchPending();
    // Handles the events already read, or else those waiting on the socket, without
    // waiting; the number handled, -1 once the connection is lost.
    int DispatchAvailable();
    // Waits up to the timeout for events and reads them without handling them; false when
    // none came or the connection is lost.
    bool WaitForEvents(int timeoutMilliseconds);
    // Waits until the compositor has handled every request sent so far.
    bool Roundtrip();
    bool IsLost() const;

private:
    explicit WaylandConnection(wl_display* display);
    bool Initialize();
    void AnnounceOutputChanges();

    static void OnGlobal(void* data, wl_registry*, std::uint32_t name, char const* interface,
                         std::uint32_t version);
    static void OnGlobalRemove(void* data, wl_registry*, std::uint32_t name);
    static void OnPing(void* data, xdg_wm_base* base, std::uint32_t serial);

    struct KnownOutput
    {
        std::unique_ptr<WaylandOutput> output;
        bool announced = false;
    };
    void Announce(KnownOutput& known, bool changed);

    wl_display* m_display;
    wl_registry* m_registry = nullptr;
    wl_compositor* m_compositor = nullptr;
    zwlr_layer_shell_v1* m_layerShell = nullptr;
    xdg_wm_base* m_windowManagerBase = nullptr;
    zxdg_output_manager_v1* m_xdgOutputManager = nullptr;
    wp_viewporter* m_viewporter = nullptr;
    wp_fractional_scale_manager_v1* m_fractionalScaleManager = nullptr;
    wl_seat* m_seat = nullptr;
    std::unique_ptr<WaylandInput> m_input;
    std::vector<KnownOutput> m_outputs;
    std::vector<OutputListener*> m_listeners;
};
} // namespace platform::wayland
