#pragma once

#include <QObject>

namespace camera {

// Drops the host's user input for as long as it lives, so that the capture
// can wait (for a window to leave the screen, for the desktop portal) with
// the event loop running: windows keep painting, sockets and timers keep
// working. QEventLoop's ExcludeUserInputEvents would only postpone the
// input, and a click made during the wait would land once it ends.
class InputDrop : public QObject {
public:
    InputDrop();
    ~InputDrop() override;
    InputDrop(const InputDrop&) = delete;
    InputDrop& operator=(const InputDrop&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace camera
