#include "CameraDll/device_crop.h"

#include <QPainter>

#include <cmath>

namespace camera {

namespace {

int RoundHalfUp(qreal value) {
    return static_cast<int>(std::floor(value + 0.5));
}

struct Part {
    const ScreenShot* shot;
    QRect device; // global device coordinates
};

std::vector<Part> Parts(const std::vector<ScreenShot>& shots, const QRect& selection) {
    std::vector<Part> parts;
    for (const ScreenShot& shot : shots) {
        const QRect logical = selection & shot.geometry;
        if (logical.isEmpty() || shot.pixmap.isNull())
            continue;
        const QPoint origin = shot.geometry.topLeft();
        // The grab may come out a pixel short of geometry × scale.
        const QRect available = shot.pixmap.rect().translated(origin);
        const QRect device = ToDevice(logical, origin, shot.pixmap.devicePixelRatio()) & available;
        if (!device.isEmpty())
            parts.push_back({&shot, device});
    }
    return parts;
}

QRect Bounding(const std::vector<Part>& parts) {
    QRect box;
    for (const Part& part : parts)
        box |= part.device;
    return box;
}

} // namespace

QRect ToDevice(const QRect& logical, const QPoint& screenOrigin, qreal scale) {
    const auto edge = [scale](int value, int origin) {
        return origin + RoundHalfUp((value - origin) * scale);
    };
    const int left = edge(logical.x(), screenOrigin.x());
    const int top = edge(logical.y(), screenOrigin.y());
    const int right = edge(logical.x() + logical.width(), screenOrigin.x());
    const int bottom = edge(logical.y() + logical.height(), screenOrigin.y());
    return {left, top, right - left, bottom - top};
}

QSize CropSize(const std::vector<ScreenShot>& shots, const QRect& selection) {
    return Bounding(Parts(shots, selection)).size();
}

QImage CropSelection(const std::vector<ScreenShot>& shots, const QRect& selection) {
    const std::vector<Part> parts = Parts(shots, selection);
    if (parts.empty())
        return {};
    const auto cut = [](const Part& part) {
        QImage image =
            part.shot->pixmap.copy(part.device.translated(-part.shot->geometry.topLeft()))
                .toImage();
        image.setDevicePixelRatio(1.0);
        return image;
    };
    if (parts.size() == 1)
        return cut(parts.front());

    const QRect box = Bounding(parts);
    QImage result(box.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const Part& part : parts)
        painter.drawImage(part.device.topLeft() - box.topLeft(), cut(part));
    return result;
}

} // namespace camera
