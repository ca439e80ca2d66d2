#include "platform/window/wayland/WaylandOutputSurfaces.h"

#include <algorithm>

namespace platform::wayland
{
WaylandOutputSurfaces::WaylandOutputSurfaces(WaylandConnection& connection, SurfaceRole role,
                                             std::vector<std::string> outputNames)
    : m_connection(connection), m_role(role), m_outputNames(std::move(outputNames))
{
    m_connection.AddOutputListener(this);
}

WaylandOutputSurfaces::~WaylandOutputSurfaces()
{
    m_connection.RemoveOutputListener(this);
    while (!m_surfaces.empty()) {
        Remove(m_surfaces.size() - 1);
    }
}

bool WaylandOutputSurfaces::IsChosen(WaylandOutput const& output) const
{
    return m_outputNames.empty() ||
           std::find(m_outputNames.begin(), m_outputNames.end(), output.Name()) != m_outputNames.end();
}

bool WaylandOutputSurfaces::Covers(WaylandOutput const& output) const
{
    return std::any_of(m_surfaces.begin(), m_surfaces.end(),
                       [&output](auto const& surface) { return surface->Output() == &output; });
}

void WaylandOutputSurfaces::OutputAdded(WaylandOutput& output)
{
    if (!IsChosen(output) || Covers(output)) {
        return;
    }
    m_surfaces.push_back(std::make_unique<WaylandSurface>(m_connection, m_role, &output, "Coralume", 0, 0));
}

void WaylandOutputSurfaces::OutputChanged(WaylandOutput& output)
{
    for (auto& surface : m_surfaces) {
        if (surface->Output() == &output) {
            surface->UpdateScale();
        }
    }
}

void WaylandOutputSurfaces::OutputRemoved(WaylandOutput& output)
{
    for (std::size_t i = m_surfaces.size(); i-- > 0;) {
        if (m_surfaces[i]->Output() == &output) {
            Remove(i);
        }
    }
}

void WaylandOutputSurfaces::RemoveClosedSurfaces()
{
    for (std::size_t i = m_surfaces.size(); i-- > 0;) {
        if (m_surfaces[i]->IsClosed()) {
            Remove(i);
        }
    }
}

void WaylandOutputSurfaces::Remove(std::size_t index)
{
    if (m_listener) {
        m_listener->SurfaceRemoved(*m_surfaces[index]);
    }
    m_surfaces.erase(m_surfaces.begin() + std::ptrdiff_t(index));
}

std::vector<WaylandSurface*> WaylandOutputSurfaces::Surfaces() const
{
    std::vector<WaylandSurface*> surfaces;
    for (auto const& surface : m_surfaces) {
        surfaces.push_back(surface.get());
    }
    return surfaces;
}

void WaylandOutputSurfaces::ConfiguredBySize(std::vector<WaylandSurface*>& surfaces) const
{
    surfaces.clear();
    for (auto const& surface : m_surfaces) {
        if (surface->IsConfigured() && !surface->IsClosed()) {
            surfaces.push_back(surface.get());
        }
    }
    std::stable_sort(surfaces.begin(), surfaces.end(), [](WaylandSurface const* a, WaylandSurface const* b) {
        return long(a->PixelWidth()) * a->PixelHeight() > long(b->PixelWidth()) * b->PixelHeight();
    });
}
} // namespace platform::wayland
