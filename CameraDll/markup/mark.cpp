#include "CameraDll/markup/mark.h"

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

void DrawMosaic(QPainter& painter, const Mark& mark, const Backdrop& under) {
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
    QImage blocks = Pixelate(*under.picture, area, under.scale);
    blocks.setDevicePixelRatio(under.scale);
    painter.drawImage(under.origin + QPointF(area.topLeft()) / under.scale, blocks);
}

} // namespace

QFont MarkFont(qreal width) {
    QFont font;
    font.setPixelSize(static_cast<int>(12 + 2 * width));
    return font;
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
        return Span(mark).adjusted(-1, -1, 1, 1);
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
    painter.setRenderHint(QPainter::Antialiasing, mark.kind != MarkKind::Mosaic);
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
        DrawMosaic(painter, mark, under);
        break;
    }
    painter.restore();
}

QImage Pixelate(const QImage& picture, const QRect& device, qreal scale) {
    QImage image = picture.copy(device).convertToFormat(QImage::Format_RGB32);
    const int side = std::max(1, static_cast<int>(std::lround(kMosaicBlock * scale)));
    for (int top = 0; top < image.height(); top += side) {
        const int bottom = std::min(top + side, image.height());
        for (int left = 0; left < image.width(); left += side) {
            const int right = std::min(left + side, image.width());
            quint64 red = 0, green = 0, blue = 0;
            for (int y = top; y < bottom; ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
                for (int x = left; x < right; ++x) {
                    red += qRed(row[x]);
                    green += qGreen(row[x]);
                    blue += qBlue(row[x]);
                }
            }
            const quint64 count = static_cast<quint64>(bottom - top) * (right - left);
            const QRgb average = qRgb(static_cast<int>((red + count / 2) / count),
                                      static_cast<int>((green + count / 2) / count),
                                      static_cast<int>((blue + count / 2) / count));
            for (int y = top; y < bottom; ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                std::fill(row + left, row + right, average);
            }
        }
    }
    return image;
}

} // namespace camera
