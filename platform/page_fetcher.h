#pragma once

#include "platform/platform.h"

#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;

namespace quobel {

// Fetches the address and returns the answer as text (status line, headers,
// blank line, body), whatever its status. Blocks the calling handler, not the
// screen: windows keep repainting, but no user input is taken until it
// returns. A fetch that gets no complete answer is a failure that stops the
// calling handler.
inline QString HttpGet(const QString& url, const FetchSettings& settings = {}) {
    return Platform::current().httpGet(url, settings);
}

// What the real platform does for HttpGet: one GET, waited for on the calling
// thread. While it waits the windows keep repainting and timers and sockets
// keep running, but user input is dropped, so a click cannot start a second
// request inside the first.
//
// The whole exchange (connecting, redirects, headers, body) has to finish
// within the time-out; a server that trickles bytes cannot stretch it. The
// body is read up to the bound and the rest dropped unread: the answer then
// counts as complete with what was read.
class PageFetcher {
public:
    PageFetcher();
    ~PageFetcher();
    PageFetcher(const PageFetcher&) = delete;
    PageFetcher& operator=(const PageFetcher&) = delete;

    // The answer as text; a fetch without a complete answer throws a
    // PlatformError that stops the handler, with the report in Chinese.
    QString get(const QUrl& url, const FetchSettings& settings);

private:
    std::unique_ptr<QNetworkAccessManager> network_;
};

// Why a fetch ended without a complete answer.
enum class FetchFailure {
    BadAddress,
    HostNotFound,
    Refused,
    TimedOut,
    // The connection closed or was reset before the answer was complete.
    CutShort,
    TooManyRedirects,
    InsecureRedirect,
    // The connection closed before a status line came: nothing at all, or
    // something that is not HTTP (Qt reads no HTTP/0.9).
    NotHttp,
    // Qt could not parse what came back.
    Unreadable,
    // The body came in a content coding that was not asked for.
    UnrequestedCoding,
    SecureChannel,
    Proxy,
    Network,
    // The program was ending while the fetch waited.
    Interrupted,
    Other,
};

// Sorts Qt's error codes. Time-outs and cancellations are not told apart by
// Qt (both end as OperationCanceledError), so the fetch decides those itself
// and never asks here. A closed connection means something else before and
// after a status line came.
FetchFailure ClassifyNetworkError(QNetworkReply::NetworkError error, bool gotStatus);

// The run-time error report for a failed fetch, in the user's language.
// `detail` is Qt's own description, added where the kind alone says little.
QString FailureReport(const QUrl& url, FetchFailure failure, const QString& detail);

} // namespace quobel
