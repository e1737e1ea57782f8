#pragma once

#include "CameraDll/grab/screen_grabber.h"

#include <QDBusConnection>
#include <QStringList>

#include <chrono>
#include <memory>

namespace camera {

// Through the desktop portal, for Wayland desktops without the wlroots
// screencopy protocol (GNOME, KDE). The portal writes the whole desktop into
// one file at the highest scale; the picture is read, the file deleted, and
// the picture cut into one per screen at that screen's own scale.
class PortalGrabber : public ScreenGrabber {
public:
    // The file is deleted only when it lies in one of disposableFolders.
    PortalGrabber(QDBusConnection bus, std::chrono::milliseconds timeout,
                  QStringList disposableFolders);
    // On the session bus; 30 s; the user's pictures folder and the
    // temporary folders.
    static std::unique_ptr<PortalGrabber> forSession();

    const char* name() const override { return "portal"; }
    GrabOutcome grab() override;

private:
    QDBusConnection bus_;
    std::chrono::milliseconds timeout_;
    QStringList disposableFolders_;
};

// Whether the file is a plain file, not a link, and lies in one of the
// folders or below, both taken with links resolved: the portal's answer must
// not make the capture delete anything of the person's outside the places
// screenshots are put.
bool MayDeleteCapture(const QString& file, const QStringList& folders);

} // namespace camera
