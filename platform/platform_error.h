#pragma once

#include <QString>

#include <exception>

namespace quobel {

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
