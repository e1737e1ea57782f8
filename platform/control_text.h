#pragma once

#include "platform/platform.h"

#include <QString>
#include <QStringView>

#include <span>

class QWidget;

namespace quobel {

// The caption every window's load handler sets over its designed one.
inline constexpr QStringView kWindowCaption = u"QuobelV3.2.5跟进版";

inline void SetCaption(QWidget& window, const QString& caption) {
    Platform::current().setCaption(window, caption);
}
// A button's caption, a label's text or a text box's contents.
inline void SetText(QWidget& control, const QString& text) {
    Platform::current().setText(control, text);
}
inline void MinimiseWindow(QWidget& window) {
    Platform::current().minimise(window);
}

// A text a window's load handler puts on one of its controls.
struct ControlText {
    QStringView control;
    QStringView text;
};

// Sets each text on the window's control of that name, in order.
void SetTexts(QWidget& window, std::span<const ControlText> texts);

// What the real platform does for SetText: puts the text where a control of
// its kind shows it, a window's caption, a button's or label's caption, a
// text box's contents.
void ApplyText(QWidget& control, const QString& text);

} // namespace quobel
