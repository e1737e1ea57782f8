#include "CameraDll/geometry/layout_split.h"

#include "CameraDll/geometry/pixel_grid.h"

namespace camera {

std::vector<QRect> SplitLayout(const QSize& picture, const std::vector<ScreenPlace>& screens) {
    const bool device = SpaceOf(screens) == LayoutSpace::Device;
    std::vector<QRect> rects;
    QRect layout;
    for (const ScreenPlace& screen : screens) {
        rects.push_back(device ? DeviceFootprint(screen) : screen.geometry);
        layout |= rects.back();
    }
    std::vector<QRect> parts;
    parts.reserve(screens.size());
    if (layout.isEmpty() || picture.isEmpty()) {
        parts.resize(screens.size());
        return parts;
    }
    const qreal rx = qreal(picture.width()) / layout.width();
    const qreal ry = qreal(picture.height()) / layout.height();
    for (const QRect& rect : rects) {
        const QRect local = rect.translated(-layout.topLeft());
        const int left = RoundHalfUp(local.x() * rx);
        const int top = RoundHalfUp(local.y() * ry);
        const int right = RoundHalfUp((local.x() + local.width()) * rx);
        const int bottom = RoundHalfUp((local.y() + local.height()) * ry);
        parts.push_back(QRect(left, top, right - left, bottom - top) & QRect(QPoint(), picture));
    }
    return parts;
}

bool GeometriesInDevicePixels(const QSize& picture, const std::vector<ScreenPlace>& screens) {
    QRect layout;
    bool scaled = false;
    for (const ScreenPlace& screen : screens) {
        layout |= screen.geometry;
        scaled = scaled || screen.scale > 1;
    }
    return scaled && SpaceOf(screens) == LayoutSpace::Logical && picture == layout.size();
}

QRect WindowGeometry(const ScreenPlace& screen, bool devicePixels) {
    if (!devicePixels || screen.scale <= 1)
        return screen.geometry;
    return {screen.geometry.topLeft(), QSize(RoundHalfUp(screen.geometry.width() / screen.scale),
                                             RoundHalfUp(screen.geometry.height() / screen.scale))};
}

QSize DeviceSize(const QSize& logical, qreal scale) {
    return {RoundHalfUp(logical.width() * scale), RoundHalfUp(logical.height() * scale)};
}

} // namespace camera
