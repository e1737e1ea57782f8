#include "CameraDll/capture_session.h"

#include "CameraDll/capture_outcome.h"
#include "CameraDll/capture_overlay.h"
#include "CameraDll/overlay_windows.h"
#include "CameraDll/toolbar_placement.h"

#include <QClipboard>
#include <QCursor>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QToolButton>

namespace camera {

namespace {

constexpr int kToolbarGap = 6;

QRect Desktop(const std::vector<ScreenShot>& shots) {
    QRect box;
    for (const ScreenShot& shot : shots)
        box |= shot.geometry;
    return box;
}

} // namespace

CaptureServices DefaultServices() {
    CaptureServices services;
    services.askSavePath = [](QWidget* parent, const QString& proposed) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("保存截图"), proposed,
                                            QStringLiteral("PNG 图片 (*.png)"));
    };
    services.reportSaveFailure = [](QWidget* parent, const QString& reason) {
        QMessageBox::warning(parent, QStringLiteral("保存失败"),
                             QStringLiteral("截图没有保存：%1").arg(reason));
    };
    return services;
}

CaptureSession::CaptureSession(std::vector<ScreenShot> shots, CaptureServices services,
                               QClipboard& clipboard)
    : shots_(std::move(shots)), services_(std::move(services)), clipboard_(clipboard),
      editor_(Desktop(shots_)) {
    overlays_.reserve(shots_.size());
    for (const ScreenShot& shot : shots_)
        overlays_.push_back(std::make_unique<CaptureOverlay>(*this, shot));
}

CaptureSession::~CaptureSession() {
    // Hidden before they go: deleting a visible top-level window can make the
    // host application quit.
    holdKeyboard(false);
    for (const auto& overlay : overlays_)
        overlay->hide();
}

void CaptureSession::show() {
    std::vector<QWidget*> overlays;
    for (const auto& overlay : overlays_)
        overlays.push_back(overlay.get());
    ShowOverlays(overlays);
    CaptureOverlay* focus = nullptr;
    const QPoint cursor = QCursor::pos();
    for (std::size_t i = 0; i < shots_.size() && !focus; ++i)
        if (shots_[i].geometry.contains(cursor))
            focus = overlays_[i].get();
    if (!focus && !overlays_.empty())
        focus = overlays_.front().get();
    if (focus) {
        focus->raise();
        focus->activateWindow();
    }
    holdKeyboard(true);
}

CaptureResult CaptureSession::exec() {
    show();
    if (!over_) {
        QEventLoop loop;
        connect(this, &CaptureSession::ended, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!over_)
        end(CaptureResult::Cancelled);
    return result_;
}

QImage CaptureSession::selectedImage() const {
    if (!editor_.hasSelection())
        return {};
    return CropSelection(shots_, editor_.selection());
}

QSize CaptureSession::selectedDeviceSize() const {
    if (!editor_.hasSelection())
        return {};
    return CropSize(shots_, editor_.selection());
}

void CaptureSession::pointerPressed(const QPoint& global, Qt::MouseButton button) {
    if (over_ || asking_)
        return;
    if (button == Qt::RightButton) {
        cancel();
        return;
    }
    if (button != Qt::LeftButton)
        return;
    editor_.press(global);
    refresh();
}

void CaptureSession::pointerMoved(const QPoint& global) {
    if (over_ || !editor_.isDragging())
        return;
    editor_.move(global);
    refresh();
}

void CaptureSession::pointerReleased(const QPoint& global, Qt::MouseButton button) {
    if (over_ || button != Qt::LeftButton || !editor_.isDragging())
        return;
    editor_.release(global);
    refresh();
}

void CaptureSession::save() {
    if (over_ || asking_ || !editor_.hasSelection())
        return;
    const QImage image = selectedImage();
    if (image.isNull())
        return;
    CaptureOverlay* parent = toolbarHost();
    // Out of the way while the file is chosen: the overlays stay above every
    // managed window, the dialog included, and they hold the keyboard.
    holdKeyboard(false);
    for (const auto& overlay : overlays_)
        overlay->hide();
    asking_ = true;
    const QString proposed = DefaultSaveFileName(PicturesFolder(), QDateTime::currentDateTime());
    const QString path = WithPngSuffix(services_.askSavePath(parent, proposed));
    QString error;
    const bool saved = !path.isEmpty() && SaveCapture(image, path, &error);
    if (!path.isEmpty() && !saved)
        services_.reportSaveFailure(parent, error);
    asking_ = false;
    if (over_)
        return;
    if (saved) {
        end(CaptureResult::Saved);
        return;
    }
    // Nothing chosen, or the file could not be written: back to the same
    // selection, so the person can try again or finish instead.
    show();
    refresh();
}

void CaptureSession::finish() {
    if (over_ || asking_ || !editor_.hasSelection())
        return;
    const QImage image = selectedImage();
    if (image.isNull())
        return;
    CopyCapture(image, clipboard_);
    end(CaptureResult::Finished);
}

void CaptureSession::cancel() {
    if (over_ || asking_)
        return;
    end(CaptureResult::Cancelled);
}

void CaptureSession::end(CaptureResult result) {
    over_ = true;
    result_ = result;
    holdKeyboard(false);
    for (const auto& overlay : overlays_)
        overlay->hide();
    emit ended();
}

CaptureOverlay* CaptureSession::toolbarHost() const {
    std::vector<QRect> screens;
    for (const ScreenShot& shot : shots_)
        screens.push_back(shot.geometry);
    const int index = ToolbarScreen(editor_.selection(), screens);
    return index < 0 ? nullptr : overlays_[static_cast<std::size_t>(index)].get();
}

void CaptureSession::refresh() {
    CaptureOverlay* host = nullptr;
    if (editor_.hasSelection() && !editor_.isDragging())
        host = toolbarHost();
    for (std::size_t i = 0; i < overlays_.size(); ++i) {
        CaptureOverlay* overlay = overlays_[i].get();
        if (overlay == host) {
            const QSize size = overlay->toolbar()->sizeHint();
            overlay->placeToolbar(
                PlaceToolbar(editor_.selection(), size, shots_[i].geometry, kToolbarGap));
        } else {
            overlay->hideToolbar();
        }
        overlay->update();
    }
}

void CaptureSession::holdKeyboard(bool hold) {
    if (overlays_.empty())
        return;
    CaptureOverlay* keeper = overlays_.front().get();
    for (const auto& overlay : overlays_)
        if (overlay->isActiveWindow())
            keeper = overlay.get();
    for (const auto& overlay : overlays_)
        overlay->wantKeyboard(hold && overlay.get() == keeper);
}

} // namespace camera
