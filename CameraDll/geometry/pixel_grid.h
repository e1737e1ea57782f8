#pragma once

#include <QPoint>
#include <QPointF>

#include <cmath>

namespace camera {

// Logical and device pixels meet on many screens at fractional scales. Every
// conversion rounds the same way, halves up, so that two rectangles sharing
// an edge in one space share it in the other, with no row lost or doubled.
inline int RoundHalfUp(qreal value) {
    return static_cast<int>(std::floor(value + 0.5));
}

// The pixel cell a point falls in: the one whose top-left corner is at or
// before it. Pointer positions arrive with fractions on scaled screens.
inline QPoint Cell(const QPointF& point) {
    return {static_cast<int>(std::floor(point.x())), static_cast<int>(std::floor(point.y()))};
}

} // namespace camera
