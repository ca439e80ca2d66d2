#include "platform/window/wayland/WaylandConnection.h"

#include "platform/window/wayland/WaylandInput.h"

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace platform::wayland
{
namespace
{
// Highest versions this client implements.
constexpr std::uint32_t CompositorVersion = 4;
constexpr std::uint32_t LayerShellVersion = 4;
constexpr std::uint32_t WindowManagerBaseVersion = 2;
constexpr std::uint32_t XdgOutputManagerVersion = 3;
constexpr std::uint32_t OutputVersion = 4;
constexpr std::uint32_t SeatVersion = 5;

// Set (to anything) in the environment, the layer shell is left unused as on a compositor that
// has none: the screen saver takes full-screen windows instead of overlay surfaces.
constexpr char const* RefuseLayerShellVariable = "CORALUME_WAYLAND_NO_LAYER_SHELL";

bool IsLayerShellRefused()
{
    char const* const value = std::getenv(RefuseLayerShellVariable);
    return value != nullptr && value[0] != '\0';
}

template <typename T>
T* Bind(wl_registry* registry, std::uint32_t name, wl_interface const* interface, std::uint32_t offered,
        std::uint32_t highest)
{
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, highest)));
}
} // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::Connect(char const* displayName)
{
    wl_display* display = wl_display_connect(displayName);
    if (!display) {
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    if (!connection->Initialize()) {
        return nullptr;
    }
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display) : m_display(display)
{}

WaylandConnection::~WaylandConnection()
{
    m_listeners.clear();
    m_outputs.clear();
    m_input.reset();
    if (m_seat) {
        if (wl_seat_get_version(m_seat) >= WL_SEAT_RELEASE_SINCE_VERSION) {
            wl_seat_release(m_seat);
        } else {
            wl_seat_destroy(m_seat);
        }
    }
    if (m_xdgOutputManager) {
        zxdg_output_manager_v1_destroy(m_xdgOutputManager);
    }
    if (m_fractionalScaleManager) {
        wp_fractional_scale_manager_v1_destroy(m_fractionalScaleManager);
    }
    if (m_viewporter) {
        wp_viewporter_destroy(m_viewporter);
    }
    if (m_windowManagerBase) {
        xdg_wm_base_destroy(m_windowManagerBase);
    }
    if (m_layerShell) {
        if (zwlr_layer_shell_v1_get_version(m_layerShell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
            zwlr_layer_shell_v1_destroy(m_layerShell);
        } else {
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_layerShell));
        }
    }
    if (m_compositor) {
        wl_compositor_destroy(m_compositor);
    }
    if (m_registry) {
        wl_registry_destroy(m_registry);
    }
    // No round trip: a busy or vanished compositor must not hold up the end of the program.
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

bool WaylandConnection::Initialize()
{
    static wl_registry_listener const listener = {
        .global = OnGlobal,
        .global_remove = OnGlobalRemove,
    };
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    // The first round trip lists the globals, the second brings the outputs' descriptions.
    if (wl_display_roundtrip(m_display) < 0) {
        return false;
    }
    for (KnownOutput& known : m_outputs) {
        known.output->UseXdgOutput(m_xdgOutputManager);
    }
    if (wl_display_roundtrip(m_display) < 0) {
        return false;
    }
    return m_compositor != nullptr;
}

void WaylandConnection::OnGlobal(void* data, wl_registry* registry, std::uint32_t name, char const* interface,
                                 std::uint32_t version)
{
    auto* self = static_cast<WaylandConnection*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !self->m_compositor) {
        self->m_compositor =
            Bind<wl_compositor>(registry, name, &wl_compositor_interface, version, CompositorVersion);
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && !self->m_layerShell &&
               !IsLayerShellRefused()) {
        self->m_layerShell = Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface,
                                                       version, LayerShellVersion);
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && !self->m_windowManagerBase) {
        static xdg_wm_base_listener const baseListener = {.ping = OnPing};
        self->m_windowManagerBase =
            Bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, WindowManagerBaseVersion);
        xdg_wm_base_add_listener(self->m_windowManagerBase, &baseListener, self);
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 &&
               !self->m_xdgOutputManager) {
        self->m_xdgOutputManager = Bind<zxdg_output_manager_v1>(
            registry, name, &zxdg_output_manager_v1_interface, version, XdgOutputManagerVersion);
        for (KnownOutput& known : self->m_outputs) {
            known.output->UseXdgOutput(self->m_xdgOutputManager);
        }
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0 && !self->m_viewporter) {
        self->m_viewporter = Bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
    } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0 &&
               !self->m_fractionalScaleManager) {
        self->m_fractionalScaleManager = Bind<wp_fractional_scale_manager_v1>(
            registry, name, &wp_fractional_scale_manager_v1_interface, version, 1);
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->m_seat) {
        self->m_seat = Bind<wl_seat>(registry, name, &wl_seat_interface, version, SeatVersion);
        self->m_input = std::make_unique<WaylandInput>(self->m_seat);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto* handle = Bind<wl_output>(registry, name, &wl_output_interface, version, OutputVersion);
        KnownOutput known;
        known.output = std::make_unique<WaylandOutput>(handle, name);
        known.output->UseXdgOutput(self->m_xdgOutputManager);
        self->m_outputs.push_back(std::move(known));
    }
}

