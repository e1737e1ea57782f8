#include "platform/run_handler.h"

#include "platform/platform.h"
#include "platform/platform_error.h"

#include <QCoreApplication>

namespace quobel {

namespace {
constexpr int kExitAfterFatalError = 1;

void Report(const QString& report, PlatformError::Severity severity) {
    Platform& platform = Platform::current();
    platform.reportRuntimeError(report);
    if (severity == PlatformError::Severity::EndsProgram)
        platform.endProgram(kExitAfterFatalError);
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
