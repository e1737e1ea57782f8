#pragma once

#include "platform/capture_binding.h"
#include "platform/form_registry.h"
#include "platform/instance_lock.h"
#include "platform/page_fetcher.h"
#include "platform/platform.h"

namespace quobel {

// The platform the program runs on: real boxes, browser, files, windows,
// capture library and network.
class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    FormRegistry& forms() { return forms_; }
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }

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

private:
    FormRegistry forms_;
    InstanceLock instanceLock_;
    CaptureLibraryBinding capture_;
    PageFetcher fetcher_;
    bool ended_ = false;
    int exitCode_ = 0;
};

} // namespace quobel
