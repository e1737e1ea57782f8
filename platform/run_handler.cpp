#include "platform/run_handler.h"

#include "platform/message_box.h"

#include <QCoreApplication>

namespace quobel {

namespace {
constexpr int kExitAfterFatalError = 1;

void Report(const QString& report, PlatformError::Severity severity) {
    ReportRuntimeError(report);
    // Not EndProgram(): that unwinds a handler, and this one is over already.
    if (severity == PlatformError::Severity::EndsProgram)
        Platform::current().endProgram(kExitAfterFatalError);
}
} // namespace

void RunHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const ProgramEnded&) {
        // Everything was torn down by EndProgram already.
    } catch (const PlatformError& error) {
        Report(error.report(), error.severity());
    } catch (const std::exception& error) {
        Report(QCoreApplication::translate("RunHandler", "程序内部错误：%1")
                   .arg(QString::fromLocal8Bit(error.what())),
               PlatformError::Severity::EndsProgram);
    }
}

} // namespace quobel
