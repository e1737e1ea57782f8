#include "CameraDll/input_drop.h"

#include <QCoreApplication>
#include <QEvent>

namespace camera {

InputDrop::InputDrop() {
    QCoreApplication::instance()->installEventFilter(this);
}

InputDrop::~InputDrop() {
    // Input that reached the queue during the last step goes the same way.
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputDrop::eventFilter(QObject* watched, QEvent* event) {
    if (event->isInputEvent())
        return true;
    switch (event->type()) {
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    case QEvent::Close:
        // A window closed by the person meanwhile stays: ignoring the request
        // leaves the window up and the host unharmed.
        if (event->spontaneous()) {
            event->ignore();
            return true;
        }
        return false;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace camera
