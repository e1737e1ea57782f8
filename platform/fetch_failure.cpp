#include "platform/fetch_failure.h"

namespace quobel {

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
