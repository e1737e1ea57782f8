#pragma once

#include <QImage>

namespace camera {

// X servers and compositors leave the unused byte of their 32-bit "xRGB"
// pixels 0, but QImage::Format_RGB32 promises opaque pixels, and a zero there
// becomes transparency as soon as the picture is drawn onto anything with an
// alpha channel. Each of these sets it to 0xff.

// Copies rows of 32-bit pixels, packed one after the other, into the picture
// from row y on.
void CopyOpaqueRows(const uchar* source, int rows, QImage& picture, int y);

// In place, over the whole of a 32-bit picture.
void MakeOpaque(QImage& image);

} // namespace camera
