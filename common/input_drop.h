#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace quobel {

// Drops the user's input for as long as it lives, so that a handler can wait
// (for an answer from the network, for a window to leave the screen) with the
// event loop running: windows keep painting, sockets and timers keep working.
// QEventLoop's ExcludeUserInputEvents only postpones input, and a click made
// during the wait would still land once it ends.
//
// Header-only: the capture library waits the same way and links nothing of
// the program.
class InputDrop : public QObject {
public:
    InputDrop() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputDrop() override {
        // Input that reached the queue during the last step goes the same way,
        // not to the windows a moment after the wait.
        QCoreApplication::processEvents();
        QCoreApplication::instance()->removeEventFilter(this);
    }
    InputDrop(const InputDrop&) = delete;
    InputDrop& operator=(const InputDrop&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->isInputEvent())
            return true;
        switch (event->type()) {
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::InputMethod:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return true;
        case QEvent::Close:
            // A close asked for by the window system waits too: ignoring it
            // leaves the window up and the request unharmed.
            if (event->spontaneous()) {
                event->ignore();
                return true;
            }
            return false;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

} // namespace quobel
