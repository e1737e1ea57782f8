#include "platform/page_fetcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace quobel {

namespace {

// Eats user input for as long as it is installed. QEventLoop's
// ExcludeUserInputEvents only postpones input, so clicks made during the wait
// would still run once it ends.
class InputBlocker : public QObject {
public:
    InputBlocker() { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        case QEvent::Close:
            // A close asked for by the window system waits for the answer too:
            // ignoring it leaves the window up and the request unharmed.
            if (event->spontaneous()) {
                event->ignore();
                return true;
            }
            return false;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

QString StatusLine(QNetworkReply& reply) {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason =
        reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    // Qt keeps no raw status line; rebuild it. HTTP/2 carries no reason phrase.
    const bool http2 = reply.attribute(QNetworkRequest::Http2WasUsedAttribute).toBool();
    QString line =
        http2 ? QStringLiteral("HTTP/2 %1").arg(status) : QStringLiteral("HTTP/1.1 %1").arg(status);
    if (!reason.isEmpty())
        line += QLatin1Char(' ') + reason;
    return line;
}

QString ResponseText(QNetworkReply& reply, const QByteArray& body) {
    QString text = StatusLine(reply) + QStringLiteral("\r\n");
    for (const auto& [name, value] : reply.rawHeaderPairs())
        text += QString::fromLatin1(name) + QStringLiteral(": ") + QString::fromLatin1(value) +
                QStringLiteral("\r\n");
    text += QStringLiteral("\r\n");
    text += QString::fromUtf8(body);
    return text;
}

QString FailureText(QNetworkReply& reply, bool timedOut) {
    if (timedOut)
        return QStringLiteral("网页读取超时：服务器在规定时间内没有应答。");
    switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("网页读取失败：服务器拒绝连接。");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("网页读取失败：找不到服务器。");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("网页读取失败：服务器中途断开了连接。");
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("网页读取失败：网页重定向次数过多。");
    default:
        return QStringLiteral("网页读取失败：%1").arg(reply.errorString());
    }
}

} // namespace

PageFetcher::PageFetcher() = default;
PageFetcher::~PageFetcher() = default;

PageFetcher::Outcome PageFetcher::fetch(const QUrl& url, const FetchSettings& settings) {
    if (!network_)
        network_ = std::make_unique<QNetworkAccessManager>();

    QNetworkRequest request(url);
    // Qt's default is no time-out at all. The time-out restarts on every byte
    // received, so a server that trickles forever is stopped by the body bound.
    request.setTransferTimeout(static_cast<int>(settings.timeout.count()));
    request.setMaximumRedirectsAllowed(settings.maxRedirects);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);

    QNetworkReply* reply = network_->get(request);
    QByteArray body;
    bool truncated = false;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        const qint64 room = settings.maxBodyBytes - body.size();
        body += reply->read(room);
        if (body.size() >= settings.maxBodyBytes && !reply->isFinished()) {
            // The rest is dropped unread; the answer is judged on what came.
            truncated = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        InputBlocker blocker;
        loop.exec();
    }
    if (!truncated && reply->bytesAvailable() > 0)
        body += reply->read(settings.maxBodyBytes - body.size());

    Outcome outcome;
    const bool haveStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    const QNetworkReply::NetworkError error = reply->error();
    // 4xx and 5xx answers set error() too, but they are complete answers.
    const bool httpStatusError =
        error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownServerError;
    if (truncated || error == QNetworkReply::NoError || (haveStatus && httpStatusError)) {
        outcome.completed = haveStatus;
        outcome.text = haveStatus ? ResponseText(*reply, body)
                                  : QStringLiteral("网页读取失败：服务器的应答不是 HTTP。");
    } else {
        const bool timedOut = error == QNetworkReply::OperationCanceledError;
        outcome.text = FailureText(*reply, timedOut);
    }
    reply->deleteLater();
    return outcome;
}

} // namespace quobel
