#include "CameraDll/grab/kwin_grabber.h"

#include "CameraDll/capture_log.h"
#include "CameraDll/geometry/layout_split.h"
#include "CameraDll/grab/kwin_screenshot.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>

namespace camera {

KWinGrabber::KWinGrabber(QDBusConnection bus, std::chrono::milliseconds timeout)
    : bus_(std::move(bus)), timeout_(timeout) {}

std::unique_ptr<KWinGrabber> KWinGrabber::forSession() {
    return std::make_unique<KWinGrabber>(QDBusConnection::sessionBus(), std::chrono::seconds(5));
}

GrabOutcome KWinGrabber::grab() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    QStringList outputs;
    for (QScreen* screen : screens)
        outputs << screen->name();
    QElapsedTimer clock;
    clock.start();
    std::vector<KWinScreen> answers = CaptureKWinScreens(bus_, outputs, timeout_);
    qCDebug(lcCapture, "KWin gave %d outputs in %lld ms", static_cast<int>(answers.size()),
            static_cast<long long>(clock.elapsed()));

    GrabOutcome outcome;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        KWinScreen& answer = answers[std::size_t(i)];
        if (answer.result != KWinScreen::Result::Picture) {
            // One output KWin will not give is as good as none: a capture
            // with a hole where a screen is would mislead.
            const GrabFailure failure =
                answer.result == KWinScreen::Result::NotAllowed  ? GrabFailure::Refused
                : answer.result == KWinScreen::Result::NoService ? GrabFailure::NoPortal
                : answer.result == KWinScreen::Result::TimedOut  ? GrabFailure::TimedOut
                                                                 : GrabFailure::NoScreen;
            return GrabOutcome::failed(failure,
                                       answer.output + QStringLiteral(": ") + answer.detail);
        }
        QScreen* screen = screens[i];
        const qreal scale = screen->devicePixelRatio();
        QImage image = std::move(answer.image);
        const QSize device = DeviceSize(screen->geometry().size(), scale);
        // KWin's native size is the output's mode; Qt's rounded scale may
        // disagree with a fractional one.
        if (image.size() != device)
            image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(scale);
        outcome.shots.push_back({screen->geometry(), QPixmap::fromImage(std::move(image)), screen});
    }
    if (outcome.shots.empty())
        return GrabOutcome::failed(GrabFailure::NoScreen, QStringLiteral("no screens"));
    return outcome;
}

} // namespace camera
