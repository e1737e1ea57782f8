#include "CameraDll/grab/layout_split.h"

#include <cmath>

namespace camera {

namespace {

int Scaled(int logical, qreal ratio) {
    return static_cast<int>(std::floor(logical * ratio + 0.5));
}

} // namespace

std::vector<QRect> SplitLayout(const QSize& picture, const std::vector<QRect>& screens) {
    QRect layout;
    for (const QRect& screen : screens)
        layout |= screen;
    std::vector<QRect> parts;
    parts.reserve(screens.size());
    if (layout.isEmpty() || picture.isEmpty()) {
        parts.resize(screens.size());
        return parts;
    }
    const qreal rx = qreal(picture.width()) / layout.width();
    const qreal ry = qreal(picture.height()) / layout.height();
    for (const QRect& screen : screens) {
        const QRect local = screen.translated(-layout.topLeft());
        const int left = Scaled(local.x(), rx);
        const int top = Scaled(local.y(), ry);
        const int right = Scaled(local.x() + local.width(), rx);
        const int bottom = Scaled(local.y() + local.height(), ry);
        parts.push_back(QRect(left, top, right - left, bottom - top) & QRect(QPoint(), picture));
    }
    return parts;
}

QSize DeviceSize(const QSize& logical, qreal scale) {
    return {Scaled(logical.width(), scale), Scaled(logical.height(), scale)};
}

} // namespace camera
