#pragma once

#include "CameraDll/grab/screen_grabber.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace camera {

// Names a backend to use whatever the desktop, for testing and
// troubleshooting: x11, screencopy, kwin, portal or qt.
inline constexpr char kBackendVariable[] = "QUOBEL_CAPTURE_BACKEND";

enum class GrabberKind { X11, Screencopy, KWin, Portal, Qt };

std::optional<GrabberKind> GrabberNamed(const QString& name);

// A Wayland session (Qt on Wayland, or on XWayland inside one) → KWin's own
// screenshots on KDE Plasma (desktop as in XDG_CURRENT_DESKTOP), else
// screencopy where the compositor offers it, else the desktop portal; an X11
// display → shared memory; anything else → Qt's own grab. A backend named in
// the environment wins. screencopyOffered is asked only when it matters.
GrabberKind ChooseGrabberKind(const QString& forced, const QString& platform,
                              bool waylandDisplaySet, const QString& desktop,
                              const std::function<bool()>& screencopyOffered);

// The backend for this process and desktop.
std::unique_ptr<ScreenGrabber> MakeGrabber();

} // namespace camera
