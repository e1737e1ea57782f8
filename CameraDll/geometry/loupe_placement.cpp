#include "CameraDll/geometry/loupe_placement.h"

#include <algorithm>
#include <cmath>

namespace camera {

int LoupeReach(qreal scale) {
    return std::max(1, static_cast<int>(std::lround(7 * scale)));
}

QSize LoupeSize(qreal scale, int lineHeight, int textLines) {
    const int cells = 2 * LoupeReach(scale) + 1;
    const int side = static_cast<int>(std::ceil(cells * kLoupeZoom / scale));
    return {side, side + textLines * lineHeight + 4};
}

QRect PlaceLoupe(const QPoint& pointer, const QSize& loupe, const QRect& screen, int gap) {
    QRect box(QPoint(pointer.x() + gap + 1, pointer.y() + gap + 1), loupe);
    if (box.right() > screen.right())
        box.moveRight(pointer.x() - gap - 1);
    if (box.bottom() > screen.bottom())
        box.moveBottom(pointer.y() - gap - 1);
    // Pushed back onto the screen. On a screen too small to keep it beside
    // the pointer, the pointer's pixel still stays free: the loupe goes to
    // whichever side of it along an axis has room for it.
    const auto clampOnto = [&screen](QRect& r) {
        r.moveLeft(std::clamp(r.left(), screen.left(),
                              std::max(screen.left(), screen.right() - r.width() + 1)));
        r.moveTop(std::clamp(r.top(), screen.top(),
                             std::max(screen.top(), screen.bottom() - r.height() + 1)));
    };
    clampOnto(box);
    if (box.contains(pointer)) {
        if (pointer.y() - screen.top() >= loupe.height())
            box.moveBottom(pointer.y() - 1);
        else if (screen.bottom() - pointer.y() >= loupe.height())
            box.moveTop(pointer.y() + 1);
        else if (pointer.x() - screen.left() >= loupe.width())
            box.moveRight(pointer.x() - 1);
        else
            box.moveLeft(pointer.x() + 1);
    }
    return box;
}

QPoint PixelUnder(const QPointF& global, const QPoint& screenOrigin, qreal scale,
                  const QSize& picture) {
    const QPointF device = (global - screenOrigin) * scale;
    return {std::clamp(static_cast<int>(std::floor(device.x())), 0, picture.width() - 1),
            std::clamp(static_cast<int>(std::floor(device.y())), 0, picture.height() - 1)};
}

} // namespace camera
