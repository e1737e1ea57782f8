#pragma once

#include <QPixmap>
#include <QRect>

class QScreen;

namespace camera {

// One screen as it was when the capture began.
struct ScreenShot {
    QRect geometry; // logical, in the virtual desktop
    QPixmap pixmap; // device pixels; its devicePixelRatio maps the two
    QScreen* screen = nullptr;
};

} // namespace camera
