#include "CameraDll/ui/capture_overlay.h"

#include "CameraDll/capture_log.h"
#include "CameraDll/geometry/loupe_placement.h"
#include "CameraDll/geometry/pixel_grid.h"
#include "CameraDll/markup/markup_painting.h"
#include "CameraDll/session/capture_model.h"
#include "CameraDll/ui/capture_toolbar.h"
#include "CameraDll/ui/loupe_painting.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

namespace camera {

namespace {

const QColor kDim(0, 0, 0, 130);
const QColor kAccent(0, 160, 255);
constexpr int kHandleSide = 6;
constexpr int kLoupeGap = 20;
// Another X11 client may hold the keyboard for a moment: a menu being
// closed, a global shortcut still pressed.
constexpr int kGrabRetryMs = 100;

Qt::CursorShape CursorFor(Handle handle) {
    switch (handle) {
    case Handle::Inside:
        return Qt::SizeAllCursor;
    case Handle::TopLeft:
    case Handle::BottomRight:
        return Qt::SizeFDiagCursor;
    case Handle::TopRight:
    case Handle::BottomLeft:
        return Qt::SizeBDiagCursor;
    case Handle::Top:
    case Handle::Bottom:
        return Qt::SizeVerCursor;
    case Handle::Left:
    case Handle::Right:
        return Qt::SizeHorCursor;
    case Handle::None:
        break;
    }
    return Qt::CrossCursor;
}

} // namespace

CaptureOverlay::CaptureOverlay(CaptureModel& model, std::size_t screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint),
      model_(model), screen_(screen) {
    setObjectName(QStringLiteral("captureOverlay"));
    setWindowTitle(QStringLiteral("截图"));
    // The overlay must never end the host program by going away.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Every pixel is painted from the screenshot; nothing to clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    // The overlay takes the keys itself; it is the input method's target
    // while a text is typed.
    setFocusPolicy(Qt::StrongFocus);
    const ScreenShot& shot = model_.shots()[screen_];
    if (shot.screen)
        setScreen(shot.screen);
    setGeometry(shot.geometry);

    toolbar_ = new CaptureToolbar(this);
    toolbar_->hide();
}

const QRect& CaptureOverlay::screenGeometry() const {
    return model_.shots()[screen_].geometry;
}

QToolButton* CaptureOverlay::saveButton() const {
    return toolbar_->saveButton();
}

QToolButton* CaptureOverlay::finishButton() const {
    return toolbar_->finishButton();
}

void CaptureOverlay::placeToolbar(const QPoint& global) {
    toolbar_->setGeometry(QRect(global - screenGeometry().topLeft(), toolbar_->sizeHint()));
    toolbar_->show();
    toolbar_->raise();
}

void CaptureOverlay::hideToolbar() {
    toolbar_->hide();
}

void CaptureOverlay::wantKeyboard(bool want) {
    wantsKeyboard_ = want;
    if (!want && holdsKeyboard_) {
        releaseKeyboard();
        holdsKeyboard_ = false;
    } else if (want && !holdsKeyboard_ && windowHandle() && windowHandle()->isExposed()) {
        grabKeyboardNow();
    }
}

void CaptureOverlay::grabKeyboardNow() {
    // Qt sends the keys here from now on, whatever window is active.
    grabKeyboard();
    holdsKeyboard_ = true;
    // Only X11 says whether the window system granted the grab itself; on
    // Wayland the compositor gives the keys to the window mapped last.
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        windowHandle()->setKeyboardGrabEnabled(true))
        return;
    if (grabRetried_) {
        qCWarning(lcCapture, "the X server refused the keyboard to the capture twice; keys may "
                             "reach another program until the overlay is clicked");
        return;
    }
    grabRetried_ = true;
    QTimer::singleShot(kGrabRetryMs, this, [this] {
        if (wantsKeyboard_ && holdsKeyboard_)
            grabKeyboardNow();
    });
}

