#include "CameraDll/geometry/device_crop.h"

#include "CameraDll/geometry/layout_space.h"
#include "CameraDll/geometry/pixel_grid.h"

#include <QPainter>

#include <algorithm>

namespace camera {

namespace {

struct Part {
    const ScreenShot* shot;
    QRect source; // the screen's own pixels, in its picture
    QRect target; // where they go in the result, before it is moved to 0,0
};

qreal ScaleOf(const ScreenShot& shot) {
    return shot.pixmap.devicePixelRatio();
}

std::vector<Part> Parts(const std::vector<ScreenShot>& shots, const QRect& selection) {
    std::vector<ScreenPlace> places;
    for (const ScreenShot& shot : shots)
        places.push_back({shot.geometry, ScaleOf(shot)});
    const LayoutSpace space = SpaceOf(places);

    struct Piece {
        const ScreenShot* shot;
        QRect logical;
    };
    std::vector<Piece> pieces;
    qreal largest = 0;
    for (const ScreenShot& shot : shots) {
        const QRect logical = selection & shot.geometry;
        if (logical.isEmpty() || shot.pixmap.isNull())
            continue;
        pieces.push_back({&shot, logical});
        largest = std::max(largest, ScaleOf(shot));
    }

    std::vector<Part> parts;
    for (const Piece& piece : pieces) {
        const QPoint origin = piece.shot->geometry.topLeft();
        const qreal scale = ScaleOf(*piece.shot);
        const QRect whole = ToDevice(piece.logical, origin, scale);
        // The grab may come out a pixel short of geometry × scale.
        const QRect source =
            (whole & piece.shot->pixmap.rect().translated(origin)).translated(-origin);
        if (source.isEmpty())
            continue;
        QRect target;
        if (space == LayoutSpace::Device || pieces.size() == 1) {
            target = source.translated(origin);
        } else {
            const QRect placed = ToDevice(piece.logical, selection.topLeft(), largest);
            // A part at the largest scale keeps its pixels as they are.
            target = scale == largest
                         ? source.translated(origin + placed.topLeft() - whole.topLeft())
                         : placed;
        }
        parts.push_back({piece.shot, source, target});
    }
    return parts;
}

QRect Bounding(const std::vector<Part>& parts) {
    QRect box;
    for (const Part& part : parts)
        box |= part.target;
    return box;
}

QImage Cut(const Part& part) {
    QImage image = part.shot->pixmap.copy(part.source).toImage();
    image.setDevicePixelRatio(1.0);
    if (image.size() == part.target.size())
        return image;
    // Twice the pixels as two of each keeps lines and text crisp; anything
    // else is interpolated.
    const bool whole =
        part.target.width() % image.width() == 0 && part.target.height() % image.height() == 0;
    return image.scaled(part.target.size(), Qt::IgnoreAspectRatio,
                        whole ? Qt::FastTransformation : Qt::SmoothTransformation);
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
    if (parts.size() == 1)
        return Cut(parts.front());

    const QRect box = Bounding(parts);
    QImage result(box.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const Part& part : parts)
        painter.drawImage(part.target.topLeft() - box.topLeft(), Cut(part));
    return result;
}

} // namespace camera
