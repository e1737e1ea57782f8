#pragma once

#include "CameraDll/markup/mark.h"

#include <QImage>
#include <QRect>

#include <vector>

namespace camera {

// One screen's frozen picture with the marks drawn on it, kept up to date as
// marks come and go. The overlay shows it and the output is cut from it, so
// both have the very same pixels. Until a mark touches the screen it shares
// the grabbed picture and costs no memory.
class MarkedPicture {
public:
    // geometry: the screen in global logical pixels; base: its picture in
    // device pixels, whose device pixel ratio is the screen's scale.
    MarkedPicture(const QRect& geometry, QImage base);

    const QRect& geometry() const { return geometry_; }
    qreal scale() const { return scale_; }
    const QImage& image() const { return image_; }
    // The picture as it stands, for a mark about to be drawn on it.
    Backdrop backdrop() const { return {&image_, geometry_.topLeft(), scale_}; }

    // Draws one more mark on top; false when it misses this screen.
    bool add(const Mark& mark);
    // Starts again from the grabbed picture with these marks.
    void redraw(const std::vector<Mark>& marks);

private:
    QRect geometry_;
    QImage base_;
    QImage image_;
    qreal scale_;
};

} // namespace camera
