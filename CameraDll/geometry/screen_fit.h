#pragma once

#include <QRect>

#include <vector>

namespace camera {

// A selection of an earlier capture on the screens as they are now: cut to
// the parts that lie on a screen, or null when none does, or when what is
// left is narrower than a selection can be drawn.
QRect FitOnScreens(const QRect& selection, const std::vector<QRect>& screens);

} // namespace camera
