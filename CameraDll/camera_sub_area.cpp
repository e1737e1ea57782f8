#include "CameraDll/capture_session.h"
#include "CameraDll/qt_texts.h"
#include "CameraDll/window_settle.h"

#include <QApplication>
#include <QClipboard>
#include <QScopedValueRollback>
#include <QThread>

#include <cstdint>
#include <exception>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(_WIN32)
// The .def file keeps the exported name undecorated under __stdcall.
#define CAMERADLL_EXPORT
#if defined(_WIN64)
#define CAMERADLL_CALL
#else
#define CAMERADLL_CALL __stdcall
#endif
#else
#define CAMERADLL_EXPORT __attribute__((visibility("default")))
#define CAMERADLL_CALL
#endif

namespace {

enum Status : std::int32_t {
    kDone = 0,           // saved to a file or copied to the clipboard
    kCancelled = 1,      // Escape, right click, or the host leaving its event loop
    kNoApplication = -1, // no QApplication in the calling process
    kWrongThread = -2,   // not called from the application's thread
    kBusy = -3,          // a capture is already on screen
    kUnknownMode = -4,   // only mode 0, a free rectangle, exists
    kNoScreen = -5,      // no screen could be grabbed
    kFailed = -6,        // anything else that went wrong inside
};

bool g_capturing = false;

// glibc raises its mmap threshold to the largest block freed so far. After
// the first capture every screen-sized buffer (the grab's transfer buffer,
// the screenshots) would come from the heaps instead and stay there once
// freed; the X connection's reader thread has a heap of its own that
// malloc_trim cannot shrink. A fixed threshold keeps such blocks mapped on
// their own, so each is returned to the system the moment it is freed and a
// capture leaves nothing behind in the chat program.
void ReturnScreenSizedBlocksAtOnce() {
#if defined(__GLIBC__)
    static const bool fixed = mallopt(M_MMAP_THRESHOLD, 1024 * 1024) == 1;
    Q_UNUSED(fixed);
#endif
}

} // namespace

// Synchronous: returns when the capture is over. Callers do nothing after the
// call, so there is nothing to gain from returning early, and a blocking call
// gives the caller the outcome. While it waits it runs a local event loop, so
// the host's windows keep repainting and its timers keep running.
extern "C" CAMERADLL_EXPORT std::int32_t CAMERADLL_CALL CameraSubArea(std::int32_t mode) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return kNoApplication;
    if (QThread::currentThread() != app->thread())
        return kWrongThread;
    // The host stays responsive meanwhile, so it may ask again; a second
    // overlay on top of the first would only confuse.
    if (g_capturing)
        return kBusy;
    if (mode != 0)
        return kUnknownMode;
    const QScopedValueRollback<bool> capturing(g_capturing, true);
    // No exception may cross into a caller that knows nothing of C++.
    try {
        ReturnScreenSizedBlocksAtOnce();
        // "Minimise, then capture" must not freeze the minimised window.
        camera::WaitForMinimisedWindowsToLeave(std::chrono::milliseconds(500));
        std::vector<camera::ScreenShot> shots = camera::GrabScreens();
        if (shots.empty())
            return kNoScreen;
        const camera::QtChineseTexts qtTexts;
        camera::CaptureSession session(std::move(shots), camera::DefaultServices(),
                                       *QGuiApplication::clipboard());
        return session.exec() == camera::CaptureResult::Cancelled ? kCancelled : kDone;
    } catch (...) {
        return kFailed;
    }
}
