#include "window_fixtures.h"

#include "app/confirmation_window.h"
#include "app/start_window.h"
#include "chat/chat_window.h"
#include "platform/run_handler.h"

#include <QApplication>

#include <functional>
#include <map>

namespace quobel::testing {

QStringList VisibleForms() {
    QStringList names;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<Form*>(widget) && widget->isVisible())
            names << widget->objectName();
    }
    names.sort();
    return names;
}

std::unique_ptr<Form> MakeWindow(FormId id) {
    switch (id) {
    case FormId::Form1:
        return std::make_unique<StartWindow>();
    case FormId::Form3:
        return std::make_unique<ConfirmationWindow>();
    case FormId::Form2:
    case FormId::Form5:
        return std::make_unique<ChatWindow>(id);
    }
    return nullptr;
}

namespace {

template <typename Window> using HandlerTable = std::map<QString, void (Window::*)()>;

template <typename Window>
bool RunFrom(Window& window, const HandlerTable<Window>& table, const QString& name) {
    const auto it = table.find(name);
    if (it == table.end())
        return false;
    RunHandler([&] { (window.*(it->second))(); });
    return true;
}

} // namespace

bool RunNamedHandler(Form& form, const QString& handler) {
    if (handler == QLatin1String("Form_Load")) {
        RunHandler([&] { form.Form_Load(); });
        return true;
    }
    if (auto* start = qobject_cast<StartWindow*>(&form)) {
        static const HandlerTable<StartWindow> table{
            {"Command1_Click", &StartWindow::Command1_Click},
            {"Command2_Click", &StartWindow::Command2_Click},
            {"Command3_Click", &StartWindow::Command3_Click},
            {"Command4_Click", &StartWindow::Command4_Click},
        };
        return RunFrom(*start, table, handler);
    }
    if (auto* confirm = qobject_cast<ConfirmationWindow*>(&form)) {
        static const HandlerTable<ConfirmationWindow> table{
            {"Command1_Click", &ConfirmationWindow::Command1_Click},
            {"Command2_Click", &ConfirmationWindow::Command2_Click},
        };
        return RunFrom(*confirm, table, handler);
    }
    if (auto* chat = qobject_cast<ChatWindow*>(&form)) {
        static const HandlerTable<ChatWindow> table{
            {"Command1_Click", &ChatWindow::Command1_Click},
            {"Command2_Click", &ChatWindow::Command2_Click},
            {"Command3_Click", &ChatWindow::Command3_Click},
            {"Command4_Click", &ChatWindow::Command4_Click},
            {"Command5_Click", &ChatWindow::Command5_Click},
            {"Command6_Click", &ChatWindow::Command6_Click},
            {"Command7_Click", &ChatWindow::Command7_Click},
            {"Command8_Click", &ChatWindow::Command8_Click},
            {"Command9_Click", &ChatWindow::Command9_Click},
            {"Command10_Click", &ChatWindow::Command10_Click},
            {"Command11_Click", &ChatWindow::Command11_Click},
            {"qory_Click", &ChatWindow::qory_Click},
        };
        return RunFrom(*chat, table, handler);
    }
    return false;
}

FormId FormIdFromName(const QString& name) {
    for (FormId id : {FormId::Form1, FormId::Form2, FormId::Form3, FormId::Form5}) {
        if (FormName(id) == name)
            return id;
    }
    qFatal("unknown window %s", qPrintable(name));
}

} // namespace quobel::testing
