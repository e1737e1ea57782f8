#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

class QPainter;

namespace camera {

// Draws the magnifier into where (logical) for the given device pixel of the
// picture: the pixels around it, then its position and colour.
void DrawLoupe(QPainter& painter, const QRect& where, const QImage& picture, const QPoint& pixel,
               qreal scale);

} // namespace camera
