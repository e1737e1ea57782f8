#pragma once

#include "platform/forms.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>

namespace quobel {

// Keeps the one instance of each window. Windows are never deleted under a
// running handler: unloading hides the window at once and frees it only when
// control is back in the event loop that was running when it was unloaded.
class FormRegistry : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<Form*()>;

    void registerForm(FormId id, Factory factory);

    void load(FormId id);
    void show(FormId id);
    void unload(FormId id);
    void unloadAll();

    Form* loaded(FormId id) const;
    bool anyLoaded() const;

signals:
    // The user closed the last loaded window through the window system.
    void lastWindowClosedByUser();

private:
    void closedByUser(FormId id);

    std::map<FormId, Factory> factories_;
    std::map<FormId, QPointer<Form>> loaded_;
};

} // namespace quobel
