#pragma once

#include <QRect>
#include <QSize>

#include <vector>

namespace camera {

// Where each screen lies in one picture of the whole desktop, such as the
// desktop portal hands back: the bounding box of the screens' logical
// geometries, which need not start at 0,0, stretched to the picture's size.
// Each edge is rounded on its own, so neighbouring screens share their edge
// and no column is lost or taken twice. Parts are clipped to the picture.
std::vector<QRect> SplitLayout(const QSize& picture, const std::vector<QRect>& screens);

// The size in device pixels of a screen of that logical size and scale.
QSize DeviceSize(const QSize& logical, qreal scale);

} // namespace camera
