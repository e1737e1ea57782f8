#include "window_fixtures.h"

#include "app/confirmation_window.h"
#include "app/start_window.h"
#include "chat/chat_window.h"
#include "platform/run_handler.h"

#include <QApplication>

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

// Runs the handler the window's own table gives the control, directly.
template <typename Window> bool RunFrom(Window& window, const QString& handler) {
    for (const auto& [control, run] : Window::handlers()) {
        if (control.toString() + QLatin1String("_Click") == handler) {
            RunHandler([&window, run = run] { (window.*run)(); });
            return true;
        }
    }
    return false;
}

} // namespace

bool RunNamedHandler(Form& form, const QString& handler) {
    if (handler == QLatin1String("Form_Load")) {
        RunHandler([&] { form.Form_Load(); });
        return true;
    }
    if (auto* start = qobject_cast<StartWindow*>(&form))
        return RunFrom(*start, handler);
    if (auto* confirm = qobject_cast<ConfirmationWindow*>(&form))
        return RunFrom(*confirm, handler);
    if (auto* chat = qobject_cast<ChatWindow*>(&form))
        return RunFrom(*chat, handler);
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
