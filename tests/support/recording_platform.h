#pragma once

#include "platform/control_text.h"
#include "platform/platform.h"

#include <QStringList>
#include <QWidget>

#include <functional>

namespace quobel::testing {

// Stands in for the whole platform and writes down every operation, in
// order, as one readable line each. Window-local effects (texts, the
// minimised state) are applied as well, so a test can also look at the
// window afterwards. Failures and answers can be scripted.
class RecordingPlatform : public Platform {
public:
    QStringList log;

    // Scripted behaviour.
    bool iconFails = false;
    bool captureFails = false;
    bool anotherInstance = false;
    // Answers for FetchPage, used in order; an empty queue fails the fetch.
    QStringList fetchAnswers;
    // Run when a form is loaded or shown, to let a test build real windows.
    std::function<void(FormId)> onLoadForm;
    std::function<void(FormId)> onShowForm;
    std::function<void(FormId)> onUnloadForm;
    // Run while a message box would be open.
    std::function<void(const QString& text)> onShowMessage;
    FetchSettings lastFetchSettings;

    // Log lines in the form the tests compare against.
    static QString Message(const QString& text) {
        return QStringLiteral("ShowMessage(\"%1\")").arg(text);
    }
    static QString Message(const QString& text, const QString& title) {
        return QStringLiteral("ShowMessage(\"%1\", \"%2\")").arg(text, title);
    }

    void showMessage(const QString& text, const std::optional<QString>& title) override {
        log << (title ? Message(text, *title) : Message(text));
        if (onShowMessage)
            onShowMessage(text);
    }
    void reportRuntimeError(const QString& report) override {
        log << QStringLiteral("ErrorReport(\"%1\")").arg(report);
    }
    void openLink(const QString& url) override { log << QStringLiteral("OpenLink(%1)").arg(url); }
    void loadProgramIcon(QWidget& window) override {
        log << QStringLiteral("LoadProgramIcon(%1)").arg(window.objectName());
        if (iconFails)
            throw PlatformError(QStringLiteral("no icon"), PlatformError::Severity::EndsProgram);
    }
    void setCaption(QWidget& window, const QString& caption) override {
        log << QStringLiteral("SetCaption(%1, \"%2\")").arg(window.objectName(), caption);
        window.setWindowTitle(caption);
    }
    void setText(QWidget& control, const QString& text) override {
        log << QStringLiteral("SetText(%1, \"%2\")").arg(control.objectName(), text);
        ApplyText(control, text);
    }
    void minimise(QWidget& window) override {
        log << QStringLiteral("Minimise(%1)").arg(window.objectName());
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
    }
    void loadForm(FormId id) override {
        log << QStringLiteral("LoadForm(%1)").arg(FormName(id));
        if (onLoadForm)
            onLoadForm(id);
    }
    void showForm(FormId id) override {
        log << QStringLiteral("ShowForm(%1)").arg(FormName(id));
        if (onShowForm)
            onShowForm(id);
    }
    void unloadForm(FormId id) override {
        log << QStringLiteral("UnloadForm(%1)").arg(FormName(id));
        if (onUnloadForm)
            onUnloadForm(id);
    }
    void endProgram(int exitCode) override {
        log << QStringLiteral("EndProgram(%1)").arg(exitCode);
    }
    bool previousInstanceRunning() override {
        log << QStringLiteral("PreviousInstanceRunning()");
        return anotherInstance;
    }
    std::int32_t cameraSubArea(std::int32_t mode) override {
        log << QStringLiteral("CameraSubArea(%1)").arg(mode);
        if (captureFails)
            throw PlatformError(QStringLiteral("no capture library"),
                                PlatformError::Severity::StopsHandler);
        return 0;
    }
    // Logged as the step the transfer control takes.
    QString httpGet(const QString& url, const FetchSettings& settings) override {
        log << QStringLiteral("FetchPage(%1)").arg(url);
        lastFetchSettings = settings;
        if (fetchAnswers.isEmpty())
            throw PlatformError(QStringLiteral("fetch failed"),
                                PlatformError::Severity::StopsHandler);
        return fetchAnswers.takeFirst();
    }
};

} // namespace quobel::testing
