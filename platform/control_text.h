#pragma once

#include <QString>

class QWidget;

namespace quobel {

// Puts text where a control of its kind shows it: a window's caption, a
// button's or label's caption, a text box's contents.
void ApplyText(QWidget& control, const QString& text);

} // namespace quobel
