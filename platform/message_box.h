#pragma once

#include "platform/platform.h"

#include <QString>

#include <optional>

namespace quobel {

// The title of every box that is given none, and of the error report. The
// windows' captions add "跟进版"; the boxes do not.
inline const QString kApplicationTitle = QStringLiteral("QuobelV3.2.5");

// A modal box with the text, a single OK button and no icon; returns when the
// user has dismissed it.
inline void ShowMessage(const QString& text, const std::optional<QString>& title = std::nullopt) {
    Platform::current().showMessage(text, title);
}

// The run-time error report: a modal box titled with the application title
// that says in plain words which step failed.
inline void ReportRuntimeError(const QString& report) {
    Platform::current().reportRuntimeError(report);
}

// What the real platform shows for them: a parentless application-modal box
// with one OK button, plain text, returning when it is dismissed. The error
// box carries the critical icon.
void ExecMessageBox(const QString& text, const QString& title);
void ExecErrorBox(const QString& report);

} // namespace quobel
