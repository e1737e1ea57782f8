#pragma once

#include "CameraDll/device_crop.h"
#include "CameraDll/markup/markup.h"
#include "CameraDll/selection_editor.h"
#include "CameraDll/window_pick.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>
#include <vector>

class QClipboard;
class QInputMethodEvent;
class QKeyEvent;
class QWidget;

namespace camera {

class CaptureOverlay;

enum class CaptureResult { Saved, Finished, Cancelled };

// What the session asks of the person outside the overlay; replaced in tests.
struct CaptureServices {
    // The path to save to, proposing one; empty when they change their mind.
    std::function<QString(QWidget* parent, const QString& proposed)> askSavePath;
    std::function<void(QWidget* parent, const QString& reason)> reportSaveFailure;
    // The windows on screen, for picking one with a click; none if unset.
    std::function<std::vector<StackedWindow>()> listWindows;
};

// File dialog and message box.
CaptureServices DefaultServices();

// One capture: an overlay per screen showing the frozen picture, one shared
// selection across them, and the end the person chooses.
class CaptureSession : public QObject {
    Q_OBJECT
public:
    CaptureSession(std::vector<ScreenShot> shots, CaptureServices services, QClipboard& clipboard);
    ~CaptureSession() override;

    // Puts the overlays up.
    void show();
    // Puts the overlays up and returns once the capture is over. Also returns,
    // as cancelled, when the application leaves its event loops meanwhile.
    CaptureResult exec();

    bool isOver() const { return over_; }
    CaptureResult result() const { return result_; }

    const std::vector<ScreenShot>& shots() const { return shots_; }
    const SelectionEditor& editor() const { return editor_; }
    const std::vector<std::unique_ptr<CaptureOverlay>>& overlays() const { return overlays_; }
    // The selected pixels with their marks; null while nothing is selected.
    QImage selectedImage() const;
    QSize selectedDeviceSize() const;

    const Markup& markup() const { return markup_; }
    // The picture with its marks of the screen with this geometry.
    const MarkedPicture* pictureOf(const QRect& screen) const;
    // The window a click would select, while there is no selection yet.
    QRect pickedWindow() const { return picked_; }
    bool picksWindows() const { return !windows_.empty(); }
    // Whether the magnifier shows, and where the pointer is.
    bool showsLoupe() const;
    QPointF pointer() const { return pointer_; }

    // Input from the overlays, in global logical pixels.
    void pointerPressed(const QPointF& global, Qt::MouseButton button);
    void pointerMoved(const QPointF& global);
    void pointerReleased(const QPointF& global, Qt::MouseButton button);
    void pointerDoubleClicked(const QPointF& global);
    // What the pointer would take hold of; None inside the selection while a
    // tool draws there.
    Handle handleAt(const QPoint& global) const;
    // Returns whether the key did something.
    bool keyPressed(const QKeyEvent& event);
    void inputMethod(const QInputMethodEvent& event);

    void chooseTool(Tool tool);
    void chooseColour(const QColor& colour);
    void chooseWidth(qreal width);
    void undo();
    void redo();
    void save();
    void finish();
    void cancel();

signals:
    void ended();

private:
    void end(CaptureResult result);
    void refresh();
    // Repaints a global logical area on the overlays it touches.
    void repaint(const QRectF& area);
    void repaintSelection(const QRect& before);
    void endText();
    void afterSelectionChange(const QRect& before);
    void apply(const MarkHistory::Change& change);
    void copyColour();
    QRect windowAt(const QPointF& global) const;
    CaptureOverlay* toolbarHost() const;
    void holdKeyboard(bool hold);

    std::vector<ScreenShot> shots_;
    CaptureServices services_;
    QClipboard& clipboard_;
    SelectionEditor editor_;
    Markup markup_;
    std::vector<StackedWindow> windows_;
    QRect picked_;
    QPointF pointer_;
    bool pointerKnown_ = false;
    QRect selectionBefore_; // when the gesture in progress began
    std::vector<std::unique_ptr<CaptureOverlay>> overlays_;
    bool over_ = false;
    bool asking_ = false;
    CaptureResult result_ = CaptureResult::Cancelled;
};

} // namespace camera
