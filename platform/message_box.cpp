#include "platform/message_box.h"

namespace quobel {

void ExecMessageBox(const QString& text, const QString& title, QMessageBox::Icon icon) {
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    // Plain text: a reply or a report is never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace quobel
