#pragma once

#include "CameraDll/grab/screen_shot.h"

#include <QString>

#include <vector>

namespace camera {

// Why a grab gave no pictures.
enum class GrabFailure {
    None,
    Cancelled, // the person said no in the desktop's own dialog
    NoScreen,  // no screen to read, or every screen failed
    NoPortal,  // no screenshot service on the session bus
    Refused,   // the desktop would not give the picture
    TimedOut,  // the desktop never answered
    // The desktop's screenshot service failed or gave no usable picture.
    ServiceFailed,
    // KDE's portal backend crashed, as it does without the QML modules its
    // package does not pull in.
    ServiceIncomplete,
    // The desktop asked the person for permission and got no answer in time.
    Unanswered,
};

struct GrabOutcome {
    std::vector<ScreenShot> shots;
    GrabFailure failure = GrabFailure::None;
    // What went wrong, for the log.
    QString detail;

    static GrabOutcome failed(GrabFailure failure, QString detail) {
        return {{}, failure, std::move(detail)};
    }
};

// One way of reading every screen as it is now. Each backend yields one
// picture per screen in device pixels, with the screen's logical geometry
// and the picture's scale, so that nothing after the grab needs to know how
// it was made.
class ScreenGrabber {
public:
    virtual ~ScreenGrabber() = default;
    virtual const char* name() const = 0;
    // Shots in the order of QGuiApplication::screens(); a screen that cannot
    // be read is left out.
    virtual GrabOutcome grab() = 0;
};

} // namespace camera
