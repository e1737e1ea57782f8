#pragma once

#include "platform/platform.h"

#include <QIcon>
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

// What the real platform shows for them: parentless application-modal boxes
// with one OK button and plain text, each returning when it is dismissed. The
// error box carries the critical icon.
class MessageBoxes {
public:
    void exec(const QString& text, const QString& title);
    void execError(const QString& report);

private:
    void exec(const QString& text, const QString& title, bool error);

    // Qt's style makes a new icon for the OK button of every box, and painting
    // the button leaves a scaled copy of each new icon in QPixmapCache, which
    // keeps up to 10 MiB: about 2 KiB more for every box shown. The buttons
    // of all boxes share this one icon instead, so the cache holds one copy.
    QIcon okIcon_;
};

} // namespace quobel
