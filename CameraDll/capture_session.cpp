#include "CameraDll/capture_session.h"

#include "CameraDll/capture_outcome.h"
#include "CameraDll/capture_overlay.h"
#include "CameraDll/capture_toolbar.h"
#include "CameraDll/key_commands.h"
#include "CameraDll/loupe.h"
#include "CameraDll/overlay_windows.h"
#include "CameraDll/toolbar_placement.h"

#include <QClipboard>
#include <QCursor>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QToolButton>

#include <cmath>

namespace camera {

namespace {

constexpr int kToolbarGap = 6;

QRect Desktop(const std::vector<ScreenShot>& shots) {
    QRect box;
    for (const ScreenShot& shot : shots)
        box |= shot.geometry;
    return box;
}

std::vector<MarkedPicture> Pictures(const std::vector<ScreenShot>& shots) {
    std::vector<MarkedPicture> pictures;
    pictures.reserve(shots.size());
    for (const ScreenShot& shot : shots)
        pictures.emplace_back(shot.geometry, shot.pixmap.toImage());
    return pictures;
}

QPoint Cell(const QPointF& global) {
    return {static_cast<int>(std::floor(global.x())), static_cast<int>(std::floor(global.y()))};
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
    services.listWindows = ReadWindowStack;
    return services;
}

CaptureSession::CaptureSession(std::vector<ScreenShot> shots, CaptureServices services,
                               QClipboard& clipboard)
    : shots_(std::move(shots)), services_(std::move(services)), clipboard_(clipboard),
      editor_(Desktop(shots_)), markup_(Pictures(shots_)) {
    // Read now, while the windows are where the frozen picture shows them.
    if (services_.listWindows)
        windows_ = services_.listWindows();
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
    // The whole of an unscaled screen is its picture as it stands: shared,
    // not copied, for a copy of a 4K screen costs more than everything else.
    for (const MarkedPicture& picture : markup_.pictures())
        if (picture.geometry() == editor_.selection() && picture.scale() == 1 &&
            picture.image().size() == picture.geometry().size())
            return picture.image();
    // Pictures without marks share the grab, so this copies no screen.
    std::vector<ScreenShot> marked = shots_;
    for (std::size_t i = 0; i < marked.size(); ++i)
        marked[i].pixmap = QPixmap::fromImage(markup_.pictures()[i].image());
    return CropSelection(marked, editor_.selection());
}

QSize CaptureSession::selectedDeviceSize() const {
    if (!editor_.hasSelection())
        return {};
    return CropSize(shots_, editor_.selection());
}

const MarkedPicture* CaptureSession::pictureOf(const QRect& screen) const {
    for (const MarkedPicture& picture : markup_.pictures())
        if (picture.geometry() == screen)
            return &picture;
    return nullptr;
}

bool CaptureSession::showsLoupe() const {
    return !over_ && !asking_ && pointerKnown_ && !markup_.isDrawing() && !markup_.isTyping() &&
           (editor_.isDragging() || !editor_.hasSelection());
}

Handle CaptureSession::handleAt(const QPoint& global) const {
    if (markup_.tool() != Tool::None && editor_.hasSelection() &&
        editor_.selection().contains(global))
        return Handle::None;
    return editor_.handleAt(global);
}

QRect CaptureSession::windowAt(const QPointF& global) const {
    if (windows_.empty())
        return {};
    for (const MarkedPicture& picture : markup_.pictures()) {
        if (!picture.geometry().contains(Cell(global)))
            continue;
        // The window manager's list is in device pixels.
        const QPoint origin = picture.geometry().topLeft();
        const qreal scale = picture.scale();
        const QPoint device = origin + Cell((global - origin) * scale);
        std::vector<std::uint32_t> ignored;
        for (const auto& overlay : overlays_)
            ignored.push_back(static_cast<std::uint32_t>(overlay->internalWinId()));
        const QRect window =
            WindowAt(windows_, device, ToDevice(picture.geometry(), origin, scale), ignored);
        return window.isNull() ? QRect() : DeviceToLogical(window, origin, scale);
    }
    return {};
}

void CaptureSession::pointerPressed(const QPointF& global, Qt::MouseButton button) {
    if (over_ || asking_)
        return;
    if (button == Qt::RightButton) {
        cancel();
        return;
    }
    if (button != Qt::LeftButton || markup_.isDrawing() || editor_.isDragging())
        return;
    // A click elsewhere ends the text and does nothing more.
    if (markup_.isTyping()) {
        endText();
        return;
    }
    const QPoint cell = Cell(global);
    if (markup_.tool() != Tool::None && editor_.hasSelection() &&
        editor_.selection().contains(cell)) {
        if (markup_.tool() == Tool::Text) {
            repaint(markup_.startText(global));
            for (const auto& overlay : overlays_)
                overlay->setTyping(overlay->geometry().contains(cell));
        } else {
            repaint(markup_.begin(global));
        }
        return;
    }
    selectionBefore_ = editor_.selection();
    picked_ = QRect();
    editor_.press(cell);
    refresh();
}

void CaptureSession::pointerMoved(const QPointF& global) {
    if (over_)
        return;
    const bool loupeBefore = showsLoupe();
    pointer_ = global;
    pointerKnown_ = true;
    if (markup_.isDrawing()) {
        repaint(markup_.extend(global));
    } else if (editor_.isDragging()) {
        const QRect before = editor_.selection();
        editor_.move(Cell(global));
        repaintSelection(before);
    } else if (!editor_.hasSelection()) {
        const QRect window = windowAt(global);
        if (window != picked_) {
            picked_ = window;
            refresh();
        }
    }
    if (loupeBefore || showsLoupe())
        for (const auto& overlay : overlays_)
            overlay->moveLoupe();
}

void CaptureSession::pointerReleased(const QPointF& global, Qt::MouseButton button) {
    if (over_ || button != Qt::LeftButton)
        return;
    if (markup_.isDrawing()) {
        repaint(markup_.end(global));
        refresh();
        return;
    }
    if (!editor_.isDragging())
        return;
    editor_.release(Cell(global));
    // A click without a drag before anything was selected takes the window
    // under the pointer.
    if (!editor_.hasSelection()) {
        const QRect window = windowAt(global);
        if (!window.isEmpty())
            editor_.setSelection(window);
    }
    afterSelectionChange(selectionBefore_);
}

void CaptureSession::pointerDoubleClicked(const QPointF& global) {
    if (over_ || asking_ || !editor_.hasSelection() || !editor_.selection().contains(Cell(global)))
        return;
    finish();
}

bool CaptureSession::keyPressed(const QKeyEvent& event) {
    if (over_ || asking_)
        return false;
    if (TextEntry* text = markup_.text()) {
        const QRectF before = text->bounds();
        switch (text->key(event)) {
        case TextEntry::KeyResult::Edited:
            repaint(before | text->bounds());
            return true;
        case TextEntry::KeyResult::Ended:
            endText();
            return true;
        case TextEntry::KeyResult::Ignored:
            return true;
        case TextEntry::KeyResult::NotMine:
            // A shortcut ends the text first, then does what it does.
            endText();
            break;
        }
    }
    const KeyCommand command = CommandForKey(event.key(), event.modifiers());
    const bool gesture = editor_.isDragging() || markup_.isDrawing();
    const QRect before = editor_.selection();
    switch (command.kind) {
    case KeyCommand::None:
        return false;
    case KeyCommand::Move:
        if (!gesture && editor_.moveBy(command.step))
            afterSelectionChange(before);
        break;
    case KeyCommand::Resize:
        if (!gesture && editor_.resizeBy(command.step))
            afterSelectionChange(before);
        break;
    case KeyCommand::Finish:
        finish();
        break;
    case KeyCommand::Save:
        save();
        break;
    case KeyCommand::Undo:
        if (!gesture)
            undo();
        break;
    case KeyCommand::Redo:
        if (!gesture)
            redo();
        break;
    case KeyCommand::Cancel:
        cancel();
        break;
    case KeyCommand::CopyColour:
        if (!showsLoupe())
            return false;
        copyColour();
        break;
    }
    return true;
}

void CaptureSession::inputMethod(const QInputMethodEvent& event) {
    TextEntry* text = markup_.text();
    if (over_ || !text)
        return;
    const QRectF before = text->bounds();
    text->inputMethod(event);
    repaint(before | text->bounds());
}

void CaptureSession::endText() {
    if (!markup_.isTyping())
        return;
    repaint(markup_.endText());
    for (const auto& overlay : overlays_)
        overlay->setTyping(false);
    refresh();
}

void CaptureSession::afterSelectionChange(const QRect& before) {
    if (editor_.hasSelection())
        markup_.recordSelection(before, editor_.selection());
    refresh();
}

void CaptureSession::chooseTool(Tool tool) {
    endText();
    markup_.setTool(tool);
    refresh();
}

void CaptureSession::chooseColour(const QColor& colour) {
    markup_.setColour(colour);
    refresh();
}

void CaptureSession::chooseWidth(qreal width) {
    markup_.setWidth(width);
    refresh();
}

void CaptureSession::undo() {
    if (over_ || asking_)
        return;
    endText();
    apply(markup_.undo());
}

void CaptureSession::redo() {
    if (over_ || asking_)
        return;
    endText();
    apply(markup_.redo());
}

void CaptureSession::apply(const MarkHistory::Change& change) {
    if (change.selection)
        editor_.setSelection(*change.selection);
    refresh();
}

void CaptureSession::copyColour() {
    for (const MarkedPicture& picture : markup_.pictures()) {
        if (!picture.geometry().contains(Cell(pointer_)))
            continue;
        const QPoint pixel = PixelUnder(pointer_, picture.geometry().topLeft(), picture.scale(),
                                        picture.image().size());
        clipboard_.setText(ColourText(picture.image().pixel(pixel)));
        end(CaptureResult::Finished);
        return;
    }
}

void CaptureSession::save() {
    if (over_ || asking_ || !editor_.hasSelection())
        return;
    endText();
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
    endText();
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
    for (const auto& overlay : overlays_) {
        overlay->setTyping(false);
        overlay->hide();
    }
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
        CaptureToolbar* toolbar = overlay->toolbar();
        toolbar->showState(markup_.tool(), markup_.colour(), markup_.width(),
                           markup_.history().canUndo(), markup_.history().canRedo());
        if (overlay == host) {
            toolbar->fitWidth(shots_[i].geometry.width() - 2 * kToolbarGap);
            const QSize size = toolbar->sizeHint();
            overlay->placeToolbar(
                PlaceToolbar(editor_.selection(), size, shots_[i].geometry, kToolbarGap));
        } else {
            overlay->hideToolbar();
        }
        overlay->update();
    }
}

void CaptureSession::repaintSelection(const QRect& before) {
    // Only the edges and the strips between the old and the new rectangle
    // change; a full repaint of a 4K screen per pointer move is too slow.
    if (before.isNull() || !editor_.hasSelection()) {
        refresh();
        return;
    }
    const QRegion area = SelectionChangeArea(before, editor_.selection(), 10);
    for (std::size_t i = 0; i < overlays_.size(); ++i)
        overlays_[i]->update(
            area.intersected(shots_[i].geometry).translated(-shots_[i].geometry.topLeft()));
}

void CaptureSession::repaint(const QRectF& area) {
    if (area.isEmpty())
        return;
    // A pixel more on each side for the antialiased edges.
    const QRect box = area.toAlignedRect().adjusted(-2, -2, 2, 2);
    for (std::size_t i = 0; i < overlays_.size(); ++i) {
        const QRect part = box & shots_[i].geometry;
        if (!part.isEmpty())
            overlays_[i]->update(part.translated(-shots_[i].geometry.topLeft()));
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