void CaptureOverlay::setTyping(bool typing) {
    if (testAttribute(Qt::WA_InputMethodEnabled) == typing)
        return;
    // Switching the input method off makes it commit what it still composes;
    // that arrives while the text it belonged to is already a mark, and the
    // model ignores it, having kept the composition itself.
    setAttribute(Qt::WA_InputMethodEnabled, typing);
    if (typing) {
        activateWindow();
        setFocus(Qt::OtherFocusReason);
    }
    // The input method asks the focus object again, and so learns that it
    // may (or may no longer) compose text here, and where the cursor is.
    QGuiApplication::inputMethod()->update(Qt::ImQueryAll);
}

QRect CaptureOverlay::loupeRect() const {
    const QRect& screen = screenGeometry();
    const QPoint pointer = Cell(model_.pointer());
    if (!model_.showsLoupe() || !screen.contains(pointer))
        return {};
    const QSize size = LoupeSize(model_.picture(screen_).scale(), fontMetrics().height());
    return PlaceLoupe(pointer, size, screen, kLoupeGap).translated(-screen.topLeft());
}

void CaptureOverlay::moveLoupe() {
    // Also where it stays: pinned at a screen's edge it shows other pixels.
    const QRect now = loupeRect();
    update(loupeShown_);
    update(now);
    loupeShown_ = now;
}

QPointF CaptureOverlay::global(const QPointF& local) const {
    return QPointF(screenGeometry().topLeft()) + local;
}

void CaptureOverlay::failed() {
    qCWarning(lcCapture, "the capture failed while handling input");
    model_.end(CaptureResult::Failed);
}

bool CaptureOverlay::event(QEvent* event) {
    bool handled = true;
    guarded([&] { handled = QWidget::event(event); });
    return handled;
}

void CaptureOverlay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // X11 grants a keyboard grab only to a window already on screen, which
    // this one is not until its first expose, a moment after show().
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
}

bool CaptureOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle() && wantsKeyboard_ &&
        !holdsKeyboard_)
        wantKeyboard(true);
    return QWidget::eventFilter(watched, event);
}

void CaptureOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect& screen = screenGeometry();
    const MarkedPicture& picture = model_.picture(screen_);
    painter.drawImage(QPointF(0, 0), picture.image());
    painter.save();
    painter.translate(-screen.topLeft());
    DrawMarkupInProgress(painter, model_.markup(), picture.backdrop());
    painter.restore();

    const SelectionEditor& editor = model_.editor();
    if (!editor.hasSelection()) {
        // The window a click would take stays bright.
        const QRect window = model_.pickedWindow().translated(-screen.topLeft());
        for (const QRect& part : QRegion(rect()).subtracted(QRegion(window)))
            painter.fillRect(part, kDim);
        if (!window.isEmpty()) {
            painter.setPen(QPen(kAccent, 3));
            painter.drawRect(window.adjusted(1, 1, -2, -2));
        }
        paintHint(painter);
    } else {
        const QRect local = editor.selection().translated(-screen.topLeft());
        for (const QRect& part : QRegion(rect()).subtracted(QRegion(local)))
            painter.fillRect(part, kDim);
        if (local.intersects(rect()))
            paintSelection(painter, local);
    }
    loupeShown_ = loupeRect();
    if (!loupeShown_.isNull())
        DrawLoupe(
            painter, loupeShown_, picture.image(),
            PixelUnder(model_.pointer(), screen.topLeft(), picture.scale(), picture.image().size()),
            picture.scale());
}

