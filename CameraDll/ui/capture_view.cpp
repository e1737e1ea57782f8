#include "CameraDll/ui/capture_view.h"

#include "CameraDll/desktop/overlay_windows.h"
#include "CameraDll/geometry/selection_editor.h"
#include "CameraDll/geometry/toolbar_placement.h"
#include "CameraDll/recognition/text_recognizer.h"
#include "CameraDll/session/capture_outcome.h"
#include "CameraDll/ui/capture_overlay.h"
#include "CameraDll/ui/capture_toolbar.h"

#include <QCursor>
#include <QEventLoop>

namespace camera {

namespace {

constexpr int kToolbarGap = 6;

std::vector<StackedWindow> WindowsOnScreen(const CaptureServices& services) {
    return services.listWindows ? services.listWindows() : std::vector<StackedWindow>{};
}

} // namespace

CaptureView::CaptureView(std::vector<ScreenShot> shots, CaptureServices services,
                         QClipboard& clipboard, std::vector<QRect> earlier)
    : services_(std::move(services)),
      // Read now, while the windows are where the frozen picture shows them.
      model_(std::move(shots), WindowsOnScreen(services_), clipboard, std::move(earlier)) {
    if (services_.recognizer) {
        const TextRecognizer::Availability availability = services_.recognizer->availability();
        canReadText_ = availability.ready && services_.readText;
        whyNoText_ = availability.missing;
    } else {
        whyNoText_ = QStringLiteral("这个版本的截图没有文字识别");
    }
    const std::vector<ScreenShot>& screens = model_.shots();
    overlays_.reserve(screens.size());
    for (std::size_t i = 0; i < screens.size(); ++i) {
        auto overlay = std::make_unique<CaptureOverlay>(model_, i);
        CaptureToolbar* toolbar = overlay->toolbar();
        // Through the overlay, whose guard keeps a failure inside the capture.
        CaptureOverlay* guard = overlay.get();
        const auto guarded = [guard](auto action) {
            return [guard, action](auto&&... args) { guard->guarded([&] { action(args...); }); };
        };
        connect(toolbar, &CaptureToolbar::toolChosen, this,
                guarded([this](Tool tool) { model_.chooseTool(tool); }));
        connect(toolbar, &CaptureToolbar::colourChosen, this,
                guarded([this](const QColor& colour) { model_.chooseColour(colour); }));
        connect(toolbar, &CaptureToolbar::widthChosen, this,
                guarded([this](qreal width) { model_.chooseWidth(width); }));
        connect(toolbar, &CaptureToolbar::undoRequested, this, guarded([this] { model_.undo(); }));
        connect(toolbar, &CaptureToolbar::redoRequested, this, guarded([this] { model_.redo(); }));
        connect(toolbar, &CaptureToolbar::readTextRequested, this,
                guarded([this] { model_.readText(); }));
        connect(toolbar, &CaptureToolbar::pinRequested, this, guarded([this] { model_.pin(); }));
        connect(toolbar, &CaptureToolbar::cancelRequested, this,
                guarded([this] { model_.cancel(); }));
        connect(toolbar, &CaptureToolbar::saveRequested, this, guarded([this] { save(); }));
        connect(toolbar, &CaptureToolbar::finishRequested, this,
                guarded([this] { model_.finish(); }));
        overlays_.push_back(std::move(overlay));
    }
    connect(&model_, &CaptureModel::areaChanged, this, &CaptureView::repaint);
    connect(&model_, &CaptureModel::selectionMoved, this, &CaptureView::repaintSelection);
    connect(&model_, &CaptureModel::stateChanged, this, &CaptureView::refresh);
    connect(&model_, &CaptureModel::loupeMoved, this, &CaptureView::moveLoupe);
    connect(&model_, &CaptureModel::typingChanged, this, &CaptureView::followTyping);
    connect(&model_, &CaptureModel::saveRequested, this, &CaptureView::save);
    connect(&model_, &CaptureModel::ended, this, &CaptureView::afterEnd);
}

CaptureView::~CaptureView() {
    // Hidden before they go: deleting a visible top-level window can make the
    // host application quit.
    hideOverlays();
}

void CaptureView::show() {
    std::vector<QWidget*> overlays;
    for (const auto& overlay : overlays_)
        overlays.push_back(overlay.get());
    ShowOverlays(overlays);
    CaptureOverlay* focus = nullptr;
    const QPoint cursor = QCursor::pos();
    model_.pointerIsAt(cursor);
    for (const auto& overlay : overlays_)
        if (!focus && overlay->geometry().contains(cursor))
            focus = overlay.get();
    if (!focus && !overlays_.empty())
        focus = overlays_.front().get();
    if (focus) {
        focus->raise();
        focus->activateWindow();
    }
    holdKeyboard(true);
}

CaptureResult CaptureView::exec() {
    show();
    if (!model_.hasEnded()) {
        QEventLoop loop;
        connect(&model_, &CaptureModel::ended, &loop, &QEventLoop::quit);
        loop.exec();
    }
    model_.end(CaptureResult::Cancelled);
    return model_.result();
}

void CaptureView::save() {
    const QImage image = model_.startSaving();
    if (image.isNull())
        return;
    CaptureOverlay* parent = toolbarHost();
    // Out of the way while the file is chosen: the overlays stay above every
    // managed window, the dialog included, and they hold the keyboard.
    hideOverlays();
    const QString proposed = DefaultSaveFileName(PicturesFolder(), QDateTime::currentDateTime());
    const QString path = WithPngSuffix(services_.askSavePath(parent, proposed));
    QString error;
    const bool saved = !path.isEmpty() && SaveCapture(image, path, &error);
    if (!path.isEmpty() && !saved)
        services_.reportSaveFailure(parent, error);
    model_.stopSaving(saved);
    // Nothing chosen, or the file could not be written: back to the same
    // selection, so the person can try again or finish instead.
    if (!model_.hasEnded())
        show();
}

CaptureOverlay* CaptureView::toolbarHost() const {
    const int screen = model_.toolbarScreen();
    return screen < 0 ? nullptr : overlays_[std::size_t(screen)].get();
}

void CaptureView::refresh() {
    const int host = model_.toolbarScreen();
    const Markup& markup = model_.markup();
    for (std::size_t i = 0; i < overlays_.size(); ++i) {
        CaptureOverlay* overlay = overlays_[i].get();
        CaptureToolbar* toolbar = overlay->toolbar();
        toolbar->showState(markup.tool(), markup.colour(), markup.width(),
                           markup.history().canUndo(), markup.history().canRedo());
        toolbar->showRecognition(canReadText_, whyNoText_);
        if (int(i) == host) {
            const QRect screen = model_.shots()[i].geometry;
            toolbar->fitWidth(screen.width() - 2 * kToolbarGap);
            overlay->placeToolbar(PlaceToolbar(model_.editor().selection(), toolbar->sizeHint(),
                                               screen, kToolbarGap));
        } else {
            overlay->hideToolbar();
        }
        overlay->update();
    }
}

void CaptureView::repaintSelection(const QRect& before) {
    // Only the edges and the strips between the old and the new rectangle
    // change; a full repaint of a 4K screen per pointer move is too slow.
    const SelectionEditor& editor = model_.editor();
    if (before.isNull() || !editor.hasSelection()) {
        refresh();
        return;
    }
    const QRegion area = SelectionChangeArea(before, editor.selection(), 10);
    for (std::size_t i = 0; i < overlays_.size(); ++i) {
        const QRect screen = model_.shots()[i].geometry;
        overlays_[i]->update(area.intersected(screen).translated(-screen.topLeft()));
    }
}

void CaptureView::repaint(const QRectF& area) {
    if (area.isEmpty())
        return;
    // A pixel more on each side for the antialiased edges.
    const QRect box = area.toAlignedRect().adjusted(-2, -2, 2, 2);
    for (std::size_t i = 0; i < overlays_.size(); ++i) {
        const QRect screen = model_.shots()[i].geometry;
        const QRect part = box & screen;
        if (!part.isEmpty())
            overlays_[i]->update(part.translated(-screen.topLeft()));
    }
}

void CaptureView::moveLoupe() {
    for (const auto& overlay : overlays_)
        overlay->moveLoupe();
}

void CaptureView::followTyping() {
    // The input method composes on the overlay the text is on, which must
    // then also hold the focus and the keyboard: with two screens the click
    // may have come to another overlay than the one holding them.
    const int screen = model_.hasEnded() ? -1 : model_.typingScreen();
    for (std::size_t i = 0; i < overlays_.size(); ++i)
        if (int(i) != screen)
            overlays_[i]->setTyping(false);
    if (screen >= 0) {
        overlays_[std::size_t(screen)]->setTyping(true);
        holdKeyboard(true);
    }
}

void CaptureView::holdKeyboard(bool hold) {
    if (overlays_.empty())
        return;
    CaptureOverlay* keeper = overlays_.front().get();
    for (const auto& overlay : overlays_)
        if (overlay->isActiveWindow())
            keeper = overlay.get();
    const int typing = model_.hasEnded() ? -1 : model_.typingScreen();
    if (typing >= 0)
        keeper = overlays_[std::size_t(typing)].get();
    // Released everywhere first: X11 moves a grab only from its holder.
    for (const auto& overlay : overlays_)
        if (overlay.get() != keeper)
            overlay->wantKeyboard(false);
    keeper->wantKeyboard(hold);
}

void CaptureView::afterEnd() {
    hideOverlays();
    // The overlays are out of the way first: a pin appears where the
    // selection was, and a window that reads its text beside it.
    const QRect place = model_.editor().selection();
    if (model_.result() == CaptureResult::Pinned && services_.pin)
        services_.pin(model_.keptImage(), place);
    else if (model_.result() == CaptureResult::ReadText && canReadText_)
        services_.readText(model_.keptImage(), place);
}

void CaptureView::hideOverlays() {
    holdKeyboard(false);
    for (const auto& overlay : overlays_) {
        overlay->setTyping(false);
        overlay->hide();
    }
}

} // namespace camera
