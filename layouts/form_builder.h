#pragma once

#include "layouts/layout_types.h"

#include <QPointF>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QObject;
class QWidget;

namespace quobel {

class Form;

struct BuildOptions {
    // Makes the window's invisible transfer control; without it the layout's
    // transfer control is left out.
    std::function<QObject*(QObject* parent)> makeTransferControl;
    // Horizontal and vertical dots per inch; the window's screen when unset.
    std::optional<QPointF> dotsPerInch;
};

// Gives a freshly made window everything its layout holds: designed caption,
// client size, the controls in layout order with their places, sizes and
// designed texts, the tab order, the menu, and the focus on the first control
// in tab order that can take it.
void BuildForm(Form& form, const WindowLayout& layout, const BuildOptions& options = {});

// A control or menu item of a built window, by name; nullptr when the window
// has none of that name.
QWidget* FindControl(const QWidget& form, QStringView name);
QAction* FindMenuItem(const QWidget& form, QStringView name);

} // namespace quobel
