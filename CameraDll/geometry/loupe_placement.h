#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace camera {

// The magnifier beside the pointer: the device pixels around the one under
// the pointer, each drawn as a square of kLoupeZoom × kLoupeZoom device
// pixels, then that pixel's position and colour. It covers about the same
// logical area on every screen, so it shows more pixels on a scaled one.
constexpr int kLoupeZoom = 8;

// Pixels shown on each side of the one under the pointer.
int LoupeReach(qreal scale);
// Logical size of the whole loupe, with textLines lines of lineHeight below.
QSize LoupeSize(qreal scale, int lineHeight, int textLines = 2);

// Where the loupe goes, in the same (logical) coordinates as the rest: beside
// the pointer, below and to the right where there is room, flipped to the
// other side of the pointer where there is not, always wholly on the screen
// and never over the pixel under the pointer.
QRect PlaceLoupe(const QPoint& pointer, const QSize& loupe, const QRect& screen, int gap);

// The device pixel of a screen's picture under a global logical point.
QPoint PixelUnder(const QPointF& global, const QPoint& screenOrigin, qreal scale,
                  const QSize& picture);

} // namespace camera
