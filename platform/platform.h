#pragma once

// The one seam between the program and the machine. Every operation the
// windows perform on the outside world (boxes, links, the icon, window
// loading, texts, the capture library, HTTP, ending the program) goes through
// the Platform that is current, so a test can install a recorder and read
// back exactly what a handler did, in order.
//
// Each service header beside this one offers its operations to the windows
// under their own names (ShowMessage, OpenLink, ...), forwarding here, and
// holds the real work that QtPlatform does for them.

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <exception>
#include <optional>

class QWidget;

namespace quobel {

enum class FormId { Form1, Form2, Form3, Form5 };

QString FormName(FormId id);

struct FetchSettings {
    std::chrono::milliseconds timeout{std::chrono::seconds(60)};
    // A probe page is a few bytes; anything past this is dropped unread.
    qint64 maxBodyBytes = 1 << 20;
    int maxRedirects = 10;
};

class Platform {
public:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    virtual ~Platform();

    virtual void showMessage(const QString& text, const std::optional<QString>& title) = 0;
    virtual void reportRuntimeError(const QString& report) = 0;
    virtual void openLink(const QString& url) = 0;
    virtual void loadProgramIcon(QWidget& window) = 0;
    virtual void setCaption(QWidget& window, const QString& caption) = 0;
    virtual void setText(QWidget& control, const QString& text) = 0;
    virtual void minimise(QWidget& window) = 0;
    virtual void loadForm(FormId id) = 0;
    virtual void showForm(FormId id) = 0;
    virtual void unloadForm(FormId id) = 0;
    virtual void endProgram(int exitCode) = 0;
    virtual bool previousInstanceRunning() = 0;
    virtual std::int32_t cameraSubArea(std::int32_t mode) = 0;
    // The full answer as text: status line, headers, blank line, body.
    virtual QString httpGet(const QString& url, const FetchSettings& settings) = 0;

    // The platform in force; there is always one once the program or a test
    // has installed it.
    static Platform& current();

private:
    friend class PlatformScope;
    static Platform* current_;
};

// Makes a platform current for its lifetime and restores the previous one.
class PlatformScope {
public:
    explicit PlatformScope(Platform& platform);
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;
    ~PlatformScope();

private:
    Platform* previous_;
};

// A platform step that failed. Handlers do not catch it: it unwinds the
// handler at the failing step, and RunHandler shows the run-time error report.
class PlatformError : public std::exception {
public:
    enum class Severity {
        // The program cannot go on (its icon is gone): report, then end.
        EndsProgram,
        // Only the current handler stops (a failed page fetch, no capture
        // library): report and keep running, a later attempt tries again.
        StopsHandler,
    };

    PlatformError(QString report, Severity severity)
        : report_(std::move(report)), severity_(severity), utf8_(report_.toUtf8()) {}

    const QString& report() const { return report_; }
    Severity severity() const { return severity_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString report_;
    Severity severity_;
    QByteArray utf8_;
};

// Thrown by EndProgram so that nothing after it in any handler runs.
class ProgramEnded : public std::exception {
public:
    const char* what() const noexcept override { return "the program has ended"; }
};

} // namespace quobel
