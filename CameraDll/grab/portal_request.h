#pragma once

#include <QDBusConnection>
#include <QString>

#include <chrono>

namespace camera {

struct PortalAnswer {
    enum class Kind { Picture, Cancelled, Refused, NoPortal, TimedOut, Failed };
    Kind kind = Kind::Failed;
    QString file;   // the picture's local path, with Picture
    QString detail; // what went wrong, for the log
};

// Asks the desktop portal (org.freedesktop.portal.Screenshot) for a picture
// of the whole desktop without its dialog, and waits for the answer in a
// local event loop. The answer comes as a Response signal on a Request
// object named after the caller and a token of its choosing, possibly before
// the method's own reply; the subscription is made first so that it cannot be
// missed. After the time-out, or when the application quits meanwhile, the
// request is closed.
PortalAnswer RequestPortalScreenshot(QDBusConnection bus, std::chrono::milliseconds timeout);

} // namespace camera
