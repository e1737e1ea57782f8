#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>

namespace camera {

// Where a pointer is, seen from the current selection.
enum class Handle {
    None,
    Inside,
    TopLeft,
    Top,
    TopRight,
    Right,
    BottomRight,
    Bottom,
    BottomLeft,
    Left,
};

// The selection rectangle and the drag gestures that shape it, in logical
// pixels of the virtual desktop. Points are pixel cells: a drag from one cell
// to another selects both cells and everything between, so the last row and
// column of a screen can be reached.
class SelectionEditor {
public:
    // Below this a drawn rectangle is taken for a stray click, and resizing
    // stops here so the handles never sit on top of each other.
    static constexpr int kMinimumSide = 4;
    // How far from a corner or edge the pointer still takes hold of it.
    static constexpr int kHandleReach = 6;

    explicit SelectionEditor(const QRect& bounds);

    const QRect& bounds() const { return bounds_; }
    bool hasSelection() const { return !selection_.isNull(); }
    // Null while there is none.
    QRect selection() const { return selection_; }
    bool isDragging() const { return gesture_ != Gesture::None; }

    Handle handleAt(const QPoint& point) const;

    void press(const QPoint& point);
    void move(const QPoint& point);
    void release(const QPoint& point);

    // Puts the selection as it is given (a picked window, an undone step).
    void setSelection(const QRect& selection);
    // Moves the selection by a step, or its bottom-right corner, resizing it;
    // it stays on the desktop and no smaller than kMinimumSide. Returns
    // whether it changed.
    bool moveBy(const QPoint& step);
    bool resizeBy(const QPoint& step);

private:
    enum class Gesture { None, Drawing, Moving, Resizing };

    QPoint clamped(const QPoint& point) const;
    // Cells between anchor and pointer on one axis, at least kMinimumSide long,
    // kept inside [low, high]. With the pointer on the anchor the selection
    // stays on the side it was (forward: after the anchor).
    static void span(int anchor, int pointer, bool forward, int low, int high, int& first,
                     int& last);

    QRect bounds_;
    QRect selection_;
    QRect before_;
    Gesture gesture_ = Gesture::None;
    QPoint anchor_;
    QPoint grabOffset_;
    bool resizesX_ = false;
    bool resizesY_ = false;
    bool forwardX_ = false;
    bool forwardY_ = false;
};

// What must be repainted when the selection goes from one rectangle to
// another: where the dimming changes, and a band of the given reach around
// each rectangle's edges (its frame and handles) and above its top-left
// corner (the size label).
QRegion SelectionChangeArea(const QRect& before, const QRect& after, int reach);

} // namespace camera
