#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>

class QPainter;

namespace camera {

enum class MarkKind { Rectangle, Ellipse, Arrow, Pen, Text, Mosaic, Number, Highlighter, Blur };

// One thing drawn on the picture, in global logical pixels of the desktop, so
// it lands on the same spot of every screen's picture whatever its scale.
struct Mark {
    MarkKind kind = MarkKind::Rectangle;
    QColor colour = Qt::red;
    qreal width = 4; // line width in logical pixels; sets the text size too
    // Where the drag started and ended; every point of a pen or highlighter
    // stroke; the text's top-left corner; a numbered marker's centre.
    QPolygonF points;
    QString text; // also a numbered marker's number
};

// The picture a mark lies on, for the mosaic and the blur, which show what
// is under them.
struct Backdrop {
    // Device pixels, the marks before this one already on it. A pointer: the
    // picture may be the very image being painted, and a second reference
    // would make the painter copy it.
    const QImage* picture = nullptr;
    QPointF origin;  // global logical position of the picture's top-left
    qreal scale = 1; // device pixels per logical pixel
};

// The text's font for a line width, so the three widths give three sizes.
QFont MarkFont(qreal width);

// Everything the mark may touch, in global logical pixels.
QRectF MarkBounds(const Mark& mark);

// A numbered marker's diameter for a line width, in logical pixels.
qreal MarkerDiameter(qreal width);

// The highlighter's stroke width for a line width: wide enough to cover a
// line of text.
qreal HighlighterWidth(qreal width);

// The blur's radius in logical pixels for a line width; in device pixels it
// grows with the scale, so a blur looks the same on every screen.
qreal BlurRadius(qreal width);

// Draws the mark. The painter works in global logical pixels; its device's
// scale gives the device pixels. Lines and text are antialiased; the mosaic
// and the blur are not: they have hard edges on device pixels.
void DrawMark(QPainter& painter, const Mark& mark, const Backdrop& under);

} // namespace camera
