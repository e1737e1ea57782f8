#include "CameraDll/api/capture_status.h"
#include "CameraDll/api/failure_box.h"
#include "CameraDll/api/qt_texts.h"
#include "CameraDll/capture_log.h"
#include "CameraDll/desktop/window_settle.h"
#include "CameraDll/grab/grabber_choice.h"
#include "CameraDll/session/selection_history.h"
#include "CameraDll/ui/capture_view.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QThread>

#include <cstdint>

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

using namespace camera;

bool g_capturing = false;

Status StatusFor(GrabFailure failure) {
    switch (failure) {
    case GrabFailure::None:
        return kDone;
    case GrabFailure::Cancelled:
        return kCancelled;
    case GrabFailure::NoScreen:
        return kNoScreen;
    case GrabFailure::NoPortal:
        return kNoPortal;
    case GrabFailure::Refused:
        return kRefused;
    case GrabFailure::TimedOut:
        return kTimedOut;
    case GrabFailure::ServiceFailed:
        return kServiceFailed;
    case GrabFailure::ServiceIncomplete:
        return kServiceIncomplete;
    case GrabFailure::Unanswered:
        return kUnanswered;
    }
    return kFailed;
}

// The backend lives only for the grab: a private connection to the
// compositor, say, is closed before the person starts selecting.
GrabOutcome Grab() {
    QElapsedTimer clock;
    clock.start();
    const std::unique_ptr<ScreenGrabber> grabber = MakeGrabber();
    GrabOutcome grabbed = grabber->grab();
    qCDebug(lcCapture, "%s grab took %lld ms: %d screens %s", grabber->name(),
            static_cast<long long>(clock.elapsed()), static_cast<int>(grabbed.shots.size()),
            qPrintable(grabbed.detail));
    return grabbed;
}

Status Capture() {
    // "Minimise, then capture" must not freeze the minimised window. Windows
    // hidden for the grab come back when the capture is over.
    const MinimisedWindowsAway away(std::chrono::milliseconds(500));
    GrabOutcome grabbed = Grab();
    if (grabbed.failure != GrabFailure::None)
        return StatusFor(grabbed.failure);
    const SelectionHistory history(SelectionHistory::DefaultPath());
    CaptureView view(std::move(grabbed.shots), DefaultServices(), *QGuiApplication::clipboard(),
                     history.read());
    const CaptureResult result = view.exec();
    const QRect used = view.model().selectionToRemember();
    if (!used.isNull())
        history.remember(used);
    switch (result) {
    case CaptureResult::Saved:
    case CaptureResult::Finished:
    case CaptureResult::Pinned:
    case CaptureResult::ReadText:
        return kDone;
    case CaptureResult::Cancelled:
        return kCancelled;
    case CaptureResult::Failed:
        break;
    }
    return kFailed;
}

// The screen-sized blocks freed by a capture (the cropped selection, Qt's
// conversions) would otherwise stay in glibc's heaps for the rest of the
// host's life. Trimming gives them back without touching the allocator's
// settings, which belong to the host.
void ReturnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace

// Synchronous: returns when the capture is over. Callers do nothing after the
// call, so there is nothing to gain from returning early, and a blocking call
// gives the caller the outcome. While it waits it runs a local event loop, so
// the host's windows keep repainting and its timers keep running. When a
// capture cannot start, the person is told why in a box, whatever the host
// makes of the result.
extern "C" CAMERADLL_EXPORT std::int32_t CAMERADLL_CALL CameraSubArea(std::int32_t mode) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return kNoApplication;
    if (QThread::currentThread() != app->thread())
        return kWrongThread;
    // The host stays responsive meanwhile, so it may ask again; a second
    // overlay on top of the first would only confuse.
    if (g_capturing) {
        try {
            ShowFailure(kBusy);
        } catch (...) {
        }
        return kBusy;
    }
    if (mode != 0)
        return kUnknownMode;
    const QScopedValueRollback<bool> capturing(g_capturing, true);
    Status status = kFailed;
    // No exception may cross into a caller that knows nothing of C++.
    try {
        // Qt's own texts in the capture's dialogs and boxes, in Chinese.
        UseChineseQtTexts();
        status = Capture();
    } catch (...) {
        status = kFailed;
    }
    ReturnFreedMemory();
    try {
        ShowFailure(status);
    } catch (...) {
    }
    return status;
}
