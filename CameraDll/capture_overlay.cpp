#include "CameraDll/capture_overlay.h"

#include "CameraDll/capture_session.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QWindow>

#include <cmath>

namespace camera {

namespace {

const QColor kDim(0, 0, 0, 130);
const QColor kAccent(0, 160, 255);
constexpr int kHandleSide = 6;

QIcon TickIcon() {
    const int side = 64;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(30, 150, 60), side / 8.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    QPainterPath tick;
    tick.moveTo(side * 0.18, side * 0.52);
    tick.lineTo(side * 0.42, side * 0.76);
    tick.lineTo(side * 0.84, side * 0.26);
    painter.drawPath(tick);
    return QIcon(pixmap);
}

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

CaptureOverlay::CaptureOverlay(CaptureSession& session, ScreenShot shot)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint),
      session_(session), shot_(std::move(shot)) {
    setObjectName(QStringLiteral("captureOverlay"));
    setWindowTitle(QStringLiteral("截图"));
    // The overlay must never end the host program by going away.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Every pixel is painted from the screenshot; nothing to clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    if (shot_.screen)
        setScreen(shot_.screen);
    setGeometry(shot_.geometry);

    toolbar_ = new QWidget(this);
    toolbar_->setObjectName(QStringLiteral("captureToolbar"));
    toolbar_->setAutoFillBackground(true);
    toolbar_->setCursor(Qt::ArrowCursor);
    auto* layout = new QHBoxLayout(toolbar_);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    saveButton_ = new QToolButton(toolbar_);
    saveButton_->setObjectName(QStringLiteral("saveButton"));
    saveButton_->setText(QStringLiteral("保存"));
    saveButton_->setToolTip(QStringLiteral("保存为图片文件"));
    finishButton_ = new QToolButton(toolbar_);
    finishButton_->setObjectName(QStringLiteral("finishButton"));
    finishButton_->setText(QStringLiteral("✔"));
    finishButton_->setIcon(TickIcon());
    finishButton_->setIconSize(QSize(20, 20));
    finishButton_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    finishButton_->setToolTip(QStringLiteral("完成（复制到剪贴板，不保存文件）"));
    saveButton_->setMinimumHeight(28);
    finishButton_->setMinimumSize(28, 28);
    layout->addWidget(saveButton_);
    layout->addWidget(finishButton_);
    toolbar_->adjustSize();
    toolbar_->hide();
    connect(saveButton_, &QToolButton::clicked, &session_, &CaptureSession::save);
    connect(finishButton_, &QToolButton::clicked, &session_, &CaptureSession::finish);
}

void CaptureOverlay::placeToolbar(const QPoint& global) {
    toolbar_->move(global - shot_.geometry.topLeft());
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
        grabKeyboard();
        holdsKeyboard_ = true;
    }
}

QPoint CaptureOverlay::globalCell(const QPointF& local) const {
    return shot_.geometry.topLeft() +
           QPoint(static_cast<int>(std::floor(local.x())), static_cast<int>(std::floor(local.y())));
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
    painter.drawPixmap(0, 0, shot_.pixmap);
    const SelectionEditor& editor = session_.editor();
    if (!editor.hasSelection()) {
        painter.fillRect(rect(), kDim);
        paintHint(painter);
        return;
    }
    const QRect local = editor.selection().translated(-shot_.geometry.topLeft());
    for (const QRect& part : QRegion(rect()).subtracted(QRegion(local)))
        painter.fillRect(part, kDim);
    if (local.intersects(rect()))
        paintSelection(painter, local);
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

    const QSize size = session_.selectedDeviceSize();
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
    const QString text = QStringLiteral("拖动鼠标选择区域；Esc 或右键取消");
    const QFontMetrics metrics = painter.fontMetrics();
    QRect box(0, 0, metrics.horizontalAdvance(text) + 24, metrics.height() + 12);
    box.moveCenter(QPoint(width() / 2, box.height() + 16));
    painter.fillRect(box, QColor(0, 0, 0, 190));
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, text);
}

void CaptureOverlay::mousePressEvent(QMouseEvent* event) {
    session_.pointerPressed(globalCell(event->position()), event->button());
}

void CaptureOverlay::mouseMoveEvent(QMouseEvent* event) {
    const QPoint cell = globalCell(event->position());
    if (event->buttons() & Qt::LeftButton)
        session_.pointerMoved(cell);
    else
        setCursor(CursorFor(session_.handleAt(cell)));
}

void CaptureOverlay::mouseReleaseEvent(QMouseEvent* event) {
    session_.pointerReleased(globalCell(event->position()), event->button());
}

void CaptureOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        session_.cancel();
    else
        QWidget::keyPressEvent(event);
}

void CaptureOverlay::closeEvent(QCloseEvent* event) {
    // Closed from outside (a window manager's close key): that is a cancel.
    event->ignore();
    session_.cancel();
}

} // namespace camera
