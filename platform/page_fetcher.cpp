#include "platform/page_fetcher.h"

#include "common/input_drop.h"
#include "platform/fetch_text.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace quobel {

namespace {

// How much Qt may hold for us between two reads. Without a limit the
// network thread buffers whatever arrives, bound or no bound.
constexpr qint64 kReadBufferBytes = 64 * 1024;

// What happened to one request, beyond what the reply itself says.
struct Transfer {
    QByteArray body;
    bool truncated = false;
    bool timedOut = false;
    // The program was asked to end while the answer was awaited.
    bool interrupted = false;
};

bool IsHttp(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

// Qt turns every 4xx and 5xx status into an error code, yet the answer is
// complete. Most statuses land in the content and server ranges; 400 and 418
// become ProtocolInvalidOperationError and 407 ProxyAuthenticationRequiredError.
// Qt uses those codes for trouble of its own too, so the status has to be
// there as well.
bool IsHttpStatusError(QNetworkReply::NetworkError error, int status) {
    using E = QNetworkReply::NetworkError;
    const bool statusCode = (error >= E::ContentAccessDenied && error <= E::UnknownContentError) ||
                            (error >= E::InternalServerError && error <= E::UnknownServerError) ||
                            error == E::ProtocolInvalidOperationError ||
                            error == E::ProxyAuthenticationRequiredError;
    return statusCode && status >= 400;
}

// Qt 6.4 notices a body that ends before its Content-Length only when the
// server's close reaches it in a certain order, and a 4xx status hides the
// failure anyway. So the length is checked here. Only identity bodies come
// this far, so the length counts the bytes read.
bool ShortOfDeclaredLength(QNetworkReply& reply, int status, qint64 bodyBytes) {
    // These never carry a body, whatever length they name.
    if (status == 204 || status == 304)
        return false;
    const QVariant declared = reply.header(QNetworkRequest::ContentLengthHeader);
    return declared.isValid() && declared.toLongLong() > bodyBytes;
}

bool IsIdentityCoding(const QByteArray& coding) {
    const QByteArray trimmed = coding.trimmed().toLower();
    return trimmed.isEmpty() || trimmed == "identity";
}

QNetworkRequest MakeRequest(const QUrl& url, const FetchSettings& settings) {
    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(settings.maxRedirects);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    // Every check asks afresh; no cache on the way may answer for the server.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Cache-Control", "no-cache");
    // Left to itself Qt asks for gzip, deflate and brotli, and then neither a
    // compressed body cut short nor one behind a broken Content-Length is
    // noticed. A probe page gains nothing from compression; asking for none
    // keeps Qt's length checks working.
    request.setRawHeader("Accept-Encoding", "identity");
    return request;
}

QString CompleteText(QNetworkReply& reply, const QByteArray& body) {
    const QString status =
        StatusLine(reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                   reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
                   reply.attribute(QNetworkRequest::Http2WasUsedAttribute).toBool());
    return AnswerText(status, reply.rawHeaderPairs(),
                      DecodeBody(body, reply.rawHeader("Content-Type")));
}

[[noreturn]] void Fail(const QUrl& url, FetchFailure failure, const QString& detail = {}) {
    throw PlatformError(FailureReport(url, failure, detail), PlatformError::Severity::StopsHandler);
}

// Waits for the reply to finish, reading the body as it comes.
Transfer Await(QNetworkReply& reply, const FetchSettings& settings) {
    Transfer transfer;
    QEventLoop loop;

    auto drain = [&] {
        const qint64 room = settings.maxBodyBytes - transfer.body.size();
        if (room > 0)
            transfer.body += reply.read(room);
        if (transfer.body.size() >= settings.maxBodyBytes && !reply.isFinished() &&
            !transfer.truncated) {
            // The rest is dropped unread; the answer is judged on what came.
            transfer.truncated = true;
            reply.abort();
        }
    };
    QObject::connect(&reply, &QNetworkReply::readyRead, &loop, drain);
    QObject::connect(&reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    // Qt's own transfer time-out restarts with every byte of body and looks
    // like abort() when it fires. One deadline over the whole exchange, with
    // a flag of our own, bounds the wait and says what happened.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        if (reply.isFinished())
            return;
        transfer.timedOut = true;
        reply.abort();
    });

    {
        const InputDrop drop;
        deadline.start(settings.timeout);
        if (!reply.isFinished())
            loop.exec();
        // exec() also returns when the program is asked to end.
        if (!reply.isFinished()) {
            transfer.interrupted = true;
            reply.abort();
        }
        deadline.stop();
    }
    if (!transfer.truncated && !transfer.timedOut && !transfer.interrupted)
        drain();
    return transfer;
}

QString Judge(const QUrl& url, QNetworkReply& reply, const Transfer& transfer) {
    if (transfer.timedOut)
        Fail(url, FetchFailure::TimedOut);
    if (transfer.interrupted)
        Fail(url, FetchFailure::Interrupted);

    const QNetworkReply::NetworkError error = reply.error();
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool answered = transfer.truncated || error == QNetworkReply::NoError ||
                          IsHttpStatusError(error, status.toInt());
    if (!answered) {
        // A redirect to a scheme Qt cannot fetch (file:, ftp:) reads as an
        // unknown protocol, as if our own address were bad.
        if (error == QNetworkReply::ProtocolUnknownError && status.toInt() / 100 == 3)
            Fail(url, FetchFailure::InsecureRedirect);
        Fail(url, ClassifyNetworkError(error, status.isValid()), reply.errorString());
    }
    if (!status.isValid())
        Fail(url, FetchFailure::NotHttp);
    const QByteArray coding = reply.rawHeader("Content-Encoding");
    if (!IsIdentityCoding(coding))
        Fail(url, FetchFailure::UnrequestedCoding, QString::fromLatin1(coding));
    if (!transfer.truncated && ShortOfDeclaredLength(reply, status.toInt(), transfer.body.size()))
        Fail(url, FetchFailure::CutShort);
    return CompleteText(reply, transfer.body);
}

} // namespace

