#pragma once

#include "CameraDll/device_crop.h"
#include "CameraDll/selection_editor.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>
#include <vector>

class QClipboard;
class QWidget;

namespace camera {

class CaptureOverlay;

enum class CaptureResult { Saved, Finished, Cancelled };

// What the session asks of the person outside the overlay; replaced in tests.
struct CaptureServices {
    // The path to save to, proposing one; empty when they change their mind.
    std::function<QString(QWidget* parent, const QString& proposed)> askSavePath;
    std::function<void(QWidget* parent, const QString& reason)> reportSaveFailure;
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
    // The selected pixels; null while nothing is selected.
    QImage selectedImage() const;
    QSize selectedDeviceSize() const;

    // Input from the overlays, in global logical pixels.
    void pointerPressed(const QPoint& global, Qt::MouseButton button);
    void pointerMoved(const QPoint& global);
    void pointerReleased(const QPoint& global, Qt::MouseButton button);
    Handle handleAt(const QPoint& global) const { return editor_.handleAt(global); }

    void save();
    void finish();
    void cancel();

signals:
    void ended();

private:
    void end(CaptureResult result);
    void refresh();
    CaptureOverlay* toolbarHost() const;
    void holdKeyboard(bool hold);

    std::vector<ScreenShot> shots_;
    CaptureServices services_;
    QClipboard& clipboard_;
    SelectionEditor editor_;
    std::vector<std::unique_ptr<CaptureOverlay>> overlays_;
    bool over_ = false;
    bool asking_ = false;
    CaptureResult result_ = CaptureResult::Cancelled;
};

} // namespace camera
