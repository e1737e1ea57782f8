#pragma once

#include <QWidget>

#include <vector>

namespace camera {

// Puts each overlay up over its own screen, the one set on it. On X11 it
// sits at the screen's geometry above everything. Wayland ignores
// positions, so there each is a full-screen window on its output.
// sway paints a full-screen window on an output that lacks the focus only
// once something changes there, and gives the focus to the window mapped
// last: so the overlay on the screen with the focus now goes up last.
void ShowOverlays(const std::vector<QWidget*>& overlays);

} // namespace camera
