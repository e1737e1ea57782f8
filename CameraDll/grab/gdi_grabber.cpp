#include "CameraDll/grab/gdi_grabber.h"

#include "CameraDll/capture_log.h"
#include "CameraDll/grab/virtual_screen.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>

#include <windows.h>

namespace camera {

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<QRect>*>(list)->push_back(
        QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)));
    return TRUE;
}

// Device pixels for the calls below whatever the host asked for itself: a
// host that is not per-monitor aware would get coordinates scaled to the
// primary monitor, and a blurred, stretched picture of the others.
class PerMonitorAware {
public:
    PerMonitorAware()
        : previous_(SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {}
    ~PerMonitorAware() {
        if (previous_)
            SetThreadDpiAwarenessContext(previous_);
    }
    PerMonitorAware(const PerMonitorAware&) = delete;
    PerMonitorAware& operator=(const PerMonitorAware&) = delete;

private:
    DPI_AWARENESS_CONTEXT previous_;
};

// The virtual screen in a top-down 32-bit DIB that the returned picture owns
// and frees; null if GDI refuses.
QImage GrabVirtualScreen(const QRect& area) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = area.width();
    info.bmiHeader.biHeight = -area.height(); // top-down, as QImage
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    if (!screen)
        return {};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = bitmap ? CreateCompatibleDC(screen) : nullptr;
    bool copied = false;
    if (memory) {
        const HGDIOBJ before = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, area.width(), area.height(), screen, area.x(), area.y(),
                        SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        SelectObject(memory, before);
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    if (!copied) {
        if (bitmap)
            DeleteObject(bitmap);
        return {};
    }
    return QImage(
        static_cast<uchar*>(bits), area.width(), area.height(), qsizetype(area.width()) * 4,
        QImage::Format_RGB32, [](void* handle) { DeleteObject(static_cast<HBITMAP>(handle)); },
        bitmap);
}

} // namespace

GrabOutcome GdiGrabber::grab() {
    QElapsedTimer clock;
    clock.start();
    const PerMonitorAware aware;
    const QRect area(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                     GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    std::vector<QRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (area.isEmpty() || monitors.empty())
        return GrabOutcome::failed(GrabFailure::NoScreen,
                                   QStringLiteral("Windows reports no monitor"));

    QImage whole = GrabVirtualScreen(area);
    if (whole.isNull())
        return GrabOutcome::failed(
            GrabFailure::NoScreen,
            QStringLiteral("BitBlt of the virtual screen failed (error %1)").arg(GetLastError()));
    qCDebug(lcCapture, "gdi: virtual screen %dx%d at %d,%d, %d monitors, read in %lld ms",
            area.width(), area.height(), area.x(), area.y(), int(monitors.size()),
            static_cast<long long>(clock.elapsed()));

    std::vector<ScreenToSplit> screens;
    for (QScreen* screen : QGuiApplication::screens())
        screens.push_back({screen->geometry(), screen->devicePixelRatio(), screen});
    GrabOutcome outcome;
    outcome.shots = SplitVirtualScreen(std::move(whole), area.topLeft(), monitors, screens);
    if (outcome.shots.empty())
        return GrabOutcome::failed(GrabFailure::NoScreen,
                                   QStringLiteral("no screen of Qt lies on a monitor of Windows"));
    return outcome;
}

} // namespace camera
