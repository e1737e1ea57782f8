#pragma once

#include "platform/platform.h"

#include <QString>

#include <memory>

class QNetworkAccessManager;
class QUrl;

namespace quobel {

// One HTTP GET, waited for on the calling thread. While it waits the windows
// keep repainting and timers and sockets keep running, but user input is
// dropped, so a click cannot start a second request inside the first.
//
// The whole exchange (connecting, redirects, headers, body) has to finish
// within the time-out; a server that trickles bytes cannot stretch it. The
// body is read up to the bound and the rest dropped unread: the answer then
// counts as complete with what was read.
class PageFetcher {
public:
    struct Outcome {
        bool completed = false;
        // Completed: the answer as text (status line, headers, blank line,
        // body). Failed: the error report, in Chinese.
        QString text;
    };

    PageFetcher();
    ~PageFetcher();
    PageFetcher(const PageFetcher&) = delete;
    PageFetcher& operator=(const PageFetcher&) = delete;

    Outcome fetch(const QUrl& url, const FetchSettings& settings);

private:
    std::unique_ptr<QNetworkAccessManager> network_;
};

} // namespace quobel
