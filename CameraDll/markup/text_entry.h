#pragma once

#include "CameraDll/markup/mark.h"

#include <QPointF>
#include <QString>

class QInputMethodEvent;
class QKeyEvent;

namespace camera {

// A text being typed in place, through the keyboard or an input method. The
// committed text becomes a mark; the input method's unfinished composition
// (the pinyin being typed, say) is shown at the cursor until it is committed.
class TextEntry {
public:
    enum class KeyResult { Edited, Ended, NotMine, Ignored };

    TextEntry(const QPointF& at, const QColor& colour, qreal width);

    const QString& text() const { return text_; }
    int cursor() const { return cursor_; }
    const QString& composition() const { return composition_; }

    KeyResult key(const QKeyEvent& event);
    void inputMethod(const QInputMethodEvent& event);
    // Takes what the input method still composes as typed. A text that ends
    // while pinyin is pending keeps it, as a line edit does when it loses
    // the focus.
    void commitComposition();

    // The committed text, as it will be drawn.
    Mark mark() const;
    // The text as it shows while typing: the composition at the cursor.
    Mark shown() const;
    // The composition's span within shown().text.
    int compositionStart() const { return cursor_; }
    // The text cursor in global logical pixels, where the composition ends.
    QRectF caret() const;
    // Everything that may be drawn while typing, caret and frame included.
    QRectF bounds() const;

private:
    QPointF at_;
    QColor colour_;
    qreal width_;
    QString text_;
    int cursor_ = 0;
    QString composition_;
    int compositionCursor_ = 0;
};

} // namespace camera
