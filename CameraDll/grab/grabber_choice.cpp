#include "CameraDll/grab/grabber_choice.h"

#include "CameraDll/capture_log.h"
#include "CameraDll/desktop/platform_kind.h"
#include "CameraDll/grab/qt_grabber.h"

#if defined(QUOBEL_CAPTURE_UNIX_BACKENDS)
#include "CameraDll/grab/fallback_grabber.h"
#include "CameraDll/grab/kwin_grabber.h"
#include "CameraDll/grab/portal_grabber.h"
#include "CameraDll/grab/screencopy_grabber.h"
#include "CameraDll/grab/x11_grabber.h"
#endif

#include <QGuiApplication>

namespace camera {

std::optional<GrabberKind> GrabberNamed(const QString& name) {
    const QString key = name.trimmed().toLower();
    if (key == QLatin1String("x11"))
        return GrabberKind::X11;
    if (key == QLatin1String("screencopy"))
        return GrabberKind::Screencopy;
    if (key == QLatin1String("kwin"))
        return GrabberKind::KWin;
    if (key == QLatin1String("portal"))
        return GrabberKind::Portal;
    if (key == QLatin1String("qt"))
        return GrabberKind::Qt;
    return std::nullopt;
}

GrabberKind ChooseGrabberKind(const QString& forced, const QString& platform,
                              bool waylandDisplaySet, const QString& desktop,
                              const std::function<bool()>& screencopyOffered) {
    if (!forced.isEmpty()) {
        if (const auto named = GrabberNamed(forced))
            return *named;
        qCWarning(lcCapture, "%s=%s names no capture backend (x11, screencopy, kwin, portal, qt)",
                  kBackendVariable, qPrintable(forced));
    }
    // XWayland shows X11 clients a black screen where Wayland clients are.
    if (IsWaylandPlatform(platform) || (platform == QLatin1String("xcb") && waylandDisplaySet)) {
        // KWin offers no screencopy, and its portal puts the pointer into
        // the picture.
        if (desktop.split(QLatin1Char(':')).contains(QLatin1String("KDE"), Qt::CaseInsensitive))
            return GrabberKind::KWin;
        return screencopyOffered() ? GrabberKind::Screencopy : GrabberKind::Portal;
    }
    if (platform == QLatin1String("xcb"))
        return GrabberKind::X11;
    return GrabberKind::Qt;
}

std::unique_ptr<ScreenGrabber> MakeGrabber() {
#if defined(QUOBEL_CAPTURE_UNIX_BACKENDS)
    std::unique_ptr<ScreencopyGrabber> screencopy;
    const auto offered = [&screencopy] {
        screencopy = std::make_unique<ScreencopyGrabber>();
        return screencopy->offered();
    };
    const GrabberKind kind =
        ChooseGrabberKind(qEnvironmentVariable(kBackendVariable), QGuiApplication::platformName(),
                          !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"),
                          qEnvironmentVariable("XDG_CURRENT_DESKTOP"), offered);
    switch (kind) {
    case GrabberKind::X11:
        return std::make_unique<X11Grabber>();
    case GrabberKind::Screencopy:
        return screencopy ? std::move(screencopy) : std::make_unique<ScreencopyGrabber>();
    case GrabberKind::KWin:
        // Where KWin will not serve this program (no desktop entry of it
        // lists the interface, or the screenshot effect is off), the portal.
        return std::make_unique<FallbackGrabber>(KWinGrabber::forSession(),
                                                 [] { return PortalGrabber::forSession(); });
    case GrabberKind::Portal:
        return PortalGrabber::forSession();
    case GrabberKind::Qt:
        break;
    }
#endif
    return std::make_unique<QtGrabber>();
}

} // namespace camera