void WaylandConnection::OnGlobalRemove(void* data, wl_registry*, std::uint32_t name)
{
    auto* self = static_cast<WaylandConnection*>(data);
    auto found =
        std::find_if(self->m_outputs.begin(), self->m_outputs.end(),
                     [name](KnownOutput const& known) { return known.output->GlobalName() == name; });
    if (found == self->m_outputs.end()) {
        return;
    }
    if (found->announced) {
        for (OutputListener* listener : std::vector<OutputListener*>(self->m_listeners)) {
            listener->OutputRemoved(*found->output);
        }
    }
    self->m_outputs.erase(found);
}

void WaylandConnection::OnPing(void*, xdg_wm_base* base, std::uint32_t serial)
{
    xdg_wm_base_pong(base, serial);
}

std::vector<WaylandOutput*> WaylandConnection::Outputs() const
{
    std::vector<WaylandOutput*> outputs;
    for (KnownOutput const& known : m_outputs) {
        if (known.output->IsReady()) {
            outputs.push_back(known.output.get());
        }
    }
    return outputs;
}

WaylandOutput* WaylandConnection::FindOutput(wl_output* handle) const
{
    for (KnownOutput const& known : m_outputs) {
        if (known.output->Handle() == handle) {
            return known.output.get();
        }
    }
    return nullptr;
}

void WaylandConnection::AddOutputListener(OutputListener* listener)
{
    m_listeners.push_back(listener);
    for (KnownOutput& known : m_outputs) {
        if (known.announced) {
            listener->OutputAdded(*known.output);
        }
    }
    AnnounceOutputChanges();
}

void WaylandConnection::RemoveOutputListener(OutputListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void WaylandConnection::AnnounceOutputChanges()
{
    // Listeners may add surfaces but never outputs, so the list stays put while they run.
    for (KnownOutput& known : m_outputs) {
        bool changed = known.output->TakeChange();
        if (known.output->IsReady()) {
            Announce(known, changed);
        }
    }
}

void WaylandConnection::Announce(KnownOutput& known, bool changed)
{
    bool added = !known.announced;
    known.announced = true;
    if (!added && !changed) {
        return;
    }
    for (OutputListener* listener : std::vector<OutputListener*>(m_listeners)) {
        if (added) {
            listener->OutputAdded(*known.output);
        } else {
            listener->OutputChanged(*known.output);
        }
    }
}

int WaylandConnection::FileDescriptor() const
{
    return wl_display_get_fd(m_display);
}

bool WaylandConnection::Dispatch(int timeoutMilliseconds)
{
    WaitForEvents(timeoutMilliseconds);
    return !IsLost() && DispatchPending();
}

bool WaylandConnection::WaitForEvents(int timeoutMilliseconds)
{
    // Events already queued count as come; reading waits until the queue is empty.
    if (wl_display_prepare_read(m_display) != 0) {
        return true;
    }
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(m_display);
        return false;
    }
    pollfd descriptor = {wl_display_get_fd(m_display), POLLIN, 0};
    if (poll(&descriptor, 1, timeoutMilliseconds) <= 0) {
        wl_display_cancel_read(m_display);
        return false;
    }
    return wl_display_read_events(m_display) == 0;
}

int WaylandConnection::DispatchAvailable()
{
    int handled = wl_display_dispatch_pending(m_display);
    if (handled == 0 && WaitForEvents(0)) {
        handled = wl_display_dispatch_pending(m_display);
    }
    if (handled < 0) {
        return -1;
    }
    AnnounceOutputChanges();
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        return -1;
    }
    return handled;
}

bool WaylandConnection::DispatchPending()
{
    if (wl_display_dispatch_pending(m_display) < 0) {
        return false;
    }
    AnnounceOutputChanges();
    return wl_display_flush(m_display) >= 0 || errno == EAGAIN;
}

bool WaylandConnection::Roundtrip()
{
    if (wl_display_roundtrip(m_display) < 0) {
        return false;
    }
    AnnounceOutputChanges();
    return true;
}

bool WaylandConnection::IsLost() const
{
    return wl_display_get_error(m_display) != 0;
}
} // namespace platform::wayland
