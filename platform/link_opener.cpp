#include "platform/link_opener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace quobel {

const BrowserLauncher kXdgOpen{
    u"xdg-open",
    [](const QString& url) { return QProcess::startDetached(QStringLiteral("xdg-open"), {url}); }};

// The addresses are plain http(s) addresses, checked when the program is
// configured, so the handler can only be the browser.
const BrowserLauncher kSystemUrlHandler{u"系统默认的网页打开方式", [](const QString& url) {
                                            return QDesktopServices::openUrl(QUrl(url));
                                        }};

const BrowserLauncher& SystemBrowserLauncher() {
#ifdef _WIN32
    return kSystemUrlHandler;
#else
    return kXdgOpen;
#endif
}

void OpenInBrowser(const QString& url, const BrowserLauncher& launcher) {
    if (!launcher.start(url))
        throw PlatformError(QStringLiteral("无法打开网页“%1”：没能启动浏览器（%2）。")
                                .arg(url, launcher.name.toString()),
                            PlatformError::Severity::EndsProgram);
}

} // namespace quobel
