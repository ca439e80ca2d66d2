#pragma once

#include "platform/window/wayland/WaylandConnection.h"
#include "platform/window/wayland/WaylandSurface.h"

#include <memory>
#include <string>
#include <vector>

// One surface on each chosen output, kept in step with the outputs: a new output gets its
// surface, a removed one (or one whose surface the compositor closes) loses it, a scale
// change reaches its surface.
namespace platform::wayland
{
class SurfaceSetListener
{
public:
    virtual ~SurfaceSetListener() = default;
    // The surface is about to be destroyed; what was made on it must go first.
    virtual void SurfaceRemoved(WaylandSurface& surface) = 0;
};

class WaylandOutputSurfaces : public OutputListener
{
public:
    // role: Background, Overlay or FullScreenWindow. outputNames: the outputs to cover by
    // name; empty covers them all.
    WaylandOutputSurfaces(WaylandConnection& connection, SurfaceRole role,
                          std::vector<std::string> outputNames);
    ~WaylandOutputSurfaces() override;
    WaylandOutputSurfaces(WaylandOutputSurfaces const&) = delete;
    WaylandOutputSurfaces& operator=(WaylandOutputSurfaces const&) = delete;

    void SetListener(SurfaceSetListener* listener) { m_listener = listener; }
    // Drops surfaces the compositor closed; call after dispatching events.
    void RemoveClosedSurfaces();

    std::vector<WaylandSurface*> Surfaces() const;
    // Configured surfaces, the one with the most pixels first (ties keep output order), into
    // `surfaces` (emptied first; its storage is reused).
    void ConfiguredBySize(std::vector<WaylandSurface*>& surfaces) const;
    bool Covers(WaylandOutput const& output) const;

    void OutputAdded(WaylandOutput& output) override;
    void OutputChanged(WaylandOutput& output) override;
    void OutputRemoved(WaylandOutput& output) override;

private:
    bool IsChosen(WaylandOutput const& output) const;
    void Remove(std::size_t index);

    WaylandConnection& m_connection;
    SurfaceRole m_role;
    std::vector<std::string> m_outputNames;
    std::vector<std::unique_ptr<WaylandSurface>> m_surfaces;
    SurfaceSetListener* m_listener = nullptr;
};
} // namespace platform::wayland
