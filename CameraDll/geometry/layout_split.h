#pragma once

#include "CameraDll/geometry/layout_space.h"

#include <QRect>
#include <QSize>

#include <vector>

namespace camera {

// Where each screen lies in one picture of the whole desktop, such as the
// desktop portal hands back: the screens' bounding box, in the space in which
// they tile (see SpaceOf), stretched to the picture's size. wlroots' portal
// draws the logical layout at the highest scale; GNOME's draws its device
// layout as it is. Each edge is rounded on its own, so neighbouring screens
// share their edge and no column is lost or taken twice. Parts are clipped to
// the picture.
std::vector<QRect> SplitLayout(const QSize& picture, const std::vector<ScreenPlace>& screens);

// Whether the screens' geometries are in device pixels through and through,
// their sizes too, though a screen is scaled. So Qt 6.4 sees GNOME 43 on
// Wayland: mutter lays monitors out in device pixels and gives each one's
// size in device pixels as its logical size (xdg-output), and Qt applies the
// scale on top. Such geometries tile like logical ones, so they alone do not
// tell; the portal's picture does: every portal draws the whole layout at
// full resolution, so a picture no larger than the layout itself, with a
// screen scaled, was drawn in the very pixels the geometries count.
bool GeometriesInDevicePixels(const QSize& picture, const std::vector<ScreenPlace>& screens);

// The geometry a screen's windows really have: where geometries are in
// device pixels, the size scaled down to logical pixels, the top-left corner
// kept (the layout stays in device pixels, as on X11).
QRect WindowGeometry(const ScreenPlace& screen, bool devicePixels);

// The size in device pixels of a screen of that logical size and scale.
QSize DeviceSize(const QSize& logical, qreal scale);

} // namespace camera
