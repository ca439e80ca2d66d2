#include "platform/window/wayland/OutputAtlas.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace platform::wayland
{
namespace
{
bool Overlap(MonitorRect const& a, MonitorRect const& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool AnyOverlap(std::vector<MonitorRect> const& areas)
{
    for (std::size_t i = 0; i < areas.size(); ++i) {
        for (std::size_t j = i + 1; j < areas.size(); ++j) {
            if (Overlap(areas[i], areas[j])) {
                return true;
            }
        }
    }
    return false;
}

// Side by side from left to right in the compositor's order of the outputs, tops aligned.
void PlaceInOneRow(std::vector<AtlasOutput> const& outputs, std::vector<MonitorRect>& areas)
{
    std::vector<std::size_t> order(outputs.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return outputs[a].x != outputs[b].x ? outputs[a].x < outputs[b].x : outputs[a].y < outputs[b].y;
    });
    int left = 0;
    for (std::size_t index : order) {
        areas[index].x = left;
        areas[index].y = 0;
        left += areas[index].width;
    }
}
} // namespace

OutputAtlas ArrangeOutputAtlas(std::vector<AtlasOutput> const& outputs)
{
    OutputAtlas atlas;
    if (outputs.empty()) {
        return atlas;
    }
    double finest = 1.0;
    int minX = outputs.front().x;
    int minY = outputs.front().y;
    for (AtlasOutput const& output : outputs) {
        if (output.pixelWidth <= 0 || output.pixelHeight <= 0) {
            return atlas;
        }
        if (output.logicalWidth > 0) {
            finest = std::max(finest, double(output.pixelWidth) / double(output.logicalWidth));
        }
        minX = std::min(minX, output.x);
        minY = std::min(minY, output.y);
    }
    std::vector<MonitorRect> areas;
    for (AtlasOutput const& output : outputs) {
        areas.push_back({int(std::lround(double(output.x - minX) * finest)),
                         int(std::lround(double(output.y - minY) * finest)), output.pixelWidth,
                         output.pixelHeight});
    }
    if (AnyOverlap(areas)) {
        PlaceInOneRow(outputs, areas);
    }
    long width = 0;
    long height = 0;
    for (MonitorRect const& area : areas) {
        width = std::max(width, long(area.x) + area.width);
        height = std::max(height, long(area.y) + area.height);
    }
    if (width > OutputAtlas::MaxSide || height > OutputAtlas::MaxSide) {
        return atlas;
    }
    atlas.width = int(width);
    atlas.height = int(height);
    atlas.areas = std::move(areas);
    return atlas;
}
} // namespace platform::wayland