void CaptureOverlay::paintSelection(QPainter& painter, const QRect& local) {
    painter.setPen(QPen(kAccent, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(local.adjusted(0, 0, -1, -1));
    const int l = local.left(), r = local.right(), t = local.top(), b = local.bottom();
    const int cx = (l + r) / 2, cy = (t + b) / 2;
    const QPoint handles[] = {{l, t}, {cx, t}, {r, t}, {r, cy}, {r, b}, {cx, b}, {l, b}, {l, cy}};
    for (const QPoint& h : handles)
        painter.fillRect(
            QRect(h.x() - kHandleSide / 2, h.y() - kHandleSide / 2, kHandleSide, kHandleSide),
            kAccent);

    const QSize size = model_.selectedDeviceSize();
    const QString text = QStringLiteral("%1 × %2").arg(size.width()).arg(size.height());
    const QFontMetrics metrics = painter.fontMetrics();
    QRect label(0, 0, metrics.horizontalAdvance(text) + 12, metrics.height() + 6);
    label.moveBottomLeft(local.topLeft() - QPoint(0, 4));
    if (label.top() < 0)
        label.moveTopLeft(local.topLeft() + QPoint(4, 4));
    painter.fillRect(label, QColor(0, 0, 0, 190));
    painter.setPen(Qt::white);
    painter.drawText(label, Qt::AlignCenter, text);
}

void CaptureOverlay::paintHint(QPainter& painter) {
    const QString keys =
        model_.picksWindows()
            ? QStringLiteral("拖动鼠标选择区域，单击选择窗口，Ctrl+A 选择整个屏幕；Esc 或右键取消")
            : QStringLiteral("拖动鼠标选择区域，Ctrl+A 选择整个屏幕；Esc 或右键取消");
    const QString more =
        QStringLiteral("按“,”键和“.”键找回之前截图的选区；选好后可标注（序号、荧光笔、"
                       "模糊、马赛克）、文字识别或贴图");
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height();
    QRect box(0, 0, std::max(metrics.horizontalAdvance(keys), metrics.horizontalAdvance(more)) + 24,
              2 * line + 16);
    box.moveCenter(QPoint(width() / 2, box.height() / 2 + line + 28));
    painter.fillRect(box, QColor(0, 0, 0, 190));
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(12, 6, -12, -6), Qt::AlignHCenter | Qt::AlignTop, keys);
    painter.drawText(box.adjusted(12, 6, -12, -6), Qt::AlignHCenter | Qt::AlignBottom, more);
}

void CaptureOverlay::mousePressEvent(QMouseEvent* event) {
    model_.pointerPressed(global(event->position()), event->button());
}

void CaptureOverlay::mouseMoveEvent(QMouseEvent* event) {
    model_.pointerMoved(global(event->position()));
    if (!(event->buttons() & Qt::LeftButton))
        setCursor(CursorFor(model_.handleAt(Cell(global(event->position())))));
}

void CaptureOverlay::mouseReleaseEvent(QMouseEvent* event) {
    model_.pointerReleased(global(event->position()), event->button());
}

void CaptureOverlay::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        model_.pointerDoubleClicked(global(event->position()));
}

void CaptureOverlay::keyPressEvent(QKeyEvent* event) {
    if (!model_.keyPressed(*event))
        QWidget::keyPressEvent(event);
}

void CaptureOverlay::inputMethodEvent(QInputMethodEvent* event) {
    model_.inputMethod(*event);
    event->accept();
}

QVariant CaptureOverlay::inputMethodQuery(Qt::InputMethodQuery query) const {
    const TextEntry* text = model_.markup().text();
    if (!text || int(screen_) != model_.typingScreen())
        return query == Qt::ImEnabled ? QVariant(false) : QWidget::inputMethodQuery(query);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        // Where the input method puts its list of candidates.
        return text->caret().translated(-QPointF(screenGeometry().topLeft())).toAlignedRect();
    case Qt::ImFont:
        return MarkFont(text->mark().width);
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
        return text->cursor();
    case Qt::ImSurroundingText:
        return text->text();
    case Qt::ImCurrentSelection:
        return QString();
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhNoPredictiveText);
    default:
        return QWidget::inputMethodQuery(query);
    }
}

void CaptureOverlay::closeEvent(QCloseEvent* event) {
    // Closed from outside (a window manager's close key): that is a cancel.
    event->ignore();
    model_.cancel();
}

} // namespace camera
