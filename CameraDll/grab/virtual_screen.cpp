#include "CameraDll/grab/virtual_screen.h"

#include "CameraDll/grab/opaque_pixels.h"

#include <algorithm>

namespace camera {

QRect MonitorOf(const QRect& logicalGeometry, const std::vector<QRect>& monitors) {
    const QPoint corner = logicalGeometry.topLeft();
    const auto exact = std::find_if(monitors.begin(), monitors.end(),
                                    [&](const QRect& m) { return m.topLeft() == corner; });
    if (exact != monitors.end())
        return *exact;
    const auto holding = std::find_if(monitors.begin(), monitors.end(),
                                      [&](const QRect& m) { return m.contains(corner); });
    return holding != monitors.end() ? *holding : QRect();
}

std::vector<ScreenShot> SplitVirtualScreen(QImage whole, const QPoint& origin,
                                           const std::vector<QRect>& monitors,
                                           const std::vector<ScreenToSplit>& screens) {
    // GDI leaves the fourth byte of its 32-bit pixels 0.
    MakeOpaque(whole);
    const QRect covered(origin, whole.size());
    std::vector<ScreenShot> shots;
    for (const ScreenToSplit& screen : screens) {
        const QRect monitor = MonitorOf(screen.geometry, monitors) & covered;
        if (monitor.isEmpty())
            continue;
        // One monitor, read whole: the picture itself, without a copy.
        QImage part = monitor == covered && screens.size() == 1
                          ? std::move(whole)
                          : whole.copy(monitor.translated(-origin));
        part.setDevicePixelRatio(screen.scale);
        shots.push_back({screen.geometry, QPixmap::fromImage(std::move(part)), screen.screen});
    }
    return shots;
}

} // namespace camera
