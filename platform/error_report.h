#pragma once

#include <QString>

namespace quobel {

// The run-time error report: a modal box titled with the application title
// that says in plain words which step failed.
void ReportRuntimeError(const QString& report);

} // namespace quobel
