// The named platform operations the windows call. Each one forwards to the
// current platform, which is the single place a test replaces.

#include "platform/capture_library.h"
#include "platform/end_program.h"
#include "platform/error_report.h"
#include "platform/forms.h"
#include "platform/instance_guard.h"
#include "platform/open_link.h"
#include "platform/page_fetch.h"
#include "platform/platform_error.h"
#include "platform/program_icon.h"
#include "platform/show_message.h"
#include "platform/window_text.h"

#include <QCoreApplication>
#include <QDir>

namespace quobel {

Platform* Platform::current_ = nullptr;

Platform::~Platform() = default;

Platform& Platform::current() {
    Q_ASSERT_X(current_, "Platform::current", "no platform installed");
    return *current_;
}

PlatformScope::PlatformScope(Platform& platform) : previous_(Platform::current_) {
    Platform::current_ = &platform;
}

PlatformScope::~PlatformScope() {
    Platform::current_ = previous_;
}

QString FormName(FormId id) {
    switch (id) {
    case FormId::Form1:
        return QStringLiteral("Form1");
    case FormId::Form2:
        return QStringLiteral("Form2");
    case FormId::Form3:
        return QStringLiteral("Form3");
    case FormId::Form5:
        return QStringLiteral("Form5");
    }
    return {};
}

QString ProgramIconPath() {
    // A program in the root folder has a folder path that already ends in a
    // separator; filePath joins with exactly one.
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qor.ico"));
}

void ShowMessage(const QString& text, const std::optional<QString>& title) {
    Platform::current().showMessage(text, title);
}
void ReportRuntimeError(const QString& report) {
    Platform::current().reportRuntimeError(report);
}
void OpenLink(const QString& url) {
    Platform::current().openLink(url);
}
void LoadProgramIcon(QWidget& window) {
    Platform::current().loadProgramIcon(window);
}
void SetCaption(QWidget& window, const QString& caption) {
    Platform::current().setCaption(window, caption);
}
void SetText(QWidget& control, const QString& text) {
    Platform::current().setText(control, text);
}
void MinimiseWindow(QWidget& window) {
    Platform::current().minimise(window);
}
void LoadForm(FormId id) {
    Platform::current().loadForm(id);
}
void ShowForm(FormId id) {
    Platform::current().showForm(id);
}
void UnloadForm(FormId id) {
    Platform::current().unloadForm(id);
}
bool PreviousInstanceRunning() {
    return Platform::current().previousInstanceRunning();
}
std::int32_t CameraSubArea(std::int32_t mode) {
    return Platform::current().cameraSubArea(mode);
}
QString FetchPage(const QString& url, const FetchSettings& settings) {
    return Platform::current().fetchPage(url, settings);
}

void EndProgram() {
    Platform::current().endProgram(0);
    throw ProgramEnded();
}

} // namespace quobel
