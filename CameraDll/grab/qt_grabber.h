#pragma once

#include "CameraDll/grab/screen_grabber.h"

namespace camera {

// QScreen::grabWindow: works wherever Qt can read the screen itself (the
// offscreen platform, Windows, macOS, X11 servers with odd pixel formats),
// but reads X11 through the socket and gives nothing on Wayland.
class QtGrabber : public ScreenGrabber {
public:
    const char* name() const override { return "qt"; }
    GrabOutcome grab() override;
};

} // namespace camera