PageFetcher::PageFetcher() = default;
PageFetcher::~PageFetcher() = default;

QString PageFetcher::get(const QUrl& url, const FetchSettings& settings) {
    if (!IsHttp(url))
        Fail(url, FetchFailure::BadAddress);
    if (!network_)
        network_ = std::make_unique<QNetworkAccessManager>();

    const std::unique_ptr<QNetworkReply> reply(network_->get(MakeRequest(url, settings)));
    reply->setReadBufferSize(kReadBufferBytes);
    const Transfer transfer = Await(*reply, settings);
    return Judge(url, *reply, transfer);
}

FetchFailure ClassifyNetworkError(QNetworkReply::NetworkError error, bool gotStatus) {
    using E = QNetworkReply::NetworkError;
    switch (error) {
    case E::HostNotFoundError:
        return FetchFailure::HostNotFound;
    case E::ConnectionRefusedError:
        return FetchFailure::Refused;
    case E::TimeoutError:
        return FetchFailure::TimedOut;
    case E::RemoteHostClosedError:
        return gotStatus ? FetchFailure::CutShort : FetchFailure::NotHttp;
    case E::TooManyRedirectsError:
        return FetchFailure::TooManyRedirects;
    case E::InsecureRedirectError:
        return FetchFailure::InsecureRedirect;
    case E::ProtocolFailure:
    case E::ProtocolInvalidOperationError:
        return FetchFailure::Unreadable;
    case E::ProtocolUnknownError:
        return FetchFailure::BadAddress;
    case E::SslHandshakeFailedError:
        return FetchFailure::SecureChannel;
    case E::ProxyConnectionRefusedError:
    case E::ProxyConnectionClosedError:
    case E::ProxyNotFoundError:
    case E::ProxyTimeoutError:
    case E::ProxyAuthenticationRequiredError:
    case E::UnknownProxyError:
        return FetchFailure::Proxy;
    case E::TemporaryNetworkFailureError:
    case E::NetworkSessionFailedError:
    case E::BackgroundRequestNotAllowedError:
    case E::UnknownNetworkError:
        return FetchFailure::Network;
    default:
        return FetchFailure::Other;
    }
}

namespace {

struct Reason {
    const char16_t* text;
    // Whether Qt's own words add anything the user could act on.
    bool withDetail;
};

Reason ReasonFor(FetchFailure failure) {
    switch (failure) {
    case FetchFailure::BadAddress:
        return {u"网址无效，或者不是 http/https 网址。", false};
    case FetchFailure::HostNotFound:
        return {u"找不到服务器。", false};
    case FetchFailure::Refused:
        return {u"服务器拒绝连接。", false};
    case FetchFailure::TimedOut:
        return {u"等待应答超时。", false};
    case FetchFailure::CutShort:
        return {u"应答还没有收完，连接就断开了。", false};
    case FetchFailure::TooManyRedirects:
        return {u"网页重定向次数过多。", false};
    case FetchFailure::InsecureRedirect:
        return {u"网页被重定向到不安全或无法读取的地址。", false};
    case FetchFailure::NotHttp:
        return {u"服务器没有给出有效的 HTTP 应答。", false};
    case FetchFailure::Unreadable:
        return {u"服务器的应答无法识别。", true};
    case FetchFailure::UnrequestedCoding:
        return {u"服务器的应答用了没有约定的内容编码，无法读取。", true};
    case FetchFailure::SecureChannel:
        return {u"无法建立安全连接。", true};
    case FetchFailure::Proxy:
        return {u"代理服务器出错。", true};
    case FetchFailure::Network:
        return {u"网络不可用。", true};
    case FetchFailure::Interrupted:
        return {u"程序正在退出，读取已中止。", false};
    case FetchFailure::Other:
        break;
    }
    return {u"网络错误。", true};
}

} // namespace

QString FailureReport(const QUrl& url, FetchFailure failure, const QString& detail) {
    const Reason reason = ReasonFor(failure);
    QString report = QStringLiteral("读取网页“%1”失败：%2")
                         .arg(url.toDisplayString(), QString::fromUtf16(reason.text));
    if (reason.withDetail && !detail.isEmpty())
        report += QStringLiteral("（%1）").arg(detail);
    return report;
}

} // namespace quobel
