#include "CameraDll/ui/loupe_painting.h"

#include "CameraDll/geometry/loupe_placement.h"
#include "CameraDll/session/capture_outcome.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace camera {

void DrawLoupe(QPainter& painter, const QRect& where, const QImage& picture, const QPoint& pixel,
               qreal scale) {
    const int reach = LoupeReach(scale);
    const int cells = 2 * reach + 1;
    const qreal cell = kLoupeZoom / scale; // one picture pixel, in logical pixels
    const QRectF square(where.topLeft(), QSizeF(cells * cell, cells * cell));
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(where, QColor(30, 30, 30, 230));
    // Beyond the edge of the picture the copy is black.
    const QImage patch = picture.copy(pixel.x() - reach, pixel.y() - reach, cells, cells);
    painter.drawImage(square, patch);

    const QRectF centre(square.topLeft() + QPointF(reach * cell, reach * cell), QSizeF(cell, cell));
    painter.setPen(QPen(QColor(0, 160, 255, 160), 0));
    painter.drawLine(QPointF(square.left(), centre.center().y()),
                     QPointF(centre.left(), centre.center().y()));
    painter.drawLine(QPointF(centre.right(), centre.center().y()),
                     QPointF(square.right(), centre.center().y()));
    painter.drawLine(QPointF(centre.center().x(), square.top()),
                     QPointF(centre.center().x(), centre.top()));
    painter.drawLine(QPointF(centre.center().x(), centre.bottom()),
                     QPointF(centre.center().x(), square.bottom()));
    // Black and white around the pixel, so it shows on any colour.
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(centre.adjusted(-1 / scale, -1 / scale, 0, 0));
    painter.setPen(QPen(Qt::white, 0));
    painter.drawRect(centre.adjusted(-2 / scale, -2 / scale, 1 / scale, 1 / scale));

    const QRgb colour = picture.valid(pixel) ? picture.pixel(pixel) : qRgb(0, 0, 0);
    const int line = painter.fontMetrics().height();
    QRect text(where.left() + 4, static_cast<int>(std::ceil(square.bottom())) + 2,
               where.width() - 8, line);
    painter.setPen(Qt::white);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("%1, %2").arg(pixel.x()).arg(pixel.y()));
    text.translate(0, line);
    const QRect swatch(text.left(), text.top() + 2, line - 4, line - 4);
    painter.fillRect(swatch, QColor(colour));
    painter.drawRect(swatch);
    painter.drawText(text.adjusted(line, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     ColourText(colour));
    painter.setPen(QPen(QColor(0, 160, 255), 0));
    painter.drawRect(QRectF(where).adjusted(0, 0, -1 / scale, -1 / scale));
    painter.restore();
}

} // namespace camera
