#include "platform/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace quobel {

void MessageBoxes::exec(const QString& text, const QString& title) {
    exec(text, title, false);
}

void MessageBoxes::execError(const QString& report) {
    exec(report, kApplicationTitle, true);
}

void MessageBoxes::exec(const QString& text, const QString& title, bool error) {
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::NoIcon, title, text,
                    QMessageBox::Ok);
    // Plain text: a reply or a report is never markup.
    box.setTextFormat(Qt::PlainText);
    QAbstractButton* ok = box.button(QMessageBox::Ok);
    if (okIcon_.isNull())
        okIcon_ = ok->icon();
    else
        ok->setIcon(okIcon_);
    box.exec();
}

} // namespace quobel
