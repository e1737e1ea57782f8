#pragma once

#include <QImage>

namespace camera {

// Sets the unused byte of every 32-bit pixel to 0xff. X servers and
// compositors leave it 0 in their "xRGB" pixels, but QImage::Format_RGB32
// promises opaque pixels, and a zero there becomes transparency as soon as
// the picture is drawn onto anything with an alpha channel.
void MakeOpaque(QImage& image);

} // namespace camera
