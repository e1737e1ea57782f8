#pragma once

#include "CameraDll/device_crop.h"

#include <QWidget>

class QToolButton;

namespace camera {

class CaptureSession;

// The frozen picture of one screen with the selection drawn over it. It only
// paints and passes input on to the session.
class CaptureOverlay : public QWidget {
    Q_OBJECT
public:
    // The shot is held by value: the pixmap inside is shared, not copied.
    CaptureOverlay(CaptureSession& session, ScreenShot shot);

    QWidget* toolbar() const { return toolbar_; }
    QToolButton* saveButton() const { return saveButton_; }
    QToolButton* finishButton() const { return finishButton_; }

    // Toolbar at a global logical position, or hidden.
    void placeToolbar(const QPoint& global);
    void hideToolbar();
    // Takes the keyboard as soon as the window is on screen, so Escape works
    // even where the window manager never activates it.
    void wantKeyboard(bool want);

    const ScreenShot& shot() const { return shot_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPoint globalCell(const QPointF& local) const;
    void paintSelection(QPainter& painter, const QRect& local);
    void paintHint(QPainter& painter);

    CaptureSession& session_;
    ScreenShot shot_;
    QWidget* toolbar_ = nullptr;
    QToolButton* saveButton_ = nullptr;
    QToolButton* finishButton_ = nullptr;
    bool wantsKeyboard_ = false;
    bool holdsKeyboard_ = false;
};

} // namespace camera
