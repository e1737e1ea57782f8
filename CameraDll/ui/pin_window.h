#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace camera {

// "贴图": a selection pinned above the other windows, at its place and size,
// in the device pixels it was captured with. Dragging moves it, the wheel
// zooms it around the pointer, a double click or Esc closes it, and its menu
// copies, saves or closes it. It holds the one picture it was given.
class PinWindow : public QWidget {
    Q_OBJECT
public:
    using AskSavePath = std::function<QString(QWidget* parent, const QString& proposed)>;

    // picture: device pixels, its device pixel ratio the capture's scale;
    // place: where the selection was, in global logical pixels.
    PinWindow(QImage picture, const QRect& place, AskSavePath askSavePath);

    const QImage& picture() const { return picture_; }
    // In tenths of the captured size.
    int zoom() const { return zoom_; }

    void copy();
    void save();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QImage picture_;
    QSize natural_; // the selection's logical size
    AskSavePath askSavePath_;
    int zoom_;
    int wheelRest_ = 0; // a touchpad's scrolling short of a whole step
    QPoint grabbedAt_;  // where in the window a drag took hold; null if none
    bool dragging_ = false;
    bool hovered_ = false;
};

} // namespace camera
