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

// The size in device pixels of a screen of that logical size and scale.
QSize DeviceSize(const QSize& logical, qreal scale);

} // namespace camera
