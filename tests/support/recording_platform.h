#pragma once

#include "platform/platform.h"

#include <QHash>
#include <QStringList>

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

    void showMessage(const QString& text, const std::optional<QString>& title) override;
    void reportRuntimeError(const QString& report) override;
    void openLink(const QString& url) override;
    void loadProgramIcon(QWidget& window) override;
    void setCaption(QWidget& window, const QString& caption) override;
    void setText(QWidget& control, const QString& text) override;
    void minimise(QWidget& window) override;
    void loadForm(FormId id) override;
    void showForm(FormId id) override;
    void unloadForm(FormId id) override;
    void endProgram(int exitCode) override;
    bool previousInstanceRunning() override;
    std::int32_t cameraSubArea(std::int32_t mode) override;
    QString fetchPage(const QString& url, const FetchSettings& settings) override;

    // Log lines in the form the tests compare against.
    static QString Message(const QString& text);
    static QString Message(const QString& text, const QString& title);
};

} // namespace quobel::testing
