#pragma once

#include "CameraDll/grab/screen_shot.h"

#include <QImage>
#include <QRect>

#include <vector>

namespace camera {

// One of Qt's screens as the split needs it.
struct ScreenToSplit {
    QRect geometry; // logical, as QScreen::geometry()
    qreal scale = 1;
    QScreen* screen = nullptr;
};

// The monitor, in device pixels, that shows a screen of Qt. Qt on Windows
// keeps a screen's top-left corner where the monitor's is and scales only
// its size; the monitor that holds that corner is taken if none starts there
// exactly. Empty if none.
QRect MonitorOf(const QRect& logicalGeometry, const std::vector<QRect>& monitors);

// Cuts one picture of the whole virtual screen, whose top-left corner lies at
// origin, into one shot per screen: each monitor's device pixels at its own
// scale. A picture of a single screen is handed on without a copy. Screens
// with no monitor, or outside the picture, are left out.
std::vector<ScreenShot> SplitVirtualScreen(QImage whole, const QPoint& origin,
                                           const std::vector<QRect>& monitors,
                                           const std::vector<ScreenToSplit>& screens);

} // namespace camera
