#include "real_fetch_platform.h"

#include "platform/platform_error.h"

namespace quobel::testing {

QString RealFetchPlatform::fetchPage(const QString& url, const FetchSettings& settings) {
    log << QStringLiteral("FetchPage(%1)").arg(url);
    lastFetchSettings = settings;
    const QUrl asked(url);
    lastTarget = serverRoot_;
    lastTarget.setPath(asked.path());
    lastTarget.setQuery(asked.query());
    const PageFetcher::Outcome outcome = fetcher_.fetch(lastTarget, settings);
    if (!outcome.completed)
        throw PlatformError(outcome.text, PlatformError::Severity::StopsHandler);
    return outcome.text;
}

} // namespace quobel::testing
