#pragma once

#include "CameraDll/grab/screen_grabber.h"

namespace camera {

// Reads the whole virtual screen of Windows with one GDI BitBlt, so every
// monitor is read at the same moment, and cuts it into one shot per monitor
// in its own device pixels (the process is per-monitor DPI aware: the
// program's manifest says so, and Qt asks for it too). Layered windows
// (tooltips, menus with shadows) come along: CAPTUREBLT.
class GdiGrabber : public ScreenGrabber {
public:
    const char* name() const override { return "gdi"; }
    GrabOutcome grab() override;
};

} // namespace camera
