#include "CameraDll/grab/qt_grabber.h"

#include <QGuiApplication>
#include <QScreen>

namespace camera {

GrabOutcome QtGrabber::grab() {
    GrabOutcome outcome;
    for (QScreen* screen : QGuiApplication::screens()) {
        QPixmap pixmap = screen->grabWindow(0);
        if (!pixmap.isNull())
            outcome.shots.push_back({screen->geometry(), std::move(pixmap), screen});
    }
    if (outcome.shots.empty())
        return GrabOutcome::failed(GrabFailure::NoScreen,
                                   QStringLiteral("QScreen::grabWindow gave nothing"));
    return outcome;
}

} // namespace camera
