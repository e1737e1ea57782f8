#pragma once

#include <QString>

#include <optional>

namespace quobel {

// The title of every box that is given none, and of the error report. The
// windows' captions add "跟进版"; the boxes do not.
inline const QString kApplicationTitle = QStringLiteral("QuobelV3.2.5");

// A modal box with the text, a single OK button and no icon; returns when the
// user has dismissed it.
void ShowMessage(const QString& text, const std::optional<QString>& title = std::nullopt);

} // namespace quobel
