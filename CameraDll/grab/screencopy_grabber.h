#pragma once

#include "CameraDll/grab/screen_grabber.h"

#include <memory>

namespace camera {

// Through the wlroots screencopy protocol (sway, Hyprland, river, ...) on a
// connection of our own to the compositor: each output's next frame is
// copied into memory we map ourselves. No dialog, no file, and the pixels
// never touch the heap. Outputs are matched to Qt's screens by name, else by
// their place in the logical layout (xdg-output), which also holds for Qt
// running on XWayland.
class ScreencopyGrabber : public ScreenGrabber {
public:
    ScreencopyGrabber();
    ~ScreencopyGrabber() override;

    // Whether the compositor offers the protocol at all.
    bool offered() const;

    const char* name() const override { return "screencopy"; }
    GrabOutcome grab() override;

private:
    struct Compositor;
    std::unique_ptr<Compositor> compositor_;
};

} // namespace camera
