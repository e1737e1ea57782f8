#include "platform/message_box.h"

#include <QMessageBox>

namespace quobel {

namespace {

void Exec(const QString& text, const QString& title, QMessageBox::Icon icon) {
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    // Plain text: a reply or a report is never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void ExecMessageBox(const QString& text, const QString& title) {
    Exec(text, title, QMessageBox::NoIcon);
}

void ExecErrorBox(const QString& report) {
    Exec(report, kApplicationTitle, QMessageBox::Critical);
}

} // namespace quobel
