#include "platform/form_registry.h"

namespace quobel {

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
    Q_ASSERT_X(factory != factories_.end(), "FormRegistry::load", "window not registered");
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
