#include "CameraDll/geometry/pin_zoom.h"

#include "CameraDll/geometry/pixel_grid.h"

#include <algorithm>

namespace camera {

int StepZoom(int zoom, int steps) {
    return std::clamp(zoom + steps, kSmallestZoom, kLargestZoom);
}

QRect ZoomAround(const QRect& frame, const QSize& natural, int zoom, const QPoint& pointer) {
    const QSize size(std::max(1, RoundHalfUp(natural.width() * zoom / qreal(kNaturalZoom))),
                     std::max(1, RoundHalfUp(natural.height() * zoom / qreal(kNaturalZoom))));
    if (frame.isEmpty())
        return QRect(frame.topLeft(), size);
    // The pointer's place within the picture, as a fraction of its size.
    const qreal x = (pointer.x() - frame.left()) / qreal(frame.width());
    const qreal y = (pointer.y() - frame.top()) / qreal(frame.height());
    const QPoint topLeft(pointer.x() - RoundHalfUp(x * size.width()),
                         pointer.y() - RoundHalfUp(y * size.height()));
    return QRect(topLeft, size);
}

} // namespace camera
