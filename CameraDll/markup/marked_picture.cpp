#include "CameraDll/markup/marked_picture.h"

#include <QPainter>

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
    // Back to sharing the grabbed picture; the first mark that touches this
    // screen copies it again.
    image_ = base_;
    std::unique_ptr<QPainter> painter;
    for (const Mark& mark : marks) {
        if (!Touches(mark, geometry_))
            continue;
        if (!painter) {
            painter = std::make_unique<QPainter>(&image_);
            painter->translate(-geometry_.topLeft());
        }
        DrawMark(*painter, mark, backdrop());
    }
}

} // namespace camera
