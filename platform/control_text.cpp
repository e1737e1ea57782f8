#include "platform/control_text.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

namespace quobel {

void SetTexts(QWidget& window, std::span<const ControlText> texts) {
    for (const ControlText& entry : texts) {
        QWidget* control = window.findChild<QWidget*>(entry.control.toString());
        Q_ASSERT_X(control, "SetTexts", "text for a control the window lacks");
        if (control)
            SetText(*control, entry.text.toString());
    }
}

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
