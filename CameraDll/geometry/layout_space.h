#pragma once

#include <QRect>

#include <vector>

namespace camera {

// A screen's place in the virtual desktop as Qt reports it, and its scale.
struct ScreenPlace {
    QRect geometry; // logical
    qreal scale = 1;
};

// The space in which the screens lie side by side.
//
// Qt on X11 and on Windows keeps each screen's top-left corner in device
// pixels and scales only its size, and GNOME's compositor lays monitors out
// in device pixels too: there the screens tile in device pixels, and Qt's
// logical layout has gaps wherever a screen is scaled. wlroots compositors
// and KWin place outputs in logical pixels, and the logical geometries tile.
// Nothing announces which holds, but only one of the two tiles: the space in
// which more screens touch without overlapping. Where both tile equally
// (one screen, or no screen scaled), logical.
enum class LayoutSpace { Logical, Device };

LayoutSpace SpaceOf(const std::vector<ScreenPlace>& screens);

// The device pixels a screen covers in a device-space layout: its top-left
// corner as it is, its size scaled.
QRect DeviceFootprint(const ScreenPlace& screen);

} // namespace camera
