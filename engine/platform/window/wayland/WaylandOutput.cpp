#include "platform/window/wayland/WaylandOutput.h"

#include "xdg-output-unstable-v1-client-protocol.h"

#include <wayland-client.h>

namespace platform::wayland
{
namespace
{
constexpr std::uint32_t FirstOutputVersionWithRelease = 3;
} // namespace

WaylandOutput::WaylandOutput(wl_output* output, std::uint32_t globalName)
    : m_output(output), m_globalName(globalName)
{
    static wl_output_listener const listener = {
        .geometry = OnGeometry,
        .mode = OnMode,
        .done = OnDone,
        .scale = OnScale,
        .name = OnName,
        .description = OnDescription,
    };
    wl_output_add_listener(m_output, &listener, this);
}

WaylandOutput::~WaylandOutput()
{
    if (m_xdgOutput) {
        zxdg_output_v1_destroy(m_xdgOutput);
    }
    if (wl_output_get_version(m_output) >= FirstOutputVersionWithRelease) {
        wl_output_release(m_output);
    } else {
        wl_output_destroy(m_output);
    }
}

void WaylandOutput::UseXdgOutput(zxdg_output_manager_v1* manager)
{
    if (!manager || m_xdgOutput || wl_output_get_version(m_output) >= WL_OUTPUT_NAME_SINCE_VERSION) {
        return;
    }
    static zxdg_output_v1_listener const listener = {
        .logical_position = OnXdgLogicalPosition,
        .logical_size = OnXdgLogicalSize,
        .done = OnXdgDone,
        .name = OnXdgName,
        .description = OnXdgDescription,
    };
    m_xdgOutput = zxdg_output_manager_v1_get_xdg_output(manager, m_output);
    zxdg_output_v1_add_listener(m_xdgOutput, &listener, this);
}

bool WaylandOutput::TakeChange()
{
    bool changed = m_changed;
    m_changed = false;
    return changed;
}

void WaylandOutput::OnGeometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t,
                               std::int32_t, std::int32_t, char const*, char const*, std::int32_t)
{
    auto* self = static_cast<WaylandOutput*>(data);
    self->m_x = x;
    self->m_y = y;
}

void WaylandOutput::OnMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                           std::int32_t height, std::int32_t)
{
    auto* self = static_cast<WaylandOutput*>(data);
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        self->m_pixelWidth = width;
        self->m_pixelHeight = height;
    }
}

void WaylandOutput::OnDone(void* data, wl_output*)
{
    auto* self = static_cast<WaylandOutput*>(data);
    self->m_doneSeen = true;
    self->m_changed = true;
}

void WaylandOutput::OnScale(void* data, wl_output*, std::int32_t factor)
{
    static_cast<WaylandOutput*>(data)->m_scale = factor > 0 ? factor : 1;
}

void WaylandOutput::OnName(void* data, wl_output*, char const* name)
{
    static_cast<WaylandOutput*>(data)->m_name = name ? name : "";
}

void WaylandOutput::OnDescription(void* data, wl_output*, char const* description)
{
    static_cast<WaylandOutput*>(data)->m_description = description ? description : "";
}

void WaylandOutput::OnXdgLogicalPosition(void*, zxdg_output_v1*, std::int32_t, std::int32_t)
{}

void WaylandOutput::OnXdgLogicalSize(void*, zxdg_output_v1*, std::int32_t, std::int32_t)
{}

// Version 3 of xdg-output ends its updates with the wl_output done event; older versions
// send their own done, which completes the description as well.
void WaylandOutput::OnXdgDone(void* data, zxdg_output_v1*)
{
    auto* self = static_cast<WaylandOutput*>(data);
    self->m_doneSeen = true;
    self->m_changed = true;
}

void WaylandOutput::OnXdgName(void* data, zxdg_output_v1*, char const* name)
{
    auto* self = static_cast<WaylandOutput*>(data);
    self->m_name = name ? name : "";
    self->m_changed = true;
}

void WaylandOutput::OnXdgDescription(void* data, zxdg_output_v1*, char const* description)
{
    static_cast<WaylandOutput*>(data)->m_description = description ? description : "";
}
} // namespace platform::wayland
