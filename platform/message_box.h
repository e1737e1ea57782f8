#pragma once

#include <QMessageBox>
#include <QString>

namespace quobel {

// A parentless application-modal box with one OK button; returns when it is
// dismissed.
void ExecMessageBox(const QString& text, const QString& title,
                    QMessageBox::Icon icon = QMessageBox::NoIcon);

} // namespace quobel
