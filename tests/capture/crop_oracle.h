#pragma once

// What a selection must come out as, worked out point by point without the
// library's own crop.

#include "CameraDll/grab/screen_shot.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <vector>

namespace camera::testing {

// What a selection must come out as, worked out without the library's crop:
// every pixel of the result stands for a logical point of the selection, at
// the largest scale among the screens the selection touches, and shows the
// device pixel under that point on the screen that holds it. Screens placed
// side by side in logical pixels, as on Wayland or with no scaling.
inline QImage Expected(const std::vector<ScreenShot>& shots, const QRect& selection) {
    qreal scale = 0;
    for (const ScreenShot& shot : shots)
        if (shot.geometry.intersects(selection))
            scale = std::max(scale, shot.pixmap.devicePixelRatio());
    if (scale == 0)
        return {};
    std::vector<QImage> pictures;
    for (const ScreenShot& shot : shots)
        pictures.push_back(shot.pixmap.toImage());
    QImage expected(qRound(selection.width() * scale), qRound(selection.height() * scale),
                    QImage::Format_RGB32);
    expected.fill(Qt::black);
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QPointF point = QPointF(selection.topLeft()) + QPointF(x + 0.5, y + 0.5) / scale;
            for (std::size_t i = 0; i < shots.size(); ++i) {
                if (!QRectF(shots[i].geometry).contains(point))
                    continue;
                const qreal own = shots[i].pixmap.devicePixelRatio();
                const QPointF device = (point - QPointF(shots[i].geometry.topLeft())) * own;
                expected.setPixel(
                    x, y,
                    pictures[i].pixel(int(std::floor(device.x())), int(std::floor(device.y()))));
                break;
            }
        }
    return expected;
}

} // namespace camera::testing
