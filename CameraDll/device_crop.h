#pragma once

#include <QImage>
#include <QPixmap>
#include <QRect>

#include <vector>

class QScreen;

namespace camera {

// One screen as it was when the capture began.
struct ScreenShot {
    QRect geometry; // logical, in the virtual desktop
    QPixmap pixmap; // device pixels; its devicePixelRatio maps the two
    QScreen* screen = nullptr;
};

// The device pixels a logical rectangle covers on a screen with the given
// top-left and scale. Qt keeps a screen's top-left in device coordinates when
// it scales the rest, so the result is in the same global space. Each edge
// is rounded on its own: rectangles that share an edge in logical pixels
// share it in device pixels too, so no row is lost or drawn twice.
QRect ToDevice(const QRect& logical, const QPoint& screenOrigin, qreal scale);

// The pixels of a logical selection, sharp at every screen's own scale. Parts
// on different screens are placed by their device positions; a part of the
// selection off every screen stays transparent. Null if it touches no screen.
QImage CropSelection(const std::vector<ScreenShot>& shots, const QRect& selection);

// Size in device pixels of what CropSelection returns, without copying any.
QSize CropSize(const std::vector<ScreenShot>& shots, const QRect& selection);

} // namespace camera
