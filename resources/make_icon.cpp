// Draws the program icon, a speech bubble holding a "q", and writes it as the
// program's .ico file or as a PNG for the menus. Run at build time so the icon is made from this
// drawing rather than kept as an opaque binary.

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstdlib>

namespace {

QImage DrawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(4, 6, 56, 42), 14, 14);
    QPainterPath tail;
    tail.moveTo(16, 44);
    tail.lineTo(10, 60);
    tail.lineTo(30, 46);
    tail.closeSubpath();
    bubble = bubble.united(tail);

    QLinearGradient fill(0, 6, 0, 60);
    fill.setColorAt(0, QColor(0x4f, 0xa8, 0xff));
    fill.setColorAt(1, QColor(0x1c, 0x5f, 0xc9));
    painter.setPen(QPen(QColor(0x12, 0x3f, 0x88), 2));
    painter.setBrush(fill);
    painter.drawPath(bubble);

    // The "q": a ring with a descender on its right.
    painter.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(29, 25), 10, 10);
    painter.drawLine(QPointF(39, 18), QPointF(39, 42));
    painter.drawLine(QPointF(39, 42), QPointF(45, 42));
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    // A build machine has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The program's .ico, or a PNG at one of the sizes desktop menus want:
    // drawn at each size rather than scaled, so small icons stay sharp.
    const int size = argc == 3 ? std::atoi(argv[2]) : 64;
    if (argc < 2 || argc > 3 || size < 16 || size > 512) {
        std::fprintf(stderr, "usage: make_icon OUTPUT.ico | make_icon OUTPUT.png SIZE\n");
        return 2;
    }
    QImageWriter writer(QString::fromLocal8Bit(argv[1]));
    if (!writer.write(DrawIcon(size))) {
        std::fprintf(stderr, "make_icon: %s\n", qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
