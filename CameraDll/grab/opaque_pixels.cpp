#include "CameraDll/grab/opaque_pixels.h"

namespace camera {

void MakeOpaque(QImage& image) {
    if (image.depth() != 32)
        return;
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] |= 0xff000000u;
    }
}

} // namespace camera
