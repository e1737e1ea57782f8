#include "CameraDll/markup/mark.h"

#include "CameraDll/markup/pixel_filters.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace camera {

namespace {

QRectF Span(const Mark& mark) {
    if (mark.points.isEmpty())
        return {};
    return QRectF(mark.points.front(), mark.points.back()).normalized();
}

// The head grows with the line but never past the arrow's own length.
qreal ArrowHeadLength(const Mark& mark, qreal length) {
    return std::min(mark.width * 3 + 8, length);
}

void DrawArrow(QPainter& painter, const Mark& mark) {
    const QPointF from = mark.points.front();
    const QPointF to = mark.points.back();
    const QLineF line(from, to);
    const qreal length = line.length();
    if (length <= 0)
        return;
    const qreal head = ArrowHeadLength(mark, length);
    const QPointF along = (to - from) / length;
    const QPointF across(-along.y(), along.x());
    const QPointF base = to - along * head;
    // The shaft stops inside the head, so its cap never shows past the tip.
    painter.setPen(QPen(mark.colour, mark.width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to - along * (head / 2));
    painter.setPen(Qt::NoPen);
    painter.setBrush(mark.colour);
    const qreal halfBase = head * 0.5;
    painter.drawPolygon(QPolygonF{to, base + across * halfBase, base - across * halfBase});
}

void DrawText(QPainter& painter, const Mark& mark) {
    const QFont font = MarkFont(mark.width);
    painter.setFont(font);
    painter.setPen(mark.colour);
    const QFontMetricsF metrics(font);
    painter.drawText(mark.points.front() + QPointF(0, metrics.ascent()), mark.text);
}

// The mosaic and the blur: the device pixels under the mark's rectangle,
// changed by filter and put back in place.
template <typename Filter>
void DrawFiltered(QPainter& painter, const Mark& mark, const Backdrop& under, Filter filter) {
    const QRectF logical = Span(mark).translated(-under.origin);
    const auto device = [&under](qreal v) {
        return static_cast<int>(std::lround(v * under.scale));
    };
    if (!under.picture)
        return;
    const QRect area = QRect(QPoint(device(logical.left()), device(logical.top())),
                             QPoint(device(logical.right()) - 1, device(logical.bottom()) - 1)) &
                       under.picture->rect();
    if (area.isEmpty())
        return;
    // Read before anything is drawn: the picture may be the painter's own.
    QImage changed = filter(*under.picture, area);
    changed.setDevicePixelRatio(under.scale);
    painter.drawImage(under.origin + QPointF(area.topLeft()) / under.scale, changed);
}

// A filled disc in the mark's colour with its number in black or white,
// whichever stands out more against that colour.
void DrawNumber(QPainter& painter, const Mark& mark) {
    const qreal diameter = MarkerDiameter(mark.width);
    const QRectF disc(mark.points.front() - QPointF(diameter, diameter) / 2,
                      QSizeF(diameter, diameter));
    painter.setPen(Qt::NoPen);
    painter.setBrush(mark.colour);
    painter.drawEllipse(disc);
    // As large as fits: two digits and more take a smaller size.
    QFont font;
    font.setBold(true);
    for (int size = static_cast<int>(diameter * 0.62); size > 4; --size) {
        font.setPixelSize(size);
        const QRectF ink = QFontMetricsF(font).tightBoundingRect(mark.text);
        if (ink.width() <= diameter * 0.7 && ink.height() <= diameter * 0.7)
            break;
    }
    painter.setFont(font);
    painter.setPen(qGray(mark.colour.rgb()) > 150 ? Qt::black : Qt::white);
    painter.drawText(disc, Qt::AlignCenter, mark.text);
}

// Multiplied onto the picture, as ink of a highlighter soaks into paper:
// light ground takes the colour, dark text stays dark. The colour is
// lightened first, so that even a dark choice leaves the text readable.
void DrawHighlighter(QPainter& painter, const Mark& mark) {
    const QColor ink =
        QColor::fromRgbF(0.6f * mark.colour.redF() + 0.4f, 0.6f * mark.colour.greenF() + 0.4f,
                         0.6f * mark.colour.blueF() + 0.4f);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    // One polyline is one shape, so where the stroke crosses itself it is
    // not multiplied twice.
    painter.setPen(
        QPen(ink, HighlighterWidth(mark.width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (mark.points.size() == 1)
        painter.drawPoint(mark.points.front());
    else
        painter.drawPolyline(mark.points);
}

} // namespace

QFont MarkFont(qreal width) {
    QFont font;
    font.setPixelSize(static_cast<int>(12 + 2 * width));
    return font;
}

qreal MarkerDiameter(qreal width) {
    return 12 + 3 * width;
}

qreal HighlighterWidth(qreal width) {
    return 3 * width;
}

qreal BlurRadius(qreal width) {
    return width;
}

QRectF MarkBounds(const Mark& mark) {
    if (mark.points.isEmpty())
        return {};
    switch (mark.kind) {
    case MarkKind::Text: {
        const QFontMetricsF metrics(MarkFont(mark.width));
        const QRectF box(mark.points.front(),
                         QSizeF(metrics.horizontalAdvance(mark.text), metrics.height()));
        // Glyphs may lean out of their advance (italic strokes, accents).
        return box.adjusted(-metrics.height() / 4, 0, metrics.height() / 2, 1);
    }
    case MarkKind::Mosaic:
    case MarkKind::Blur:
        return Span(mark).adjusted(-1, -1, 1, 1);
    case MarkKind::Number: {
        const qreal reach = MarkerDiameter(mark.width) / 2 + 1;
        return QRectF(mark.points.front() - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach));
    }
    case MarkKind::Highlighter:
        return mark.points.boundingRect().marginsAdded(QMarginsF(1, 1, 1, 1) *
                                                       (HighlighterWidth(mark.width) / 2 + 2));
    case MarkKind::Arrow:
        // The head is half as wide on each side as it is long.
        return Span(mark).marginsAdded(QMarginsF(1, 1, 1, 1) * (mark.width * 1.5 + 6));
    default:
        return mark.points.boundingRect().marginsAdded(QMarginsF(1, 1, 1, 1) *
                                                       (mark.width / 2 + 2));
    }
}

void DrawMark(QPainter& painter, const Mark& mark, const Backdrop& under) {
    if (mark.points.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing,
                          mark.kind != MarkKind::Mosaic && mark.kind != MarkKind::Blur);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setBrush(Qt::NoBrush);
    const QPen line(mark.colour, mark.width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    switch (mark.kind) {
    case MarkKind::Rectangle:
        painter.setPen(line);
        painter.drawRect(Span(mark));
        break;
    case MarkKind::Ellipse:
        painter.setPen(line);
        painter.drawEllipse(Span(mark));
        break;
    case MarkKind::Arrow:
        DrawArrow(painter, mark);
        break;
    case MarkKind::Pen:
        painter.setPen(QPen(mark.colour, mark.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (mark.points.size() == 1)
            painter.drawPoint(mark.points.front());
        else
            painter.drawPolyline(mark.points);
        break;
    case MarkKind::Text:
        DrawText(painter, mark);
        break;
    case MarkKind::Mosaic:
        DrawFiltered(painter, mark, under, [&under](const QImage& picture, const QRect& area) {
            return Pixelate(picture, area, under.scale);
        });
        break;
    case MarkKind::Blur:
        DrawFiltered(painter, mark, under, [&](const QImage& picture, const QRect& area) {
            return Blur(picture, area,
                        static_cast<int>(std::lround(BlurRadius(mark.width) * under.scale)));
        });
        break;
    case MarkKind::Number:
        DrawNumber(painter, mark);
        break;
    case MarkKind::Highlighter:
        DrawHighlighter(painter, mark);
        break;
    }
    painter.restore();
}

} // namespace camera
