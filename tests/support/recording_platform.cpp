#include "recording_platform.h"

#include "platform/control_text.h"
#include "platform/platform_error.h"

#include <QWidget>

namespace quobel::testing {

QString RecordingPlatform::Message(const QString& text) {
    return QStringLiteral("ShowMessage(\"%1\")").arg(text);
}

QString RecordingPlatform::Message(const QString& text, const QString& title) {
    return QStringLiteral("ShowMessage(\"%1\", \"%2\")").arg(text, title);
}

void RecordingPlatform::showMessage(const QString& text, const std::optional<QString>& title) {
    log << (title ? Message(text, *title) : Message(text));
    if (onShowMessage)
        onShowMessage(text);
}

void RecordingPlatform::reportRuntimeError(const QString& report) {
    log << QStringLiteral("ErrorReport(\"%1\")").arg(report);
}

void RecordingPlatform::openLink(const QString& url) {
    log << QStringLiteral("OpenLink(%1)").arg(url);
}

void RecordingPlatform::loadProgramIcon(QWidget& window) {
    log << QStringLiteral("LoadProgramIcon(%1)").arg(window.objectName());
    if (iconFails)
        throw PlatformError(QStringLiteral("no icon"), PlatformError::Severity::EndsProgram);
}

void RecordingPlatform::setCaption(QWidget& window, const QString& caption) {
    log << QStringLiteral("SetCaption(%1, \"%2\")").arg(window.objectName(), caption);
    window.setWindowTitle(caption);
}

void RecordingPlatform::setText(QWidget& control, const QString& text) {
    log << QStringLiteral("SetText(%1, \"%2\")").arg(control.objectName(), text);
    ApplyText(control, text);
}

void RecordingPlatform::minimise(QWidget& window) {
    log << QStringLiteral("Minimise(%1)").arg(window.objectName());
    window.setWindowState(window.windowState() | Qt::WindowMinimized);
}

void RecordingPlatform::loadForm(FormId id) {
    log << QStringLiteral("LoadForm(%1)").arg(FormName(id));
    if (onLoadForm)
        onLoadForm(id);
}

void RecordingPlatform::showForm(FormId id) {
    log << QStringLiteral("ShowForm(%1)").arg(FormName(id));
    if (onShowForm)
        onShowForm(id);
}

void RecordingPlatform::unloadForm(FormId id) {
    log << QStringLiteral("UnloadForm(%1)").arg(FormName(id));
    if (onUnloadForm)
        onUnloadForm(id);
}

void RecordingPlatform::endProgram(int exitCode) {
    log << QStringLiteral("EndProgram(%1)").arg(exitCode);
}

bool RecordingPlatform::previousInstanceRunning() {
    log << QStringLiteral("PreviousInstanceRunning()");
    return anotherInstance;
}

std::int32_t RecordingPlatform::cameraSubArea(std::int32_t mode) {
    log << QStringLiteral("CameraSubArea(%1)").arg(mode);
    if (captureFails)
        throw PlatformError(QStringLiteral("no capture library"),
                            PlatformError::Severity::StopsHandler);
    return 0;
}

QString RecordingPlatform::fetchPage(const QString& url, const FetchSettings& settings) {
    log << QStringLiteral("FetchPage(%1)").arg(url);
    lastFetchSettings = settings;
    if (fetchAnswers.isEmpty())
        throw PlatformError(QStringLiteral("fetch failed"), PlatformError::Severity::StopsHandler);
    return fetchAnswers.takeFirst();
}

} // namespace quobel::testing
