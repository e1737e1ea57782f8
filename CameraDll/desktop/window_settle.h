#pragma once

#include <QPointer>
#include <QWindow>

#include <chrono>
#include <vector>

namespace camera {

// Takes the windows the host has just minimised out of the picture for as
// long as it lives. Minimising is only a request: on X11 the window manager
// unmaps the window a little later, which Qt reports, so this waits up to the
// limit for it. Some compositors ignore the request (sway), and on Wayland a
// client is never told whether it was heeded, so a window still shown then
// is hidden for the grab and shown again when this goes: a window that
// nothing could restore would be lost. A window the host closes or deletes
// meanwhile stays gone. User input is dropped meanwhile.
class MinimisedWindowsAway {
public:
    explicit MinimisedWindowsAway(std::chrono::milliseconds limit);
    ~MinimisedWindowsAway();
    MinimisedWindowsAway(const MinimisedWindowsAway&) = delete;
    MinimisedWindowsAway& operator=(const MinimisedWindowsAway&) = delete;

private:
    std::vector<QPointer<QWindow>> hidden_;
};

} // namespace camera
