#include "platform/control_text.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

namespace quobel {

void ApplyText(QWidget& control, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(&control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(&control))
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(&control))
        edit->setText(text);
    else
        control.setWindowTitle(text);
}

} // namespace quobel
