#pragma once

#include "platform/capture_binding.h"
#include "platform/control_text.h"
#include "platform/forms.h"
#include "platform/instance_lock.h"
#include "platform/link_opener.h"
#include "platform/message_box.h"
#include "platform/page_fetcher.h"
#include "platform/program_icon.h"

#include <QCoreApplication>
#include <QUrl>
#include <QWidget>

namespace quobel {

// The platform the program runs on: real boxes, browser, files, windows,
// capture library and network. Each operation hands over to its service;
// once the program has ended, nothing more reaches the screen, the browser
// or the network.
class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    FormRegistry& forms() { return forms_; }
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }

    void showMessage(const QString& text, const std::optional<QString>& title) override {
        if (!ended_)
            boxes_.exec(text, title.value_or(kApplicationTitle));
    }
    void reportRuntimeError(const QString& report) override {
        if (!ended_)
            boxes_.execError(report);
    }
    void openLink(const QString& url) override {
        if (!ended_)
            OpenInBrowser(url);
    }
    void loadProgramIcon(QWidget& window) override { SetProgramIcon(window); }
    void setCaption(QWidget& window, const QString& caption) override {
        window.setWindowTitle(caption);
    }
    void setText(QWidget& control, const QString& text) override { ApplyText(control, text); }
    void minimise(QWidget& window) override {
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
    }
    void loadForm(FormId id) override {
        if (!ended_)
            forms_.load(id);
    }
    void showForm(FormId id) override {
        if (!ended_)
            forms_.show(id);
    }
    void unloadForm(FormId id) override { forms_.unload(id); }
    void endProgram(int exitCode) override {
        if (ended_)
            return;
        ended_ = true;
        exitCode_ = exitCode;
        forms_.unloadAll();
        // exit() leaves every running event loop, nested ones (a modal box, a
        // page fetch) included, and makes later ones return at once.
        QCoreApplication::exit(exitCode);
    }
    bool previousInstanceRunning() override { return instanceLock_.anotherInstanceRunning(); }
    std::int32_t cameraSubArea(std::int32_t mode) override {
        return ended_ ? 0 : capture_.call(mode);
    }
    QString httpGet(const QString& url, const FetchSettings& settings) override {
        return ended_ ? QString() : fetcher_.get(QUrl(url), settings);
    }

private:
    MessageBoxes boxes_;
    FormRegistry forms_;
    InstanceLock instanceLock_;
    CaptureLibraryBinding capture_;
    PageFetcher fetcher_;
    bool ended_ = false;
    int exitCode_ = 0;
};

} // namespace quobel
