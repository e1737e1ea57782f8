#pragma once

#include "CameraDll/geometry/window_pick.h"

#include <vector>

namespace camera {

// The window manager's stacking list on X11; empty where there is none
// (Wayland, Windows, or an X11 window manager that does not keep one).
std::vector<StackedWindow> ReadWindowStack();

} // namespace camera
