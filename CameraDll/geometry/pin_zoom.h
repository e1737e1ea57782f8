#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace camera {

// A pinned picture's zoom, in tenths: 1 (10%) to 50 (500%), 10 being the
// picture at its captured size.
constexpr int kSmallestZoom = 1;
constexpr int kLargestZoom = 50;
constexpr int kNaturalZoom = 10;

// The zoom after that many steps of the wheel (negative: smaller), a tenth
// of the natural size each, within the limits.
int StepZoom(int zoom, int steps);

// Where the window showing a picture of the given logical size goes at a new
// zoom, so that the point of the picture under the pointer stays there.
QRect ZoomAround(const QRect& frame, const QSize& natural, int zoom, const QPoint& pointer);

} // namespace camera
