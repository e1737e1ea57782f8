// Turns the program icon into the PNG that desktop menus want; the hicolor
// icon theme does not take .ico files.

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char* argv[]) {
    // A build machine has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_png INPUT.ico OUTPUT.png\n");
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "icon_png: %s\n", qPrintable(reader.errorString()));
        return 1;
    }
    const QImage sized = image.size() == QSize(64, 64)
                             ? image
                             : image.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!sized.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "icon_png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
