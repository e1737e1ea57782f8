#pragma once

#include <QNetworkReply>
#include <QString>
#include <QUrl>

namespace quobel {

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
