#include "CameraDll/markup/markup_painting.h"

#include <QFontMetricsF>
#include <QPainter>

namespace camera {

void DrawMarkupInProgress(QPainter& painter, const Markup& markup, const Backdrop& under) {
    if (markup.draft())
        DrawMark(painter, *markup.draft(), under);
    const TextEntry* text = markup.text();
    if (!text)
        return;
    const Mark shown = text->shown();
    DrawMark(painter, shown, under);
    painter.save();
    const QFontMetricsF metrics(MarkFont(shown.width));
    const QPointF at = shown.points.front();
    if (!text->composition().isEmpty()) {
        const qreal from = metrics.horizontalAdvance(shown.text.left(text->compositionStart()));
        const qreal to = from + metrics.horizontalAdvance(text->composition());
        const qreal y = at.y() + metrics.ascent() + metrics.underlinePos();
        painter.setPen(QPen(shown.colour, 1, Qt::DashLine));
        painter.drawLine(QPointF(at.x() + from, y), QPointF(at.x() + to, y));
    }
    // A box around the text shows where it is while it is still empty.
    painter.setPen(QPen(QColor(0, 160, 255), 0, Qt::DotLine));
    painter.drawRect(MarkBounds(shown).adjusted(-2, -1, 2, 1));
    painter.fillRect(text->caret(), shown.colour);
    painter.restore();
}

} // namespace camera
