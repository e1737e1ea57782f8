#pragma once

#include <QImage>
#include <QRect>

namespace camera {

// Logical pixels of a mosaic block's side; in device pixels it grows with
// the scale, so the blocks look the same on every screen.
constexpr int kMosaicBlock = 8;

// The device-pixel picture of a mosaic over the given device rectangle of the
// picture: blocks of side kMosaicBlock × scale, counted from the rectangle's
// top-left. Each block takes the colour most of its pixels share, never an
// average: an average carries something of every pixel, and averages of
// rendered guesses can be matched against it until the text comes back. The
// colour shared by most pixels is the background under all but the boldest
// text, whatever the text says.
QImage Pixelate(const QImage& picture, const QRect& device, qreal scale);

// The device-pixel picture of the given device rectangle blurred with a
// radius of that many device pixels. Only pixels inside the rectangle are
// read, so the blur does not reach out of it.
QImage Blur(const QImage& picture, const QRect& device, int radius);

} // namespace camera
