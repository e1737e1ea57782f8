#pragma once

#include "CameraDll/geometry/window_pick.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace camera {

class TextRecognizer;

// What the capture asks of the person and the desktop outside its overlays;
// replaced in tests.
struct CaptureServices {
    // The path to save to, proposing one; empty when they change their mind.
    std::function<QString(QWidget* parent, const QString& proposed)> askSavePath;
    std::function<void(QWidget* parent, const QString& reason)> reportSaveFailure;
    // The windows on screen, for picking one with a click; none if unset.
    std::function<std::vector<StackedWindow>()> listWindows;
    // Reads text for "文字识别"; without one the button is disabled.
    std::shared_ptr<TextRecognizer> recognizer;
    // What the capture leaves on screen once it is over: the selected
    // picture pinned at its place (global logical pixels), or a window
    // reading its text.
    std::function<void(const QImage& picture, const QRect& place)> pin;
    std::function<void(const QImage& picture, const QRect& place)> readText;
};

// The file dialog, a message box, the window manager's list, Tesseract, and
// windows that stay until the host quits.
CaptureServices DefaultServices();

} // namespace camera
