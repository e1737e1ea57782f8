#pragma once

#include "CameraDll/device_crop.h"

#include <QWidget>

class QToolButton;

namespace camera {

class CaptureSession;
class CaptureToolbar;

// The frozen picture of one screen with the selection drawn over it. It only
// paints and passes input on to the session.
class CaptureOverlay : public QWidget {
    Q_OBJECT
public:
    // The shot is held by value: the pixmap inside is shared, not copied.
    CaptureOverlay(CaptureSession& session, ScreenShot shot);

    CaptureToolbar* toolbar() const { return toolbar_; }
    QToolButton* saveButton() const;
    QToolButton* finishButton() const;

    // Toolbar at a global logical position, or hidden.
    void placeToolbar(const QPoint& global);
    void hideToolbar();
    // Takes the keyboard as soon as the window is on screen, so Escape works
    // even where the window manager never activates it.
    void wantKeyboard(bool want);
    // Lets the input method in while a text is typed on this overlay.
    void setTyping(bool typing);
    // Repaints where the magnifier was and where it goes.
    void moveLoupe();

    const ScreenShot& shot() const { return shot_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPoint globalCell(const QPointF& local) const;
    QPointF global(const QPointF& local) const;
    void paintSelection(QPainter& painter, const QRect& local);
    void paintHint(QPainter& painter);
    // The magnifier's place on this overlay; null when it is not here.
    QRect loupeRect() const;

    CaptureSession& session_;
    ScreenShot shot_;
    CaptureToolbar* toolbar_ = nullptr;
    QRect loupeShown_;
    bool wantsKeyboard_ = false;
    bool holdsKeyboard_ = false;
};

} // namespace camera
