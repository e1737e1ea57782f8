#include "CameraDll/ui/pin_window.h"

#include "CameraDll/desktop/platform_kind.h"
#include "CameraDll/geometry/pin_zoom.h"
#include "CameraDll/session/capture_outcome.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QWindow>

namespace camera {

namespace {

const QColor kAccent(0, 160, 255);
// One notch of a mouse wheel.
constexpr int kWheelStep = 120;

} // namespace

PinWindow::PinWindow(QImage picture, const QRect& place, AskSavePath askSavePath)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(std::move(picture)), natural_(place.size()), askSavePath_(std::move(askSavePath)),
      zoom_(kNaturalZoom) {
    setObjectName(QStringLiteral("pinWindow"));
    setWindowTitle(QStringLiteral("贴图"));
    setAccessibleName(QStringLiteral("贴图"));
    // The picture covers the window; nothing to clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::SizeAllCursor);
    setGeometry(place);

    const auto addAction = [this](const QString& text, auto slot) {
        auto* action = new QAction(text, this);
        connect(action, &QAction::triggered, this, slot);
        QWidget::addAction(action);
    };
    addAction(QStringLiteral("复制"), &PinWindow::copy);
    addAction(QStringLiteral("保存"), &PinWindow::save);
    addAction(QStringLiteral("关闭"), &QWidget::close);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void PinWindow::copy() {
    CopyCapture(picture_, *QGuiApplication::clipboard());
}

void PinWindow::save() {
    const QString proposed = DefaultSaveFileName(PicturesFolder(), QDateTime::currentDateTime());
    const QString path = WithPngSuffix(askSavePath_(this, proposed));
    QString error;
    if (!path.isEmpty() && !SaveCapture(picture_, path, &error))
        QMessageBox::warning(this, QStringLiteral("保存失败"),
                             QStringLiteral("截图没有保存：%1").arg(error));
}

void PinWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // At its captured size on a screen of its scale every device pixel is
    // drawn as it was; zoomed, it is smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ != kNaturalZoom);
    painter.drawImage(QRectF(rect()), picture_);
    // Where the pin ends, once the pointer is on it: at its own place it
    // cannot otherwise be told from the screen under it.
    if (hovered_) {
        painter.setPen(QPen(kAccent, 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PinWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    // On Wayland a window cannot place itself: the compositor is asked to
    // move it. Elsewhere the pin follows the pointer itself, for a window
    // manager's move would hold the pointer and swallow a double click.
    if (OnWayland() && windowHandle() && windowHandle()->startSystemMove())
        return;
    grabbedAt_ = event->position().toPoint();
    dragging_ = true;
}

void PinWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_)
        move(event->globalPosition().toPoint() - grabbedAt_);
}

void PinWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

void PinWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        close();
}

void PinWindow::wheelEvent(QWheelEvent* event) {
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / kWheelStep;
    wheelRest_ %= kWheelStep;
    const int zoom = StepZoom(zoom_, steps);
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    setGeometry(ZoomAround(geometry(), natural_, zoom_, event->globalPosition().toPoint()));
    update();
}

void PinWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void PinWindow::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QWidget::enterEvent(event);
}

void PinWindow::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QWidget::leaveEvent(event);
}

} // namespace camera
