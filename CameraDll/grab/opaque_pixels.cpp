#include "CameraDll/grab/opaque_pixels.h"

namespace camera {

namespace {

void OpaqueRow(const quint32* from, quint32* to, int width) {
    for (int x = 0; x < width; ++x)
        to[x] = from[x] | 0xff000000u;
}

} // namespace

void CopyOpaqueRows(const uchar* source, int rows, QImage& picture, int y) {
    const int width = picture.width();
    for (int row = 0; row < rows; ++row)
        OpaqueRow(reinterpret_cast<const quint32*>(source) + qsizetype(row) * width,
                  reinterpret_cast<quint32*>(picture.scanLine(y + row)), width);
}

void MakeOpaque(QImage& image) {
    if (image.depth() != 32)
        return;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        OpaqueRow(line, line, image.width());
    }
}

} // namespace camera
