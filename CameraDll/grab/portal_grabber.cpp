#include "CameraDll/grab/portal_grabber.h"

#include "CameraDll/capture_log.h"
#include "CameraDll/geometry/layout_split.h"
#include "CameraDll/grab/portal_failure.h"
#include "CameraDll/grab/portal_request.h"
#include "common/input_drop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <QStandardPaths>

namespace camera {

PortalGrabber::PortalGrabber(QDBusConnection bus, std::chrono::milliseconds timeout,
                             QStringList disposableFolders)
    : bus_(std::move(bus)), timeout_(timeout), disposableFolders_(std::move(disposableFolders)) {}

std::unique_ptr<PortalGrabber> PortalGrabber::forSession() {
    QStringList folders{QDir::tempPath(), QStringLiteral("/tmp"), QStringLiteral("/var/tmp")};
    // GNOME writes into the pictures folder (or a Screenshots folder in it).
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QDir(pictures) != QDir::home())
        folders << pictures;
    return std::make_unique<PortalGrabber>(QDBusConnection::sessionBus(), std::chrono::seconds(30),
                                           folders);
}

bool MayDeleteCapture(const QString& file, const QStringList& folders) {
    const QFileInfo info(file);
    // Removing a link would remove the link, not the picture it leads to,
    // and a link is nothing a portal writes.
    if (info.isSymLink() || !info.isFile())
        return false;
    const QString path = info.canonicalFilePath();
    for (const QString& folder : folders) {
        const QString root = QFileInfo(folder).canonicalFilePath();
        if (!root.isEmpty() && path.startsWith(root + QLatin1Char('/')))
            return true;
    }
    return false;
}

GrabOutcome PortalGrabber::grab() {
    QElapsedTimer clock;
    clock.start();
    PortalAnswer answer;
    {
        // The host stays painted while the portal takes its time, but a
        // second capture started meanwhile would only get in the way.
        const quobel::InputDrop drop;
        answer = RequestPortalScreenshot(bus_, timeout_);
    }
    qCDebug(lcCapture, "portal answered after %lld ms", static_cast<long long>(clock.elapsed()));
    if (answer.kind != PortalAnswer::Kind::Picture)
        return GrabOutcome::failed(ExplainPortalFailure(answer.kind, bus_), answer.detail);

    clock.restart();
    QImageReader reader(answer.file);
    QImage picture = reader.read();
    qCDebug(lcCapture, "portal picture %dx%d read in %lld ms", picture.width(), picture.height(),
            static_cast<long long>(clock.elapsed()));
    // A capture must not leave pictures behind, read or not.
    if (MayDeleteCapture(answer.file, disposableFolders_))
        QFile::remove(answer.file);
    // The service said it made a picture; it did not make one that reads.
    if (picture.isNull())
        return GrabOutcome::failed(GrabFailure::ServiceFailed,
                                   answer.file + QStringLiteral(": ") + reader.errorString());

    const QList<QScreen*> screens = QGuiApplication::screens();
    std::vector<ScreenPlace> places;
    for (QScreen* screen : screens)
        places.push_back({screen->geometry(), screen->devicePixelRatio()});
    const std::vector<QRect> parts = SplitLayout(picture.size(), places);
    const bool devicePixels = GeometriesInDevicePixels(picture.size(), places);
    GrabOutcome outcome;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const QRect& part = parts[std::size_t(i)];
        const ScreenPlace& place = places[std::size_t(i)];
        const QRect geometry = WindowGeometry(place, devicePixels);
        qCDebug(lcCapture, "screen %s at %d,%d %dx%d scale %g%s: part %d,%d %dx%d",
                qPrintable(screens[i]->name()), place.geometry.x(), place.geometry.y(),
                place.geometry.width(), place.geometry.height(), place.scale,
                devicePixels ? " (device pixels)" : "", part.x(), part.y(), part.width(),
                part.height());
        if (part.isEmpty())
            continue;
        const QSize device = DeviceSize(geometry.size(), place.scale);
        // One screen at its own scale is the whole picture: no copy.
        QImage image = part == picture.rect() ? picture : picture.copy(part);
        if (image.size() != device)
            image = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // Opaque pixels without alpha draw fastest; in place, no second buffer.
        image.convertTo(QImage::Format_RGB32);
        image.setDevicePixelRatio(place.scale);
        outcome.shots.push_back({geometry, QPixmap::fromImage(std::move(image)), screens[i]});
    }
    if (outcome.shots.empty())
        return GrabOutcome::failed(GrabFailure::NoScreen,
                                   QStringLiteral("the portal's picture covers no screen"));
    return outcome;
}

} // namespace camera
