#pragma once

#include "CameraDll/session/capture_model.h"
#include "CameraDll/ui/capture_services.h"

#include <QObject>

#include <memory>
#include <vector>

class QClipboard;

namespace camera {

class CaptureOverlay;

// What the person sees of one capture: an overlay per screen, each showing
// its screen's frozen picture with the shared selection, and the toolbar on
// the screen that holds the selection. It owns the model, feeds it the input
// the overlays get and shows what the model says changed; the model knows
// nothing of it.
class CaptureView : public QObject {
    Q_OBJECT
public:
    // earlier: the selections of earlier captures, the latest last.
    CaptureView(std::vector<ScreenShot> shots, CaptureServices services, QClipboard& clipboard,
                std::vector<QRect> earlier = {});
    ~CaptureView() override;

    // Puts the overlays up.
    void show();
    // Puts the overlays up and returns once the capture is over. Also returns,
    // as cancelled, when the application leaves its event loops meanwhile.
    CaptureResult exec();

    CaptureModel& model() { return model_; }
    const CaptureModel& model() const { return model_; }
    const std::vector<std::unique_ptr<CaptureOverlay>>& overlays() const { return overlays_; }

    // Asks where to save the selection and saves it there.
    void save();

private:
    void refresh();
    void repaint(const QRectF& area);
    void repaintSelection(const QRect& before);
    void moveLoupe();
    void followTyping();
    void holdKeyboard(bool hold);
    void hideOverlays();
    // Hands what the capture ended with to whatever outlives it.
    void afterEnd();
    CaptureOverlay* toolbarHost() const;

    CaptureServices services_;
    CaptureModel model_;
    std::vector<std::unique_ptr<CaptureOverlay>> overlays_;
    bool canReadText_ = false;
    QString whyNoText_;
};

} // namespace camera
