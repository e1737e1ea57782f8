#include "layouts/form_builder.h"

#include "layouts/twips.h"
#include "layouts/wrapping_button.h"
#include "platform/forms.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <limits>
#include <vector>

namespace quobel {

namespace {

QWidget* MakeControl(const ControlLayout& control, QWidget* client) {
    const QString text = control.text.toString();
    switch (control.kind) {
    case ControlKind::CommandButton: {
        auto* button = new WrappingButton(text, client);
        // Neither Enter nor Escape may press any button.
        button->setAutoDefault(false);
        button->setDefault(false);
        return button;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(client);
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFocusPolicy(Qt::NoFocus);
        return label;
    }
    case ControlKind::TextBox: {
        auto* edit = new QLineEdit(text, client);
        // QLineEdit stops at 32767 characters by default and drops the rest
        // of a paste without a word; the chat box takes any length.
        edit->setMaxLength(std::numeric_limits<int>::max());
        return edit;
    }
    case ControlKind::TransferControl:
        break;
    }
    return nullptr;
}

void BuildMenu(Form& form, const MenuLayout& title) {
    QMenu* menu = form.menuBar()->addMenu(title.caption.toString());
    menu->setObjectName(title.name.toString());
    for (const MenuLayout& item : title.items) {
        QAction* action = menu->addAction(item.caption.toString());
        action->setObjectName(item.name.toString());
        if (item.shortcut) {
            action->setShortcut(QKeySequence(*item.shortcut));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        // Owned by the window too, so the shortcut works whether or not the
        // menu bar is native.
        form.addAction(action);
    }
}

} // namespace

void BuildForm(Form& form, const WindowLayout& layout, const BuildOptions& options) {
    QPointF dpi(96.0, 96.0);
    if (options.dotsPerInch)
        dpi = *options.dotsPerInch;
    else if (const QScreen* screen = form.screen())
        dpi = QPointF(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
    const auto x = [&](int twips) { return TwipsToPixels(twips, dpi.x()); };
    const auto y = [&](int twips) { return TwipsToPixels(twips, dpi.y()); };

    form.setWindowTitle(layout.caption.toString());

    auto* client = new QWidget(&form);
    client->setObjectName(QStringLiteral("client"));
    form.setCentralWidget(client);

    struct Tabbed {
        int index;
        QWidget* widget;
    };
    std::vector<Tabbed> tabbed;
    for (const ControlLayout& control : layout.controls) {
        if (control.kind == ControlKind::TransferControl) {
            if (options.makeTransferControl) {
                QObject* object = options.makeTransferControl(&form);
                object->setObjectName(control.name.toString());
            }
            continue;
        }
        QWidget* widget = MakeControl(control, client);
        widget->setObjectName(control.name.toString());
        widget->setGeometry(x(control.left), y(control.top), x(control.width), y(control.height));
        if (control.tabIndex)
            tabbed.push_back({*control.tabIndex, widget});
    }

    // The shortcut works in the text box too: QLineEdit claims no Ctrl+D
    // through ShortcutOverride (the window tests hold it to that).
    if (layout.menu)
        BuildMenu(form, *layout.menu);

    std::ranges::sort(tabbed, {}, &Tabbed::index);
    QWidget* previous = nullptr;
    QWidget* first = nullptr;
    for (const Tabbed& entry : tabbed) {
        if (!(entry.widget->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, entry.widget);
        else
            first = entry.widget;
        previous = entry.widget;
    }
    if (first)
        first->setFocus(Qt::OtherFocusReason);

    const int menuHeight = layout.menu ? form.menuBar()->sizeHint().height() : 0;
    form.resize(x(layout.clientWidth), y(layout.clientHeight) + menuHeight);
}

QWidget* FindControl(const QWidget& form, QStringView name) {
    return form.findChild<QWidget*>(name.toString());
}

QAction* FindMenuItem(const QWidget& form, QStringView name) {
    return form.findChild<QAction*>(name.toString());
}

} // namespace quobel
