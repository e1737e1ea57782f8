#include "CameraDll/session/capture_model.h"

#include "CameraDll/geometry/device_crop.h"
#include "CameraDll/geometry/loupe_placement.h"
#include "CameraDll/geometry/pixel_grid.h"
#include "CameraDll/geometry/toolbar_placement.h"
#include "CameraDll/session/capture_outcome.h"

#include <QClipboard>

namespace camera {

namespace {

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

} // namespace

CaptureModel::CaptureModel(std::vector<ScreenShot> shots, std::vector<StackedWindow> windows,
                           QClipboard& clipboard, std::vector<QRect> earlier)
    : shots_(std::move(shots)), clipboard_(clipboard), editor_(Desktop(shots_)),
      markup_(Pictures(shots_)), windows_(std::move(windows)), recall_(std::move(earlier)) {}

QRect CaptureModel::selectionToRemember() const {
    switch (result_) {
    case CaptureResult::Saved:
    case CaptureResult::Finished:
    case CaptureResult::Pinned:
    case CaptureResult::ReadText:
        return ended_ ? editor_.selection() : QRect();
    case CaptureResult::Cancelled:
    case CaptureResult::Failed:
        break;
    }
    return {};
}

QImage CaptureModel::selectedImage() const {
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

QSize CaptureModel::selectedDeviceSize() const {
    if (!editor_.hasSelection())
        return {};
    return CropSize(shots_, editor_.selection());
}

bool CaptureModel::showsLoupe() const {
    return takesInput() && pointerKnown_ && !markup_.isDrawing() && !markup_.isTyping() &&
           (editor_.isDragging() || !editor_.hasSelection());
}

Handle CaptureModel::handleAt(const QPoint& global) const {
    if (markup_.tool() != Tool::None && editor_.hasSelection() &&
        editor_.selection().contains(global))
        return Handle::None;
    return editor_.handleAt(global);
}

int CaptureModel::toolbarScreen() const {
    if (!editor_.hasSelection() || editor_.isDragging())
        return -1;
    std::vector<QRect> screens;
    for (const ScreenShot& shot : shots_)
        screens.push_back(shot.geometry);
    return ToolbarScreen(editor_.selection(), screens);
}

int CaptureModel::typingScreen() const {
    const TextEntry* text = markup_.text();
    return text ? screenAt(text->mark().points.front()) : -1;
}

int CaptureModel::screenAt(const QPointF& global) const {
    for (std::size_t i = 0; i < shots_.size(); ++i)
        if (shots_[i].geometry.contains(Cell(global)))
            return static_cast<int>(i);
    return -1;
}

QRect CaptureModel::windowAt(const QPointF& global) const {
    const int screen = screenAt(global);
    if (windows_.empty() || screen < 0)
        return {};
    const MarkedPicture& picture = markup_.pictures()[std::size_t(screen)];
    // The window manager's list is in device pixels.
    const QPoint origin = picture.geometry().topLeft();
    const qreal scale = picture.scale();
    const QPoint device = origin + Cell((global - origin) * scale);
    const QRect window = WindowAt(windows_, device, ToDevice(picture.geometry(), origin, scale));
    return window.isNull() ? QRect() : DeviceToLogical(window, origin, scale);
}

void CaptureModel::pointerIsAt(const QPointF& global) {
    if (!pointerKnown_)
        pointer_ = global;
}

void CaptureModel::pointerPressed(const QPointF& global, Qt::MouseButton button) {
    if (!takesInput())
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
            emit areaChanged(markup_.startText(global));
            emit typingChanged();
        } else if (markup_.tool() == Tool::Number) {
            emit areaChanged(markup_.placeNumber(global));
            emit stateChanged();
        } else {
            emit areaChanged(markup_.begin(global));
        }
        return;
    }
    selectionBefore_ = editor_.selection();
    picked_ = QRect();
    editor_.press(cell);
    emit stateChanged();
}

void CaptureModel::pointerMoved(const QPointF& global) {
    if (ended_)
        return;
    const bool loupeBefore = showsLoupe();
    pointer_ = global;
    pointerKnown_ = true;
    if (markup_.isDrawing()) {
        emit areaChanged(markup_.extend(global));
    } else if (editor_.isDragging()) {
        const QRect before = editor_.selection();
        editor_.move(Cell(global));
        emit selectionMoved(before);
    } else if (!editor_.hasSelection()) {
        const QRect window = windowAt(global);
        if (window != picked_) {
            picked_ = window;
            emit stateChanged();
        }
    }
    if (loupeBefore || showsLoupe())
        emit loupeMoved();
}

