#pragma once

#include <cstdint>

namespace camera {

// What CameraSubArea returns. The program ignores it; other hosts and the
// tests read it.
enum Status : std::int32_t {
    kDone = 0, // saved to a file or copied to the clipboard
    kCancelled =
        1, // Escape, right click, the portal's own dialog, or the host leaving its event loop
    kNoApplication = -1, // no QApplication in the calling process
    kWrongThread = -2,   // not called from the application's thread
    kBusy = -3,          // a capture is already under way
    kUnknownMode = -4,   // only mode 0, a free rectangle, exists
    kNoScreen = -5,      // no screen could be grabbed
    kFailed = -6,        // anything else that went wrong inside
    kNoPortal = -7,      // a Wayland desktop without a screenshot portal
    kRefused = -8,       // the desktop refused the picture
    kTimedOut = -9,      // the desktop did not answer in time

    // The desktop's screenshot service failed or gave no picture.
    kServiceFailed = -10,
    // KDE's portal backend crashed, for want of the QML modules it loads.
    kServiceIncomplete = -11,
    // The desktop asked the person for permission, and got no answer in time.
    kUnanswered = -12,
};

} // namespace camera
