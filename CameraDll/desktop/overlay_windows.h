#pragma once

#include <QWidget>

#include <vector>

namespace camera {

// Puts each overlay up over its own screen, the one set on it. On X11 it
// sits at the screen's geometry above everything. Wayland ignores
// positions, so there each is a full-screen window on its output, and the
// compositor gives the keyboard to the window mapped last on the output that
// has the focus: the overlay on the screen the host's focus is on goes up
// last, so that Escape works at once.
void ShowOverlays(const std::vector<QWidget*>& overlays);

} // namespace camera
