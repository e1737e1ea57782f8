#pragma once

#include "CameraDll/grab/screen_shot.h"

#include <QImage>
#include <QRect>

#include <vector>

namespace camera {

// The device pixels a logical rectangle covers on a screen with the given
// top-left and scale, in the space where that top-left stays as it is. Each
// edge is rounded on its own: rectangles that share an edge in logical
// pixels share it in device pixels too.
QRect ToDevice(const QRect& logical, const QPoint& screenOrigin, qreal scale);

// The pixels of a logical selection, each part from its own screen.
//
// A selection on one screen comes out at that screen's own scale, every pixel
// as grabbed. Across screens the parts are put together the way the screens
// lie side by side: where they tile in device pixels (X11, Windows, GNOME),
// each part goes to its device position at its own scale; where they tile in
// logical pixels (wlroots, KWin), each part goes to its logical offset times
// the largest scale among the parts, and the parts of lower scale are
// resampled to it. A part of the selection off every screen stays
// transparent. Null if the selection touches no screen.
QImage CropSelection(const std::vector<ScreenShot>& shots, const QRect& selection);

// Size of what CropSelection returns, without copying any pixels.
QSize CropSize(const std::vector<ScreenShot>& shots, const QRect& selection);

} // namespace camera
