#include "CameraDll/grab/portal_request.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include <optional>

namespace camera {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kDesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// Fresh for every call: the portal refuses a token still in use, and an
// answer meant for an earlier, abandoned request must not be taken for this
// one's.
QString NewToken() {
    static quint32 calls = 0;
    return QStringLiteral("quobel_%1_%2").arg(++calls).arg(QRandomGenerator::global()->generate());
}

// Where the portal puts the Request: the caller's unique name without its
// colon and with its dots as underscores, then the token.
QString RequestPath(const QString& uniqueName, const QString& token) {
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kDesktopPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

PortalAnswer ErrorAnswer(const QDBusError& error) {
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoServer:
    case QDBusError::Disconnected:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
        return {PortalAnswer::Kind::NoPortal, {}, error.message()};
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return {PortalAnswer::Kind::TimedOut, {}, error.message()};
    default:
        return {
            PortalAnswer::Kind::Failed, {}, error.name() + QStringLiteral(": ") + error.message()};
    }
}

PortalAnswer ResponseAnswer(uint code, const QVariantMap& results) {
    switch (code) {
    case 0: {
        const QUrl uri(results.value(QStringLiteral("uri")).toString());
        if (!uri.isLocalFile())
            return {PortalAnswer::Kind::Failed,
                    {},
                    QStringLiteral("no local picture in the answer: ") + uri.toString()};
        return {PortalAnswer::Kind::Picture, uri.toLocalFile(), {}};
    }
    case 1:
        return {PortalAnswer::Kind::Cancelled, {}, QStringLiteral("cancelled by the user")};
    case 2:
        return {PortalAnswer::Kind::Refused, {}, QStringLiteral("refused")};
    default:
        return {PortalAnswer::Kind::Failed, {}, QStringLiteral("answer code %1").arg(code)};
    }
}

class PortalRequest : public QObject {
    Q_OBJECT
public:
    explicit PortalRequest(QDBusConnection bus) : bus_(std::move(bus)) {}
    ~PortalRequest() override { listen(QString()); }

    PortalAnswer run(std::chrono::milliseconds timeout) {
        const QString token = NewToken();
        listen(RequestPath(bus_.baseService(), token));
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kDesktopPath, kScreenshot,
                                                           QStringLiteral("Screenshot"));
        call << QString()
             << QVariantMap{{QStringLiteral("handle_token"), token},
                            {QStringLiteral("interactive"), false}};
        auto* watcher = new QDBusPendingCallWatcher(
            bus_.asyncCall(call, static_cast<int>(timeout.count())), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* finished) { replied(*finished); });
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, this, [this] {
            close();
            finish({PortalAnswer::Kind::TimedOut, {}, QStringLiteral("no answer in time")});
        });
        timer.start(timeout);
        if (!answer_)
            loop_.exec();
        // The loop also ends when the application quits, answer or not.
        if (!answer_) {
            close();
            finish({PortalAnswer::Kind::Cancelled, {}, QStringLiteral("the application quit")});
        }
        return *answer_;
    }

public slots:
    void response(uint code, const QVariantMap& results) { finish(ResponseAnswer(code, results)); }

private:
    void replied(const QDBusPendingCall& call) {
        const QDBusPendingReply<QDBusObjectPath> reply = call;
        if (reply.isError()) {
            finish(ErrorAnswer(reply.error()));
            return;
        }
        // Portals older than version 0.9 ignore the token and name the
        // Request themselves.
        const QString handle = reply.value().path();
        if (!answer_ && handle != handle_)
            listen(handle);
    }

    // Tells the portal to stop, so that no dialog or picture turns up long
    // after nobody waits for it.
    void close() {
        bus_.send(
            QDBusMessage::createMethodCall(kService, handle_, kRequest, QStringLiteral("Close")));
    }

    void listen(const QString& path) {
        const QString signal = QStringLiteral("Response");
        if (!handle_.isEmpty())
            bus_.disconnect(kService, handle_, kRequest, signal, this,
                            SLOT(response(uint, QVariantMap)));
        handle_ = path;
        if (!handle_.isEmpty())
            bus_.connect(kService, handle_, kRequest, signal, this,
                         SLOT(response(uint, QVariantMap)));
    }

    void finish(PortalAnswer answer) {
        if (answer_)
            return;
        answer_ = std::move(answer);
        loop_.quit();
    }

    QDBusConnection bus_;
    QString handle_;
    std::optional<PortalAnswer> answer_;
    QEventLoop loop_;
};

} // namespace

PortalAnswer RequestPortalScreenshot(QDBusConnection bus, std::chrono::milliseconds timeout) {
    if (!bus.isConnected())
        return {PortalAnswer::Kind::NoPortal, {}, QStringLiteral("no session bus")};
    PortalRequest request(std::move(bus));
    return request.run(timeout);
}

} // namespace camera

#include "portal_request.moc"
