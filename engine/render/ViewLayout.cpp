#include "render/ViewLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <strings.h>

EMonitorLayout ParseMonitorLayout(char const* name)
{
    if (name && strcasecmp(name, "each") == 0)
        return EMonitorLayout::Each;
    if (name && strcasecmp(name, "span") == 0)
        return EMonitorLayout::Span;
    return EMonitorLayout::Automatic;
}

std::vector<platform::MonitorRect> ParseMonitorRects(char const* text)
{
    std::vector<platform::MonitorRect> monitors;
    if (!text)
        return monitors;
    constexpr int MaxCoordinate = 1 << 20;
    char const* cursor = text;
    while (*cursor) {
        if (*cursor == ',' || *cursor == ' ') {
            ++cursor;
            continue;
        }
        platform::MonitorRect monitor;
        int consumed = 0;
        if (std::sscanf(cursor, "%dx%d+%d+%d%n", &monitor.width, &monitor.height, &monitor.x, &monitor.y,
                        &consumed) != 4 ||
            (cursor[consumed] != ',' && cursor[consumed] != ' ' && cursor[consumed] != '\0') ||
            monitor.width <= 0 || monitor.height <= 0 || monitor.width > MaxCoordinate ||
            monitor.height > MaxCoordinate || monitor.x < 0 || monitor.y < 0 || monitor.x > MaxCoordinate ||
            monitor.y > MaxCoordinate)
            return {};
        monitors.push_back(monitor);
        cursor += consumed;
    }
    return monitors;
}

namespace
{
struct SBackBufferRect
{
    unsigned int x, y, width, height;
};

// Scales a drawable rectangle to the back buffer and clips it; false when nothing is left.
bool ToBackBuffer(platform::MonitorRect const& monitor, float scaleX, float scaleY, unsigned int width,
                  unsigned int height, SBackBufferRect* rect)
{
    long const left = std::clamp(std::lround(float(monitor.x) * scaleX), 0l, long(width));
    long const top = std::clamp(std::lround(float(monitor.y) * scaleY), 0l, long(height));
    long const right = std::clamp(std::lround(float(monitor.x + monitor.width) * scaleX), 0l, long(width));
    long const bottom = std::clamp(std::lround(float(monitor.y + monitor.height) * scaleY), 0l, long(height));
    if (right <= left || bottom <= top)
        return false;
    *rect = {unsigned(left), unsigned(top), unsigned(right - left), unsigned(bottom - top)};
    return true;
}

float Aspect(unsigned int width, unsigned int height)
{
    return height ? float(width) / float(height) : CCamera::AspectRatio;
}
} // namespace

bool CViewLayout::StandInOneRow(std::vector<platform::MonitorRect> const& monitors)
{
    int lowestTop = 0;
    int highestBottom = 0;
    bool first = true;
    for (platform::MonitorRect const& monitor : monitors) {
        lowestTop = first ? monitor.y : std::max(lowestTop, monitor.y);
        highestBottom =
            first ? monitor.y + monitor.height : std::min(highestBottom, monitor.y + monitor.height);
        first = false;
    }
    return !first && lowestTop < highestBottom;
}

std::vector<SView> CViewLayout::MakeViews(std::vector<platform::MonitorRect> const& monitors,
                                          EMonitorLayout layout, unsigned int drawableWidth,
                                          unsigned int drawableHeight, unsigned int backBufferWidth,
                                          unsigned int backBufferHeight)
{
    float const scaleX = drawableWidth ? float(backBufferWidth) / float(drawableWidth) : 1.0f;
    float const scaleY = drawableHeight ? float(backBufferHeight) / float(drawableHeight) : 1.0f;
    std::vector<SBackBufferRect> rects;
    std::vector<platform::MonitorRect> kept;
    for (platform::MonitorRect const& monitor : monitors) {
        SBackBufferRect rect{};
        if (ToBackBuffer(monitor, scaleX, scaleY, backBufferWidth, backBufferHeight, &rect)) {
            rects.push_back(rect);
            kept.push_back(monitor);
        }
    }
    if (rects.empty())
        rects.push_back({0, 0, backBufferWidth, backBufferHeight});

    bool const span =
        layout == EMonitorLayout::Span || (layout == EMonitorLayout::Automatic && StandInOneRow(kept));
    unsigned int left = rects[0].x, top = rects[0].y, right = 0, bottom = 0;
    for (SBackBufferRect const& rect : rects) {
        left = std::min(left, rect.x);
        top = std::min(top, rect.y);
        right = std::max(right, rect.x + rect.width);
        bottom = std::max(bottom, rect.y + rect.height);
    }
    float const spanWidth = float(right - left);
    float const spanHeight = float(bottom - top);

    std::vector<SView> views;
    for (SBackBufferRect const& rect : rects) {
        SView view{rect.x, rect.y, rect.width, rect.height, Aspect(rect.width, rect.height), {}};
        if (span) {
            view.aspect = Aspect(right - left, bottom - top);
            view.part = {float(rect.x - left) / spanWidth, float(rect.y - top) / spanHeight,
                         float(rect.width) / spanWidth, float(rect.height) / spanHeight};
        }
        views.push_back(view);
    }
    return views;
}

SView CViewLayout::MakeEnclosingView(std::vector<SView> const& views, unsigned int backBufferWidth,
                                     unsigned int backBufferHeight)
{
    SView enclosing{0, 0, backBufferWidth, backBufferHeight, Aspect(backBufferWidth, backBufferHeight), {}};
    if (views.empty())
        return enclosing;
    // Extents in units of the volume's half height, x to the right and y upwards.
    float minX = 0.0f, maxX = 0.0f, minY = 0.0f, maxY = 0.0f;
    bool first = true;
    for (SView const& view : views) {
        float const viewMinX = view.aspect * (2.0f * view.part.left - 1.0f);
        float const viewMaxX = view.aspect * (2.0f * (view.part.left + view.part.width) - 1.0f);
        float const viewMaxY = 1.0f - 2.0f * view.part.top;
        float const viewMinY = 1.0f - 2.0f * (view.part.top + view.part.height);
        minX = first ? viewMinX : std::min(minX, viewMinX);
        maxX = first ? viewMaxX : std::max(maxX, viewMaxX);
        minY = first ? viewMinY : std::min(minY, viewMinY);
        maxY = first ? viewMaxY : std::max(maxY, viewMaxY);
        first = false;
    }
    float const halfWidth = std::max(std::fabs(minX), std::fabs(maxX));
    if (!(halfWidth > 0.0f))
        return enclosing;
    enclosing.aspect = halfWidth;
    enclosing.part = {(minX / halfWidth + 1.0f) * 0.5f, (1.0f - maxY) * 0.5f,
                      (maxX - minX) / (2.0f * halfWidth), (maxY - minY) * 0.5f};
    return enclosing;
}
