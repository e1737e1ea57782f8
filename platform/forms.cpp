#include "platform/forms.h"

#include <QCloseEvent>

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

} // namespace quobel
