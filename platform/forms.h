#pragma once

#include "platform/platform.h"

#include <QMainWindow>

namespace quobel {

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

private:
    FormId id_;
};

// Each window has one program-wide instance. Loading creates it and runs its
// load handler; showing loads it if needed; unloading destroys it, and a later
// load builds a fresh one.
void LoadForm(FormId id);
void ShowForm(FormId id);
void UnloadForm(FormId id);

} // namespace quobel