void CaptureModel::pointerReleased(const QPointF& global, Qt::MouseButton button) {
    if (ended_ || button != Qt::LeftButton)
        return;
    if (markup_.isDrawing()) {
        emit areaChanged(markup_.end(global));
        emit stateChanged();
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

void CaptureModel::pointerDoubleClicked(const QPointF& global) {
    if (!takesInput() || !editor_.hasSelection() || !editor_.selection().contains(Cell(global)))
        return;
    finish();
}

void CaptureModel::endText() {
    if (!markup_.isTyping())
        return;
    emit areaChanged(markup_.endText());
    emit typingChanged();
    emit stateChanged();
}

void CaptureModel::afterSelectionChange(const QRect& before) {
    if (editor_.hasSelection())
        markup_.recordSelection(before, editor_.selection());
    emit stateChanged();
}

void CaptureModel::replaceSelection(const QRect& selection) {
    const QRect before = editor_.selection();
    if (selection == before)
        return;
    picked_ = QRect();
    editor_.setSelection(selection);
    afterSelectionChange(before);
}

void CaptureModel::recallSelection(int direction) {
    if (!takesInput())
        return;
    std::vector<QRect> screens;
    for (const ScreenShot& shot : shots_)
        screens.push_back(shot.geometry);
    const QRect recalled = recall_.step(direction, screens);
    if (!recalled.isNull())
        replaceSelection(recalled);
}

void CaptureModel::selectScreen() {
    if (!takesInput() || shots_.empty())
        return;
    const int screen = screenAt(pointer_);
    replaceSelection(shots_[std::size_t(std::max(screen, 0))].geometry);
}

void CaptureModel::chooseTool(Tool tool) {
    endText();
    markup_.setTool(tool);
    emit stateChanged();
}

void CaptureModel::chooseColour(const QColor& colour) {
    markup_.setColour(colour);
    emit stateChanged();
}

void CaptureModel::chooseWidth(qreal width) {
    markup_.setWidth(width);
    emit stateChanged();
}

void CaptureModel::undo() {
    if (!takesInput())
        return;
    endText();
    apply(markup_.undo());
}

void CaptureModel::redo() {
    if (!takesInput())
        return;
    endText();
    apply(markup_.redo());
}

void CaptureModel::apply(const MarkHistory::Change& change) {
    if (change.selection)
        editor_.setSelection(*change.selection);
    emit stateChanged();
}

void CaptureModel::copyColour() {
    const int screen = screenAt(pointer_);
    if (screen < 0)
        return;
    const MarkedPicture& picture = markup_.pictures()[std::size_t(screen)];
    const QPoint pixel =
        PixelUnder(pointer_, picture.geometry().topLeft(), picture.scale(), picture.image().size());
    clipboard_.setText(ColourText(picture.image().pixel(pixel)));
    end(CaptureResult::Finished);
}

QImage CaptureModel::startSaving() {
    if (!takesInput() || !editor_.hasSelection())
        return {};
    endText();
    QImage image = selectedImage();
    saving_ = !image.isNull();
    return image;
}

void CaptureModel::stopSaving(bool saved) {
    if (!saving_)
        return;
    saving_ = false;
    if (ended_)
        return;
    if (saved)
        end(CaptureResult::Saved);
    else
        emit stateChanged();
}

void CaptureModel::pin() {
    endWithSelection(CaptureResult::Pinned);
}

void CaptureModel::readText() {
    endWithSelection(CaptureResult::ReadText);
}

void CaptureModel::endWithSelection(CaptureResult result) {
    if (!takesInput() || !editor_.hasSelection())
        return;
    endText();
    kept_ = selectedImage();
    if (!kept_.isNull())
        end(result);
}

void CaptureModel::finish() {
    if (!takesInput() || !editor_.hasSelection())
        return;
    endText();
    const QImage image = selectedImage();
    if (image.isNull())
        return;
    CopyCapture(image, clipboard_);
    end(CaptureResult::Finished);
}

void CaptureModel::cancel() {
    if (!takesInput())
        return;
    end(CaptureResult::Cancelled);
}

void CaptureModel::end(CaptureResult result) {
    if (ended_)
        return;
    // A text still being typed is lost with the capture; said so, the input
    // method lets go of the overlay.
    const bool typing = markup_.isTyping();
    ended_ = true;
    result_ = result;
    if (typing)
        emit typingChanged();
    emit ended();
}

} // namespace camera
