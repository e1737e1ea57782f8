#pragma once

#include "platform/platform.h"

#include <QMainWindow>
#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <span>

namespace quobel {

// A window's handler for the event of one of its controls, named after the
// control: "Command4" runs Command4_Click when clicked, the menu item "qory"
// runs qory_Click when chosen.
template <typename Window> struct EventHandler {
    QStringView control;
    void (Window::*handler)();
};

// Base of the program's four windows. A window is built hidden, then its
// load handler runs, and it becomes visible only when it is shown.
class Form : public QMainWindow {
    Q_OBJECT
public:
    Form(FormId id, QWidget* parent = nullptr);

    FormId id() const { return id_; }
    virtual void Form_Load() = 0;

signals:
    // The user closed the window through the window system (close button,
    // Alt+F4); the window has no handler of its own for this.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

    // Connects each control's event to its handler. Controls the window
    // lacks are passed over (the edition without advertisements has no blog
    // buttons).
    template <typename Window>
    void connectHandlers(std::span<const EventHandler<Window>> handlers) {
        auto* window = static_cast<Window*>(this);
        for (const auto& [control, handler] : handlers)
            connectHandler(control, [window, run = handler] { (window->*run)(); });
    }

private:
    // Every event of every window reaches its handler through RunHandler, so
    // no failure ever reaches Qt's event loop.
    void connectHandler(QStringView control, std::function<void()> handler);

    FormId id_;
};

// Each window has one program-wide instance. Loading creates it and runs its
// load handler; showing loads it if needed; unloading destroys it, and a later
// load builds a fresh one.
inline void LoadForm(FormId id) {
    Platform::current().loadForm(id);
}
inline void ShowForm(FormId id) {
    Platform::current().showForm(id);
}
inline void UnloadForm(FormId id) {
    Platform::current().unloadForm(id);
}

// What the real platform does for them: keeps the one instance of each
// window. Windows are never deleted under a running handler: unloading hides
// the window at once and frees it only when control is back in the event
// loop that was running when it was unloaded.
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
