#include "platform/qt_platform.h"

#include "platform/control_text.h"
#include "platform/icon_loader.h"
#include "platform/link_opener.h"
#include "platform/message_box.h"
#include "platform/platform_error.h"
#include "platform/program_icon.h"
#include "platform/show_message.h"

#include <QApplication>
#include <QUrl>
#include <QWidget>

namespace quobel {

QtPlatform::QtPlatform() : capture_(QCoreApplication::applicationDirPath()) {
    // Windows are handed over while none is visible (a welcome box between
    // unloading one window and showing the next), so Qt's automatic quit on
    // the last window would end the program by accident. The program ends
    // instead when the user closes the last loaded window, or by EndProgram.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&forms_, &FormRegistry::lastWindowClosedByUser, [this] { endProgram(0); });
}

QtPlatform::~QtPlatform() = default;

void QtPlatform::showMessage(const QString& text, const std::optional<QString>& title) {
    if (ended_)
        return;
    ExecMessageBox(text, title.value_or(kApplicationTitle));
}

void QtPlatform::reportRuntimeError(const QString& report) {
    if (ended_)
        return;
    ExecMessageBox(report, kApplicationTitle, QMessageBox::Critical);
}

void QtPlatform::openLink(const QString& url) {
    if (ended_)
        return;
    if (!StartBrowser(url))
        throw PlatformError(
            QStringLiteral("无法打开网页“%1”：没能启动浏览器（xdg-open）。").arg(url),
            PlatformError::Severity::EndsProgram);
}

void QtPlatform::loadProgramIcon(QWidget& window) {
    const QString path = ProgramIconPath();
    QString reason;
    const std::optional<QIcon> icon = ReadIconFile(path, &reason);
    if (!icon)
        throw PlatformError(QStringLiteral("无法加载图标文件“%1”（%2）。程序需要图标文件才能运行。")
                                .arg(path, reason),
                            PlatformError::Severity::EndsProgram);
    window.setWindowIcon(*icon);
}

void QtPlatform::setCaption(QWidget& window, const QString& caption) {
    window.setWindowTitle(caption);
}

void QtPlatform::setText(QWidget& control, const QString& text) {
    ApplyText(control, text);
}

void QtPlatform::minimise(QWidget& window) {
    window.setWindowState(window.windowState() | Qt::WindowMinimized);
}

void QtPlatform::loadForm(FormId id) {
    if (!ended_)
        forms_.load(id);
}

void QtPlatform::showForm(FormId id) {
    if (!ended_)
        forms_.show(id);
}

void QtPlatform::unloadForm(FormId id) {
    forms_.unload(id);
}

void QtPlatform::endProgram(int exitCode) {
    if (ended_)
        return;
    ended_ = true;
    exitCode_ = exitCode;
    forms_.unloadAll();
    // exit() leaves every running event loop, nested ones (a modal box, a
    // page fetch) included, and makes later ones return at once.
    QCoreApplication::exit(exitCode);
}

bool QtPlatform::previousInstanceRunning() {
    return instanceLock_.anotherInstanceRunning();
}

std::int32_t QtPlatform::cameraSubArea(std::int32_t mode) {
    if (ended_)
        return 0;
    QString reason;
    const auto entry = capture_.bind(&reason);
    if (!entry)
        throw PlatformError(QStringLiteral("无法使用截图库“%1”：%2")
                                .arg(QLatin1String(CaptureLibraryBinding::kLibraryName), reason),
                            PlatformError::Severity::StopsHandler);
    return (*entry)(mode);
}

QString QtPlatform::fetchPage(const QString& url, const FetchSettings& settings) {
    if (ended_)
        return {};
    const PageFetcher::Outcome outcome = fetcher_.fetch(QUrl(url), settings);
    if (!outcome.completed)
        throw PlatformError(outcome.text, PlatformError::Severity::StopsHandler);
    return outcome.text;
}

} // namespace quobel
