#include "CameraDll/ui/kept_windows.h"

#include <QCoreApplication>
#include <QWidget>

#include <algorithm>

namespace camera {

namespace {

QPointer<KeptWindows> g_kept;

// For a host that ends without leaving its event loop: Qt runs this as its
// application object goes, while windows can still be deleted.
void CloseLeftWindows() {
    if (g_kept)
        g_kept->closeAll();
}

} // namespace

KeptWindows::KeptWindows(QObject* application) : QObject(application) {
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &KeptWindows::closeAll);
    qAddPostRoutine(CloseLeftWindows);
}

KeptWindows& KeptWindows::instance() {
    // A new application (a test makes one after another) gets its own.
    if (!g_kept)
        g_kept = new KeptWindows(QCoreApplication::instance());
    return *g_kept;
}

void KeptWindows::keep(QWidget* window) {
    // Kept windows never end the host by closing: it quits by its own rules.
    window->setAttribute(Qt::WA_QuitOnClose, false);
    window->setAttribute(Qt::WA_DeleteOnClose);
    windows_.erase(std::remove(windows_.begin(), windows_.end(), nullptr), windows_.end());
    windows_.emplace_back(window);
    window->show();
    window->raise();
    window->activateWindow();
}

std::vector<QWidget*> KeptWindows::windows() const {
    std::vector<QWidget*> open;
    for (const QPointer<QWidget>& window : windows_)
        if (window)
            open.push_back(window);
    return open;
}

void KeptWindows::closeAll() {
    // Deleted now, not later: the event loop that would do it is ending.
    const std::vector<QWidget*> open = windows();
    windows_.clear();
    for (QWidget* window : open)
        delete window;
}

} // namespace camera
