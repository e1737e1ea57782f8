#include "CameraDll/markup/markup.h"

#include <algorithm>

namespace camera {

namespace {

MarkKind KindOf(Tool tool) {
    switch (tool) {
    case Tool::Ellipse:
        return MarkKind::Ellipse;
    case Tool::Arrow:
        return MarkKind::Arrow;
    case Tool::Pen:
        return MarkKind::Pen;
    case Tool::Highlighter:
        return MarkKind::Highlighter;
    case Tool::Number:
        return MarkKind::Number;
    case Tool::Blur:
        return MarkKind::Blur;
    case Tool::Text:
        return MarkKind::Text;
    case Tool::Mosaic:
        return MarkKind::Mosaic;
    case Tool::None:
    case Tool::Rectangle:
        break;
    }
    return MarkKind::Rectangle;
}

bool IsStroke(MarkKind kind) {
    return kind == MarkKind::Pen || kind == MarkKind::Highlighter;
}

} // namespace

Markup::Markup(std::vector<MarkedPicture> pictures) : pictures_(std::move(pictures)) {}

QRectF Markup::begin(const QPointF& point) {
    if (tool_ == Tool::None || tool_ == Tool::Text || tool_ == Tool::Number)
        return {};
    // A shape is its two corners from the start; a stroke grows point by point.
    const MarkKind kind = KindOf(tool_);
    draft_ = Mark{
        kind, colour_, width_, IsStroke(kind) ? QPolygonF{point} : QPolygonF{point, point}, {}};
    return MarkBounds(*draft_);
}

QRectF Markup::extend(const QPointF& point) {
    if (!draft_)
        return {};
    const QRectF before = MarkBounds(*draft_);
    if (IsStroke(draft_->kind)) {
        if (draft_->points.back() != point)
            draft_->points.append(point);
    } else {
        draft_->points.back() = point;
    }
    return before | MarkBounds(*draft_);
}

QRectF Markup::end(const QPointF& point) {
    if (!draft_)
        return {};
    QRectF changed = extend(point);
    Mark mark = std::move(*draft_);
    draft_.reset();
    // A click is no mark: it would leave a stray dot or a shape of no size.
    if (mark.points.front() == mark.points.back() && mark.points.size() <= 2)
        return changed;
    if (!IsStroke(mark.kind))
        mark.points = QPolygonF{mark.points.front(), mark.points.back()};
    return changed | add(std::move(mark));
}

QRectF Markup::placeNumber(const QPointF& at) {
    const auto& marks = history_.marks();
    const auto placed = std::count_if(
        marks.begin(), marks.end(), [](const Mark& mark) { return mark.kind == MarkKind::Number; });
    return add(Mark{MarkKind::Number, colour_, width_, QPolygonF{at}, QString::number(placed + 1)});
}

QRectF Markup::startText(const QPointF& at) {
    const QRectF changed = endText();
    text_.emplace(at, colour_, width_);
    return changed | text_->bounds();
}

QRectF Markup::endText() {
    if (!text_)
        return {};
    QRectF changed = text_->bounds();
    // Kept here rather than left to the input method: it commits only once it
    // is switched off, when this text is already a mark.
    text_->commitComposition();
    Mark mark = text_->mark();
    text_.reset();
    if (!mark.text.isEmpty())
        changed |= add(std::move(mark));
    return changed;
}

QRectF Markup::add(Mark mark) {
    for (MarkedPicture& picture : pictures_)
        picture.add(mark);
    const QRectF changed = MarkBounds(mark);
    history_.add(std::move(mark));
    return changed;
}

void Markup::redrawAll() {
    for (MarkedPicture& picture : pictures_)
        picture.redraw(history_.marks());
}

MarkHistory::Change Markup::undo() {
    const MarkHistory::Change change = history_.undo();
    if (change.marks)
        redrawAll();
    return change;
}

MarkHistory::Change Markup::redo() {
    const MarkHistory::Change change = history_.redo();
    // A mark put back goes on top of the others, as it was.
    if (change.marks)
        for (MarkedPicture& picture : pictures_)
            picture.add(history_.marks().back());
    return change;
}

} // namespace camera
