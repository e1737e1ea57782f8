#include "platform/icon_loader.h"

#include <QImageReader>
#include <QPixmap>

namespace quobel {

std::optional<QIcon> ReadIconFile(const QString& path, QString* error) {
    QImageReader reader(path);
    QIcon icon;
    // An .ico file holds one image per size; keep them all so every place the
    // icon is shown gets a sharp one.
    do {
        const QImage image = reader.read();
        if (image.isNull())
            break;
        icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    if (icon.isNull()) {
        if (error)
            *error = reader.errorString();
        return std::nullopt;
    }
    return icon;
}

} // namespace quobel
