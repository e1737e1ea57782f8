#pragma once

#include "CameraDll/markup/mark_history.h"
#include "CameraDll/markup/marked_picture.h"
#include "CameraDll/markup/text_entry.h"

#include <QColor>
#include <QRectF>

#include <optional>
#include <vector>

namespace camera {

enum class Tool { None, Rectangle, Ellipse, Arrow, Pen, Highlighter, Text, Number, Mosaic, Blur };

// The marking up of one capture: the chosen tool, colour and width, the marks
// with their history, the mark being drawn or typed, and every screen's
// picture with the marks on it. Operations return the area they changed, in
// global logical pixels, for the overlays to repaint.
class Markup {
public:
    static constexpr qreal kThin = 2;
    static constexpr qreal kMedium = 4;
    static constexpr qreal kThick = 8;

    // One picture per screen, in the order of the screens.
    explicit Markup(std::vector<MarkedPicture> pictures);

    Tool tool() const { return tool_; }
    const QColor& colour() const { return colour_; }
    qreal width() const { return width_; }
    void setTool(Tool tool) { tool_ = tool; }
    void setColour(const QColor& colour) { colour_ = colour; }
    void setWidth(qreal width) { width_ = width; }

    const MarkHistory& history() const { return history_; }
    const std::vector<MarkedPicture>& pictures() const { return pictures_; }

    // A drag with the current tool (not the text or the number tool).
    bool isDrawing() const { return draft_.has_value(); }
    const std::optional<Mark>& draft() const { return draft_; }
    QRectF begin(const QPointF& point);
    QRectF extend(const QPointF& point);
    // Keeps the mark if it was really dragged out.
    QRectF end(const QPointF& point);

    // A click with the number tool: a marker with the next number, one more
    // than the markers on the picture, so an undo gives the number back.
    QRectF placeNumber(const QPointF& at);

    bool isTyping() const { return text_.has_value(); }
    TextEntry* text() { return text_ ? &*text_ : nullptr; }
    const TextEntry* text() const { return text_ ? &*text_ : nullptr; }
    QRectF startText(const QPointF& at);
    // Keeps the text unless it is empty.
    QRectF endText();

    // Changes of the selection count as steps once there are marks.
    bool recordSelection(const QRect& before, const QRect& after) {
        return history_.recordSelection(before, after);
    }
    MarkHistory::Change undo();
    MarkHistory::Change redo();

private:
    QRectF add(Mark mark);
    void redrawAll();

    std::vector<MarkedPicture> pictures_;
    MarkHistory history_;
    Tool tool_ = Tool::None;
    QColor colour_ = QColor(0xFF, 0, 0);
    qreal width_ = kMedium;
    std::optional<Mark> draft_;
    std::optional<TextEntry> text_;
};

} // namespace camera
