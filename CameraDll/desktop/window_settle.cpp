#include "CameraDll/desktop/window_settle.h"

#include "CameraDll/desktop/platform_kind.h"
#include "common/input_drop.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>

namespace camera {

namespace {

std::vector<QWindow*> MinimisedButShown() {
    std::vector<QWindow*> shown;
    for (QWindow* window : QGuiApplication::topLevelWindows())
        if ((window->windowStates() & Qt::WindowMinimized) && window->isVisible() &&
            window->isExposed())
            shown.push_back(window);
    return shown;
}

template <typename Done> void ProcessEventsUntil(QDeadlineTimer deadline, Done done) {
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

} // namespace

MinimisedWindowsAway::MinimisedWindowsAway(std::chrono::milliseconds limit) {
    if (MinimisedButShown().empty())
        return;
    const quobel::InputDrop drop;
    if (!OnWayland())
        ProcessEventsUntil(QDeadlineTimer(limit), [] { return MinimisedButShown().empty(); });
    for (QWindow* window : MinimisedButShown()) {
        hidden_.emplace_back(window);
        window->hide();
    }
    // The window is reported gone when its own surface goes; the window
    // manager's frame and the uncovered desktop need a moment more to be
    // drawn.
    ProcessEventsUntil(QDeadlineTimer(std::chrono::milliseconds(60)), [] { return false; });
}

MinimisedWindowsAway::~MinimisedWindowsAway() {
    // Closing a window destroys its platform window; showing it again would
    // undo the host's close.
    for (const QPointer<QWindow>& window : hidden_)
        if (window && window->handle())
            window->setVisible(true);
}

} // namespace camera
