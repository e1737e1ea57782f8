#pragma once

#include "platform/page_fetcher.h"
#include "recording_platform.h"

#include <QUrl>

namespace quobel::testing {

// What one fetch came to, for tests that look at answers and failures alike:
// the answer's text, or the failure's report.
struct FetchOutcome {
    bool completed = false;
    QString text;
};

inline FetchOutcome Fetch(PageFetcher& fetcher, const QUrl& url, const FetchSettings& settings) {
    try {
        return {true, fetcher.get(url, settings)};
    } catch (const PlatformError& error) {
        return {false, error.report()};
    }
}

// Records every operation like RecordingPlatform, but really fetches pages:
// the program's own addresses point at hosts a test cannot reach, so each
// fetch keeps its path and goes to `server` instead.
class RealFetchPlatform : public RecordingPlatform {
public:
    explicit RealFetchPlatform(QUrl serverRoot) : serverRoot_(std::move(serverRoot)) {}

    QString httpGet(const QString& url, const FetchSettings& settings) override;

    // Where the last fetch really went.
    QUrl lastTarget;

private:
    QUrl serverRoot_;
    PageFetcher fetcher_;
};

} // namespace quobel::testing
