#include "platform/forms.h"

#include "platform/run_handler.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>

#include <stdexcept>

namespace quobel {

Form::Form(FormId id, QWidget* parent) : QMainWindow(parent), id_(id) {
    setObjectName(FormName(id));
}

void Form::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    // Only a close asked for by the window system counts as the user leaving;
    // the program's own unloading hides windows without closing them.
    if (event->isAccepted() && event->spontaneous())
        emit closedByUser();
}

void Form::connectHandler(QStringView control, std::function<void()> handler) {
    const QString name = control.toString();
    const auto run = [handler = std::move(handler)] { RunHandler(handler); };
    if (auto* button = findChild<QAbstractButton*>(name))
        connect(button, &QAbstractButton::clicked, this, run);
    else if (auto* item = findChild<QAction*>(name))
        connect(item, &QAction::triggered, this, run);
}

void FormRegistry::registerForm(FormId id, Factory factory) {
    factories_[id] = std::move(factory);
}

Form* FormRegistry::loaded(FormId id) const {
    const auto it = loaded_.find(id);
    return it == loaded_.end() ? nullptr : it->second.data();
}

bool FormRegistry::anyLoaded() const {
    for (const auto& [id, form] : loaded_) {
        if (form)
            return true;
    }
    return false;
}

void FormRegistry::load(FormId id) {
    if (loaded(id))
        return;
    const auto factory = factories_.find(id);
    // A programming fault, caught in every kind of build: RunHandler reports
    // it as an internal error and ends the program.
    if (factory == factories_.end())
        throw std::logic_error("no window " + FormName(id).toStdString() +
                               " was registered to be loaded");
    Form* form = factory->second();
    loaded_[id] = form;
    connect(form, &Form::closedByUser, this, [this, id] { closedByUser(id); });
    form->Form_Load();
}

void FormRegistry::show(FormId id) {
    load(id);
    if (Form* form = loaded(id))
        form->show();
}

void FormRegistry::unload(FormId id) {
    Form* form = loaded(id);
    loaded_.erase(id);
    if (!form)
        return;
    form->hide();
    form->deleteLater();
}

void FormRegistry::unloadAll() {
    for (const auto& [id, form] : loaded_) {
        if (form) {
            form->hide();
            form->deleteLater();
        }
    }
    loaded_.clear();
}

void FormRegistry::closedByUser(FormId id) {
    unload(id);
    if (!anyLoaded())
        emit lastWindowClosedByUser();
}

} // namespace quobel
