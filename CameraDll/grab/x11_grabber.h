#pragma once

#include "CameraDll/grab/screen_grabber.h"

namespace camera {

// Reads the X11 root window through the application's own xcb connection.
// MIT-SHM lets the server write the pixels straight into memory shared with
// us, a millisecond or two for a full HD screen, where a plain GetImage sends
// them through the socket (tens of milliseconds) and QScreen::grabWindow adds
// a server-side copy on top (about 100). A server that refuses shared memory,
// a display forwarded from another machine say, gets the plain request.
class X11Grabber : public ScreenGrabber {
public:
    const char* name() const override { return "x11"; }
    GrabOutcome grab() override;
};

} // namespace camera
