#pragma once

#include "CameraDll/geometry/window_pick.h"

#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace camera {

// What the capture asks of the person and the desktop outside its overlays;
// replaced in tests.
struct CaptureServices {
    // The path to save to, proposing one; empty when they change their mind.
    std::function<QString(QWidget* parent, const QString& proposed)> askSavePath;
    std::function<void(QWidget* parent, const QString& reason)> reportSaveFailure;
    // The windows on screen, for picking one with a click; none if unset.
    std::function<std::vector<StackedWindow>()> listWindows;
};

// The file dialog, a message box, and the window manager's list.
CaptureServices DefaultServices();

} // namespace camera
