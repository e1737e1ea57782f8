#include "CameraDll/markup/text_entry.h"

#include <QFontMetricsF>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace camera {

namespace {

// The cursor moves and deletes by what a reader sees as one character: an
// emoji outside the basic plane is two UTF-16 units, an accented letter may
// be a letter and a combining mark. Splitting either leaves garbage.
int PreviousGrapheme(const QString& text, int position) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(position);
    const qsizetype previous = finder.toPreviousBoundary();
    return previous < 0 ? 0 : static_cast<int>(previous);
}

int NextGrapheme(const QString& text, int position) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(position);
    const qsizetype next = finder.toNextBoundary();
    return next < 0 ? static_cast<int>(text.size()) : static_cast<int>(next);
}

} // namespace

TextEntry::TextEntry(const QPointF& at, const QColor& colour, qreal width)
    : at_(at), colour_(colour), width_(width) {}

TextEntry::KeyResult TextEntry::key(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    switch (event.key()) {
    // Shift on its way to a capital letter, say: the text goes on.
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Mode_switch:
        return KeyResult::Ignored;
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyResult::Ended;
    case Qt::Key_Backspace: {
        const int from = PreviousGrapheme(text_, cursor_);
        text_.remove(from, cursor_ - from);
        cursor_ = from;
        return KeyResult::Edited;
    }
    case Qt::Key_Delete:
        text_.remove(cursor_, NextGrapheme(text_, cursor_) - cursor_);
        return KeyResult::Edited;
    case Qt::Key_Left:
        cursor_ = PreviousGrapheme(text_, cursor_);
        return KeyResult::Edited;
    case Qt::Key_Right:
        cursor_ = NextGrapheme(text_, cursor_);
        return KeyResult::Edited;
    case Qt::Key_Home:
        cursor_ = 0;
        return KeyResult::Edited;
    case Qt::Key_End:
        cursor_ = static_cast<int>(text_.size());
        return KeyResult::Edited;
    default:
        break;
    }
    // Shortcuts with Ctrl or Alt belong to the capture, not to the text.
    const QString typed = event.text();
    if (modifiers != Qt::NoModifier || typed.isEmpty() || !typed.front().isPrint())
        return KeyResult::NotMine;
    text_.insert(cursor_, typed);
    cursor_ += static_cast<int>(typed.size());
    return KeyResult::Edited;
}

void TextEntry::inputMethod(const QInputMethodEvent& event) {
    // The replacement is counted from the cursor; it may reach back into the
    // text already committed (an input method correcting its last word).
    if (event.replacementLength() > 0) {
        const int from =
            std::clamp(cursor_ + event.replacementStart(), 0, static_cast<int>(text_.size()));
        const int count =
            std::clamp(event.replacementLength(), 0, static_cast<int>(text_.size()) - from);
        text_.remove(from, count);
        cursor_ = from;
    }
    text_.insert(cursor_, event.commitString());
    cursor_ += static_cast<int>(event.commitString().size());
    composition_ = event.preeditString();
    compositionCursor_ = static_cast<int>(composition_.size());
    for (const QInputMethodEvent::Attribute& attribute : event.attributes())
        if (attribute.type == QInputMethodEvent::Cursor)
            compositionCursor_ =
                std::clamp(attribute.start, 0, static_cast<int>(composition_.size()));
}

void TextEntry::commitComposition() {
    text_.insert(cursor_, composition_);
    cursor_ += static_cast<int>(composition_.size());
    composition_.clear();
    compositionCursor_ = 0;
}

Mark TextEntry::mark() const {
    return {MarkKind::Text, colour_, width_, QPolygonF{at_}, text_};
}

Mark TextEntry::shown() const {
    Mark mark = this->mark();
    mark.text.insert(cursor_, composition_);
    return mark;
}

QRectF TextEntry::caret() const {
    const QFontMetricsF metrics(MarkFont(width_));
    const QString before = text_.left(cursor_) + composition_.left(compositionCursor_);
    return {at_.x() + metrics.horizontalAdvance(before), at_.y(), 2, metrics.height()};
}

QRectF TextEntry::bounds() const {
    // With room for the frame drawn around the text while it is typed.
    return MarkBounds(shown()).adjusted(-4, -4, 4, 4) | caret().adjusted(-1, -1, 1, 1);
}

} // namespace camera
