#pragma once

#include "CameraDll/grab/screen_grabber.h"

#include <QDBusConnection>

#include <chrono>

namespace camera {

// Straight from KWin, as KDE's own Spectacle does: one picture per output
// through org.kde.KWin.ScreenShot2, at the output's native resolution and
// without the pointer, with no portal between. KWin serves only programs
// whose desktop entry lists the interface in X-KDE-DBUS-Restricted-Interfaces
// (the installed one does); elsewhere it refuses, and the grab says so.
class KWinGrabber : public ScreenGrabber {
public:
    KWinGrabber(QDBusConnection bus, std::chrono::milliseconds timeout);
    // On the session bus; 5 s, after which the portal may still be asked.
    static std::unique_ptr<KWinGrabber> forSession();

    const char* name() const override { return "kwin"; }
    GrabOutcome grab() override;

private:
    QDBusConnection bus_;
    std::chrono::milliseconds timeout_;
};

} // namespace camera
