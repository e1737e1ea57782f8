#pragma once

#include <QWidget>

#include <cstddef>

class QToolButton;

namespace camera {

class CaptureModel;
class CaptureToolbar;

// The frozen picture of one screen with the selection drawn over it. It
// paints what the model holds and passes input on to it.
class CaptureOverlay : public QWidget {
    Q_OBJECT
public:
    // screen: the index of the screen among the model's shots.
    CaptureOverlay(CaptureModel& model, std::size_t screen);

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

    // Runs what input sets off. Nothing may be thrown through Qt's event
    // loop, least of all a nested one: a failure ends the capture instead.
    template <typename Action> void guarded(Action&& action) {
        try {
            action();
        } catch (...) {
            failed();
        }
    }

protected:
    bool event(QEvent* event) override;
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
    const QRect& screenGeometry() const;
    QPointF global(const QPointF& local) const;
    void failed();
    void grabKeyboardNow();
    void paintSelection(QPainter& painter, const QRect& local);
    void paintHint(QPainter& painter);
    // The magnifier's place on this overlay; null when it is not here.
    QRect loupeRect() const;

    CaptureModel& model_;
    std::size_t screen_;
    CaptureToolbar* toolbar_ = nullptr;
    QRect loupeShown_;
    bool wantsKeyboard_ = false;
    bool holdsKeyboard_ = false;
    bool grabRetried_ = false;
};

} // namespace camera
