#pragma once

#include <chrono>

namespace camera {

// Waits, up to the limit, until every window the host has just minimised is
// off the screen. Minimising is only a request to the window manager: the
// window, its frame and any minimise animation leave a little later, and a
// screen grabbed at once would freeze the very window the user wanted out of
// the picture. Returns at once when no window is on its way out. User input
// waits meanwhile.
void WaitForMinimisedWindowsToLeave(std::chrono::milliseconds limit);

} // namespace camera
