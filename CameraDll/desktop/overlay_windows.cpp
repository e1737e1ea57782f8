#include "CameraDll/desktop/overlay_windows.h"

#if defined(QUOBEL_CAPTURE_UNIX_BACKENDS)
#include "CameraDll/grab/picture_memory.h"
#endif

#include "CameraDll/desktop/platform_kind.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QImage>
#include <QWindow>

#include <algorithm>

namespace camera {

namespace {

QScreen* FocusedScreen() {
    if (QWindow* focus = QGuiApplication::focusWindow())
        return focus->screen();
    return QGuiApplication::primaryScreen();
}

// The overlay's first paint covers the whole screen. Its backing store,
// fresh from the system, would be faulted in page by page as it is painted,
// which takes longer than the painting (25 ms for a full HD screen in a
// virtual machine); one call up front does the same in a few.
void PrepareBackingStore(QWidget* overlay) {
#if defined(QUOBEL_CAPTURE_UNIX_BACKENDS)
    overlay->winId();
    QBackingStore* store = overlay->backingStore();
    if (!store)
        return;
    store->resize(overlay->size());
    // Wayland makes its buffers when painting begins.
    const bool wayland = OnWayland();
    if (wayland)
        store->beginPaint(QRegion(QRect(QPoint(), overlay->size())));
    if (const auto* image = dynamic_cast<const QImage*>(store->paintDevice()))
        Prefault(*image);
    if (wayland)
        store->endPaint();
#else
    Q_UNUSED(overlay);
#endif
}

} // namespace

void ShowOverlays(const std::vector<QWidget*>& overlays) {
    if (!OnWayland()) {
        for (QWidget* overlay : overlays) {
            PrepareBackingStore(overlay);
            overlay->show();
        }
        return;
    }
    std::vector<QWidget*> order = overlays;
    QScreen* focused = FocusedScreen();
    std::stable_partition(order.begin(), order.end(),
                          [focused](QWidget* overlay) { return overlay->screen() != focused; });
    for (QWidget* overlay : order) {
        PrepareBackingStore(overlay);
        overlay->showFullScreen();
    }
}

} // namespace camera
