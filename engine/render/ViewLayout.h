#pragma once

#include <vector>

#include "platform/window/MonitorRect.h"
#include "render/Camera.h"

// How several monitors show the scene.
enum class EMonitorLayout
{
    Automatic, // one view across the monitors when they stand in one row, else one each
    Each,      // every monitor shows the whole view at its own shape
    Span,      // one view over all monitors, each showing its part
};

// The names the monitor layout is configured by: "auto", "each", "span"; anything else is
// Automatic.
EMonitorLayout ParseMonitorLayout(char const* name);

// Monitors written as "WIDTHxHEIGHT+X+Y" (drawable pixels), separated by commas; empty when
// the text is empty or any monitor in it is malformed.
std::vector<platform::MonitorRect> ParseMonitorRects(char const* text);

// One rectangle of the back buffer drawn with one projection.
struct SView
{
    unsigned int x = 0;
    unsigned int y = 0;
    unsigned int width = 0;
    unsigned int height = 0;
    float aspect = CCamera::AspectRatio; // width over height of the whole view volume
    SFrustumPart part;                   // the rectangle's share of that volume
};

// The views of a back buffer for the monitors its window covers.
class CViewLayout
{
public:
    // Monitor rectangles are in drawable pixels; they are scaled to the back buffer, clipped to
    // it, and empty ones dropped. No monitor left gives one view of the whole back buffer.
    static std::vector<SView> MakeViews(std::vector<platform::MonitorRect> const& monitors,
                                        EMonitorLayout layout, unsigned int drawableWidth,
                                        unsigned int drawableHeight, unsigned int backBufferWidth,
                                        unsigned int backBufferHeight);

    // A view over the whole back buffer whose volume holds every view's: what is culled
    // against, and what points are projected with, outside the drawing of the views.
    static SView MakeEnclosingView(std::vector<SView> const& views, unsigned int backBufferWidth,
                                   unsigned int backBufferHeight);

    // True when the rectangles share one row: a band of heights that every one of them covers.
    static bool StandInOneRow(std::vector<platform::MonitorRect> const& monitors);
};
