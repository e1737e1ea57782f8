#include "CameraDll/geometry/layout_space.h"

#include "CameraDll/geometry/pixel_grid.h"

#include <algorithm>

namespace camera {

namespace {

// Whether two rectangles share a stretch of edge without overlapping.
bool Touch(const QRect& a, const QRect& b) {
    const auto along = [](int a0, int a1, int b0, int b1) {
        return std::min(a1, b1) > std::max(a0, b0);
    };
    const int ar = a.x() + a.width(), ab = a.y() + a.height();
    const int br = b.x() + b.width(), bb = b.y() + b.height();
    const bool sideBySide = (ar == b.x() || br == a.x()) && along(a.y(), ab, b.y(), bb);
    const bool stacked = (ab == b.y() || bb == a.y()) && along(a.x(), ar, b.x(), br);
    return sideBySide || stacked;
}

// How many pairs touch; -1 when any two overlap, which no real layout does.
int Tiling(const std::vector<QRect>& rects) {
    int touching = 0;
    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            if (rects[i].intersects(rects[j]))
                return -1;
            touching += Touch(rects[i], rects[j]) ? 1 : 0;
        }
    return touching;
}

} // namespace

QRect DeviceFootprint(const ScreenPlace& screen) {
    return {screen.geometry.topLeft(), QSize(RoundHalfUp(screen.geometry.width() * screen.scale),
                                             RoundHalfUp(screen.geometry.height() * screen.scale))};
}

LayoutSpace SpaceOf(const std::vector<ScreenPlace>& screens) {
    std::vector<QRect> logical, device;
    for (const ScreenPlace& screen : screens) {
        logical.push_back(screen.geometry);
        device.push_back(DeviceFootprint(screen));
    }
    return Tiling(device) > Tiling(logical) ? LayoutSpace::Device : LayoutSpace::Logical;
}

} // namespace camera
