#include "CameraDll/markup/marked_picture.h"

#include <QPainter>

#include <algorithm>

namespace camera {

namespace {

bool Touches(const Mark& mark, const QRect& screen) {
    return MarkBounds(mark).intersects(QRectF(screen));
}

} // namespace

MarkedPicture::MarkedPicture(const QRect& geometry, QImage base)
    : geometry_(geometry), base_(std::move(base)), image_(base_), scale_(base_.devicePixelRatio()) {
}

bool MarkedPicture::add(const Mark& mark) {
    if (!Touches(mark, geometry_))
        return false;
    QPainter painter(&image_);
    painter.translate(-geometry_.topLeft());
    DrawMark(painter, mark, backdrop());
    return true;
}

void MarkedPicture::redraw(const std::vector<Mark>& marks) {
    const auto touches = [this](const Mark& mark) { return Touches(mark, geometry_); };
    if (std::none_of(marks.begin(), marks.end(), touches)) {
        // Back to sharing the grabbed picture.
        image_ = base_;
        return;
    }
    if (image_.constBits() == base_.constBits()) {
        image_ = base_.copy();
    } else {
        // Over the marks drawn before, in the memory they already have: a
        // fresh screen-sized block costs more to fault in than to fill.
        QPainter restore(&image_);
        restore.setCompositionMode(QPainter::CompositionMode_Source);
        restore.drawImage(QPointF(0, 0), base_);
    }
    QPainter painter(&image_);
    painter.translate(-geometry_.topLeft());
    for (const Mark& mark : marks)
        if (touches(mark))
            DrawMark(painter, mark, backdrop());
}

} // namespace camera
