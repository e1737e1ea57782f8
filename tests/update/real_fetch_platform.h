#pragma once

#include "platform/page_fetcher.h"
#include "recording_platform.h"

#include <QUrl>

#include <functional>

namespace quobel::testing {

// Records every operation like RecordingPlatform, but really fetches pages:
// the program's own addresses point at hosts a test cannot reach, so each
// fetch keeps its path and goes to `server` instead.
class RealFetchPlatform : public RecordingPlatform {
public:
    explicit RealFetchPlatform(QUrl serverRoot) : serverRoot_(std::move(serverRoot)) {}

    QString fetchPage(const QString& url, const FetchSettings& settings) override;

    // Where the last fetch really went.
    QUrl lastTarget;

private:
    QUrl serverRoot_;
    PageFetcher fetcher_;
};

} // namespace quobel::testing
