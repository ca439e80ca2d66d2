#pragma once

#include <cstdint>
#include <string>

struct wl_output;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

// One monitor as the compositor announces it: its connector name, description, current
// mode in pixels and scale. Name and description come from wl_output (version 4) or from
// xdg-output on older compositors.
namespace platform::wayland
{
class WaylandOutput
{
public:
    WaylandOutput(wl_output* output, std::uint32_t globalName);
    ~WaylandOutput();
    WaylandOutput(WaylandOutput const&) = delete;
    WaylandOutput& operator=(WaylandOutput const&) = delete;

    // Asks the xdg-output extension for the name when wl_output is too old to carry it.
    void UseXdgOutput(zxdg_output_manager_v1* manager);

    wl_output* Handle() const { return m_output; }
    std::uint32_t GlobalName() const { return m_globalName; }
    std::string const& Name() const { return m_name; }
    std::string const& Description() const { return m_description; }
    // Current mode in pixels (0 until announced) and the integer scale (1 by default).
    int PixelWidth() const { return m_pixelWidth; }
    int PixelHeight() const { return m_pixelHeight; }
    int Scale() const { return m_scale; }
    // Where the output lies in the compositor's space (logical units; 0, 0 until told).
    int X() const { return m_x; }
    int Y() const { return m_y; }
    // True once a complete description has arrived (a done event and a name).
    bool IsReady() const { return m_doneSeen && !m_name.empty(); }

    // Takes the flag set when a done event completed a change; cleared by the read.
    bool TakeChange();

private:
    static void OnGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                           std::int32_t, char const*, char const*, std::int32_t);
    static void OnMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                       std::int32_t refresh);
    static void OnDone(void* data, wl_output*);
    static void OnScale(void* data, wl_output*, std::int32_t factor);
    static void OnName(void* data, wl_output*, char const* name);
    static void OnDescription(void* data, wl_output*, char const* description);
    static void OnXdgLogicalPosition(void*, zxdg_output_v1*, std::int32_t, std::int32_t);
    static void OnXdgLogicalSize(void*, zxdg_output_v1*, std::int32_t, std::int32_t);
    static void OnXdgDone(void* data, zxdg_output_v1*);
    static void OnXdgName(void* data, zxdg_output_v1*, char const* name);
    static void OnXdgDescription(void* data, zxdg_output_v1*, char const* description);

    wl_output* m_output;
    zxdg_output_v1* m_xdgOutput = nullptr;
    std::uint32_t m_globalName;
    std::string m_name;
    std::string m_description;
    int m_pixelWidth = 0;
    int m_pixelHeight = 0;
    int m_scale = 1;
    int m_x = 0;
    int m_y = 0;
    bool m_doneSeen = false;
    bool m_changed = false;
};
} // namespace platform::wayland
