#pragma once

#include "platform/platform.h"

#include <QString>

#include <memory>

class QNetworkAccessManager;
class QUrl;

namespace quobel {

// One HTTP GET, waited for on the calling thread. While it waits the windows
// keep repainting and timers and sockets keep running, but user input is
// swallowed, so a click cannot start a second request inside the first.
class PageFetcher {
public:
    struct Outcome {
        bool completed = false;
        // Completed: the answer as text. Failed: what went wrong, in Chinese.
        QString text;
    };

    PageFetcher();
    ~PageFetcher();

    Outcome fetch(const QUrl& url, const FetchSettings& settings);

private:
    std::unique_ptr<QNetworkAccessManager> network_;
};

} // namespace quobel
