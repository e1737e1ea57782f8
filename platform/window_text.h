#pragma once

#include <QString>

class QWidget;

namespace quobel {

void SetCaption(QWidget& window, const QString& caption);
// A button's caption, a label's text or a text box's contents.
void SetText(QWidget& control, const QString& text);
void MinimiseWindow(QWidget& window);

} // namespace quobel
