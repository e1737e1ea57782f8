#include "CameraDll/geometry/selection_editor.h"

#include <algorithm>
#include <cstdlib>

namespace camera {

namespace {

bool Near(int a, int b) {
    return std::abs(a - b) <= SelectionEditor::kHandleReach;
}

bool Within(int value, int first, int last) {
    return value >= first - SelectionEditor::kHandleReach &&
           value <= last + SelectionEditor::kHandleReach;
}

} // namespace

SelectionEditor::SelectionEditor(const QRect& bounds) : bounds_(bounds.normalized()) {}

Handle SelectionEditor::handleAt(const QPoint& point) const {
    if (!hasSelection())
        return Handle::None;
    const QRect& s = selection_;
    const bool nearLeft = Near(point.x(), s.left());
    const bool nearRight = Near(point.x(), s.right());
    const bool nearTop = Near(point.y(), s.top());
    const bool nearBottom = Near(point.y(), s.bottom());
    const bool inX = Within(point.x(), s.left(), s.right());
    const bool inY = Within(point.y(), s.top(), s.bottom());
    // On a small selection the reaches overlap; the nearer edge wins.
    const bool left = nearLeft && (!nearRight || point.x() - s.left() <= s.right() - point.x());
    const bool right = nearRight && !left;
    const bool top = nearTop && (!nearBottom || point.y() - s.top() <= s.bottom() - point.y());
    const bool bottom = nearBottom && !top;
    if (top && left)
        return Handle::TopLeft;
    if (top && right)
        return Handle::TopRight;
    if (bottom && left)
        return Handle::BottomLeft;
    if (bottom && right)
        return Handle::BottomRight;
    if ((top || bottom) && inX)
        return top ? Handle::Top : Handle::Bottom;
    if ((left || right) && inY)
        return left ? Handle::Left : Handle::Right;
    return s.contains(point) ? Handle::Inside : Handle::None;
}

QPoint SelectionEditor::clamped(const QPoint& point) const {
    return {std::clamp(point.x(), bounds_.left(), bounds_.right()),
            std::clamp(point.y(), bounds_.top(), bounds_.bottom())};
}

void SelectionEditor::span(int anchor, int pointer, bool forward, int low, int high, int& first,
                           int& last) {
    first = std::min(anchor, pointer);
    last = std::max(anchor, pointer);
    if (last - first + 1 >= kMinimumSide)
        return;
    // Too short: grow away from the anchor towards the pointer, or the other
    // way when that would leave the desktop.
    if (pointer != anchor)
        forward = pointer > anchor;
    if (forward ? anchor + kMinimumSide - 1 > high : anchor - kMinimumSide + 1 < low)
        forward = !forward;
    if (forward) {
        first = anchor;
        last = std::min(anchor + kMinimumSide - 1, high);
    } else {
        first = std::max(anchor - kMinimumSide + 1, low);
        last = anchor;
    }
}

void SelectionEditor::press(const QPoint& rawPoint) {
    const Handle handle = handleAt(rawPoint);
    const QPoint point = clamped(rawPoint);
    before_ = selection_;
    const QRect& s = selection_;
    switch (handle) {
    case Handle::None:
        gesture_ = Gesture::Drawing;
        anchor_ = point;
        selection_ = QRect(point, point);
        return;
    case Handle::Inside:
        gesture_ = Gesture::Moving;
        grabOffset_ = point - s.topLeft();
        return;
    default:
        break;
    }
    gesture_ = Gesture::Resizing;
    const bool grabsLeft =
        handle == Handle::TopLeft || handle == Handle::Left || handle == Handle::BottomLeft;
    const bool grabsTop =
        handle == Handle::TopLeft || handle == Handle::Top || handle == Handle::TopRight;
    resizesX_ = handle != Handle::Top && handle != Handle::Bottom;
    resizesY_ = handle != Handle::Left && handle != Handle::Right;
    anchor_ = QPoint(grabsLeft ? s.right() : s.left(), grabsTop ? s.bottom() : s.top());
    forwardX_ = !grabsLeft;
    forwardY_ = !grabsTop;
}

void SelectionEditor::move(const QPoint& rawPoint) {
    const QPoint point = clamped(rawPoint);
    switch (gesture_) {
    case Gesture::None:
        return;
    case Gesture::Drawing:
        // Not QRect::normalized(): it treats a reversed rectangle as exclusive
        // and loses a row and a column.
        selection_ =
            QRect(QPoint(std::min(anchor_.x(), point.x()), std::min(anchor_.y(), point.y())),
                  QPoint(std::max(anchor_.x(), point.x()), std::max(anchor_.y(), point.y())));
        return;
    case Gesture::Moving: {
        QPoint topLeft = point - grabOffset_;
        topLeft.setX(
            std::clamp(topLeft.x(), bounds_.left(), bounds_.right() - before_.width() + 1));
        topLeft.setY(
            std::clamp(topLeft.y(), bounds_.top(), bounds_.bottom() - before_.height() + 1));
        selection_ = QRect(topLeft, before_.size());
        return;
    }
    case Gesture::Resizing: {
        int left = selection_.left();
        int right = selection_.right();
        int top = selection_.top();
        int bottom = selection_.bottom();
        if (resizesX_)
            span(anchor_.x(), point.x(), forwardX_, bounds_.left(), bounds_.right(), left, right);
        if (resizesY_)
            span(anchor_.y(), point.y(), forwardY_, bounds_.top(), bounds_.bottom(), top, bottom);
        selection_ = QRect(QPoint(left, top), QPoint(right, bottom));
        return;
    }
    }
}

void SelectionEditor::release(const QPoint& point) {
    if (gesture_ == Gesture::None)
        return;
    move(point);
    if (gesture_ == Gesture::Drawing &&
        (selection_.width() < kMinimumSide || selection_.height() < kMinimumSide))
        selection_ = before_;
    gesture_ = Gesture::None;
}

void SelectionEditor::setSelection(const QRect& selection) {
    gesture_ = Gesture::None;
    selection_ = selection;
}

bool SelectionEditor::moveBy(const QPoint& step) {
    if (!hasSelection() || isDragging())
        return false;
    const QRect before = selection_;
    QPoint topLeft = selection_.topLeft() + step;
    topLeft.setX(std::clamp(topLeft.x(), bounds_.left(), bounds_.right() - before.width() + 1));
    topLeft.setY(std::clamp(topLeft.y(), bounds_.top(), bounds_.bottom() - before.height() + 1));
    selection_.moveTopLeft(topLeft);
    return selection_ != before;
}

bool SelectionEditor::resizeBy(const QPoint& step) {
    if (!hasSelection() || isDragging())
        return false;
    const QRect before = selection_;
    const QPoint corner = selection_.bottomRight() + step;
    // Not std::clamp: a picked window may be narrower than the minimum right
    // at the desktop's edge, and then the two limits cross.
    selection_.setRight(
        std::min(std::max(corner.x(), selection_.left() + kMinimumSide - 1), bounds_.right()));
    selection_.setBottom(
        std::min(std::max(corner.y(), selection_.top() + kMinimumSide - 1), bounds_.bottom()));
    return selection_ != before;
}

QRegion SelectionChangeArea(const QRect& before, const QRect& after, int reach) {
    const auto band = [reach](const QRect& r) {
        const QRegion frame = QRegion(r.adjusted(-reach, -reach, reach, reach))
                                  .subtracted(QRegion(r.adjusted(reach, reach, -reach, -reach)));
        // The label sits above the corner, or just inside it at the top of a screen.
        return frame.united(QRect(r.left() - reach, r.top() - 4 * reach, 40 * reach, 8 * reach));
    };
    return QRegion(before).xored(QRegion(after)).united(band(before)).united(band(after));
}

} // namespace camera
