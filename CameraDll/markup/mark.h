#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>

class QPainter;

namespace camera {

enum class MarkKind { Rectangle, Ellipse, Arrow, Pen, Text, Mosaic };

// One thing drawn on the picture, in global logical pixels of the desktop, so
// it lands on the same spot of every screen's picture whatever its scale.
struct Mark {
    MarkKind kind = MarkKind::Rectangle;
    QColor colour = Qt::red;
    qreal width = 4; // line width in logical pixels; sets the text size too
    // Where the drag started and ended; every point of a pen stroke; the
    // text's top-left corner.
    QPolygonF points;
    QString text;
};

// The picture a mark lies on, for the mosaic, which shows what is under it.
struct Backdrop {
    // Device pixels, the marks before this one already on it. A pointer: the
    // picture may be the very image being painted, and a second reference
    // would make the painter copy it.
    const QImage* picture = nullptr;
    QPointF origin;  // global logical position of the picture's top-left
    qreal scale = 1; // device pixels per logical pixel
};

// Logical pixels of a mosaic block's side; in device pixels it grows with
// the scale, so the blocks look the same on every screen.
constexpr int kMosaicBlock = 8;

// The text's font for a line width, so the three widths give three sizes.
QFont MarkFont(qreal width);

// Everything the mark may touch, in global logical pixels.
QRectF MarkBounds(const Mark& mark);

// Draws the mark. The painter works in global logical pixels; its device's
// scale gives the device pixels. Lines and text are antialiased, the mosaic
// is not: its blocks have hard edges on device pixels.
void DrawMark(QPainter& painter, const Mark& mark, const Backdrop& under);

// The device-pixel picture of a mosaic over the given device rectangle of the
// picture: blocks of side kMosaicBlock × scale, counted from the rectangle's
// top-left, each the average of the pixels it covers.
QImage Pixelate(const QImage& picture, const QRect& device, qreal scale);

} // namespace camera
