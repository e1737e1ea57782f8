#include "CameraDll/overlay_windows.h"

#include <QGuiApplication>
#include <QWindow>

#include <algorithm>

namespace camera {

namespace {

QScreen* FocusedScreen() {
    if (QWindow* focus = QGuiApplication::focusWindow())
        return focus->screen();
    return QGuiApplication::primaryScreen();
}

} // namespace

void ShowOverlays(const std::vector<QWidget*>& overlays) {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        for (QWidget* overlay : overlays)
            overlay->show();
        return;
    }
    std::vector<QWidget*> order = overlays;
    QScreen* focused = FocusedScreen();
    std::stable_partition(order.begin(), order.end(),
                          [focused](QWidget* overlay) { return overlay->screen() != focused; });
    for (QWidget* overlay : order)
        overlay->showFullScreen();
}

} // namespace camera
