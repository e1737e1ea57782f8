#pragma once

#include "platform/platform.h"

#include <QString>
#include <QStringView>

namespace quobel {

// Hands the address to the desktop's browser and returns at once.
inline void OpenLink(const QString& url) {
    Platform::current().openLink(url);
}

// A way of handing an address to the desktop's browser without waiting for
// it and without a console window.
struct BrowserLauncher {
    // What the error report names when the launcher cannot be started.
    QStringView name;
    // False when the address could not be handed over.
    bool (*start)(const QString& url);
};

// xdg-open, started directly with the address as its one argument: no shell
// ever reads the address.
extern const BrowserLauncher kXdgOpen;
// The system's own handler for web addresses, through QDesktopServices
// (ShellExecute on Windows). No command interpreter is started, so no
// program planted under the interpreter's name in the program's folder or
// the current folder can run in its place.
extern const BrowserLauncher kSystemUrlHandler;

// The system handler on Windows. Elsewhere xdg-open, which works under every
// Qt platform plugin, while QDesktopServices does nothing under offscreen.
const BrowserLauncher& SystemBrowserLauncher();

// What the real platform does for OpenLink. A launcher that cannot be
// started is a failure that ends the program.
void OpenInBrowser(const QString& url, const BrowserLauncher& launcher = SystemBrowserLauncher());

} // namespace quobel
