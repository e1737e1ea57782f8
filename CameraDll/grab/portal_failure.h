#pragma once

#include "CameraDll/grab/portal_request.h"
#include "CameraDll/grab/screen_grabber.h"

#include <QDBusConnection>
#include <QString>

namespace camera {

// The portal says little when it gives no picture: code 2 stands for a
// refusal and for a backend that crashed alike, and a permission dialog left
// unanswered makes it fall silent. What else the session shows tells them
// apart.
struct PortalSurroundings {
    // The screenshot permission of programs outside a sandbox, as the
    // desktop's permission store holds it (GNOME stores the answer to its
    // "Allow Applications to Take Screenshots?" dialog there).
    enum class Permission { NoStore, NotAsked, Granted, Denied };
    Permission permission = Permission::NoStore;
    // XDG_CURRENT_DESKTOP names GNOME, whose portal backend is the one that
    // has the frontend ask (it speaks version 2 of the backend interface;
    // wlroots' and KDE's do not, and are never asked about).
    bool gnome = false;
    // XDG_CURRENT_DESKTOP names KDE.
    bool kde = false;
    // KDE's backend still on the bus after answering: it did not crash.
    bool kdeBackendRunning = true;
};

// Reads the permission store and KDE's backend on the bus, each bounded by
// a short time-out.
PortalSurroundings LookAround(QDBusConnection bus);

// ClassifyPortalFailure, looking around on the bus only for the answers
// that need it (code 2 and silence).
GrabFailure ExplainPortalFailure(PortalAnswer::Kind answer, QDBusConnection bus);

// Why there is no picture, for an answer that brought none.
// - Code 2 is a refusal only where the person's no is on record; anything
//   else is the screenshot service failing, and on KDE a backend gone from
//   the bus is the one Debian ships without the QML modules it loads.
// - Silence on GNOME where no answer is on record means it has been asking
//   the person, who has not answered in time.
// - A picture that was promised but cannot be read is the service failing.
GrabFailure ClassifyPortalFailure(PortalAnswer::Kind answer, const PortalSurroundings& around);

} // namespace camera
