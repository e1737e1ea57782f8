#include "CameraDll/window_settle.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <QWindow>

namespace camera {

namespace {

bool AnyMinimisedWindowStillShown() {
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if ((window->windowStates() & Qt::WindowMinimized) && window->isExposed())
            return true;
    }
    return false;
}

// Keeps windows painting and X events flowing, but lets no input through.
template <typename Done> void ProcessEventsUntil(QDeadlineTimer deadline, Done done) {
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        QThread::msleep(2);
    }
}

} // namespace

void WaitForMinimisedWindowsToLeave(std::chrono::milliseconds limit) {
    if (!AnyMinimisedWindowStillShown())
        return;
    ProcessEventsUntil(QDeadlineTimer(limit), [] { return !AnyMinimisedWindowStillShown(); });
    // The window is reported gone when its own surface is unmapped; the
    // window manager's frame and the uncovered desktop need a moment more to
    // be drawn.
    ProcessEventsUntil(QDeadlineTimer(std::chrono::milliseconds(60)), [] { return false; });
}

} // namespace camera
