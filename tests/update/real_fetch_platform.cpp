#include "real_fetch_platform.h"

namespace quobel::testing {

QString RealFetchPlatform::httpGet(const QString& url, const FetchSettings& settings) {
    log << QStringLiteral("FetchPage(%1)").arg(url);
    lastFetchSettings = settings;
    const QUrl asked(url);
    lastTarget = serverRoot_;
    lastTarget.setPath(asked.path());
    lastTarget.setQuery(asked.query());
    return fetcher_.get(lastTarget, settings);
}

} // namespace quobel::testing
