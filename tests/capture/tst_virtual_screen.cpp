// Cutting Windows' picture of the virtual screen into Qt's screens: the
// split the GDI backend makes, on made-up monitor arrangements.

#include "CameraDll/grab/virtual_screen.h"

#include <QPainter>
#include <QTest>

using namespace camera;

using Rects = std::vector<QRect>;
using Screens = std::vector<ScreenToSplit>;
Q_DECLARE_METATYPE(Rects)
Q_DECLARE_METATYPE(Screens)

namespace {

// What GDI gives: xRGB pixels with the fourth byte 0, every monitor's area
// in a colour of its own, at the monitor's place less the origin.
QImage VirtualScreen(const QRect& area, const Rects& monitors) {
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(0);
    QPainter painter(&image);
    for (std::size_t i = 0; i < monitors.size(); ++i)
        painter.fillRect(monitors[i].translated(-area.topLeft()),
                         QColor::fromHsv(int(i) * 90, 255, 200));
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] &= 0x00ffffffu;
    }
    return image;
}

} // namespace

class VirtualScreenTest : public QObject {
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void screenWithoutMonitorIsLeftOut();
};

void VirtualScreenTest::split_data() {
    QTest::addColumn<QRect>("area");
    QTest::addColumn<Rects>("monitors");
    QTest::addColumn<Screens>("screens");
    // The monitor each screen must come from, by its index in monitors.
    QTest::addColumn<QList<int>>("from");

    QTest::newRow("one monitor") << QRect(0, 0, 1920, 1080) << Rects{{0, 0, 1920, 1080}}
                                 << Screens{{{0, 0, 1920, 1080}, 1}} << QList<int>{0};
    QTest::newRow("one monitor at 150 %") << QRect(0, 0, 2880, 1620) << Rects{{0, 0, 2880, 1620}}
                                          << Screens{{{0, 0, 1920, 1080}, 1.5}} << QList<int>{0};
    // A laptop at 200 % left of a monitor at 100 %: Qt's screens keep the
    // monitors' top-left corners and leave a gap in between.
    QTest::newRow("200 % beside 100 %")
        << QRect(0, 0, 5760, 2160) << Rects{{0, 0, 3840, 2160}, {3840, 0, 1920, 1080}}
        << Screens{{{0, 0, 1920, 1080}, 2}, {{3840, 0, 1920, 1080}, 1}} << QList<int>{0, 1};
    // A monitor left of and above the primary one: the virtual screen starts
    // at negative coordinates.
    QTest::newRow("left of and above the primary")
        << QRect(-1280, -200, 3200, 1280) << Rects{{0, 0, 1920, 1080}, {-1280, -200, 1280, 1024}}
        << Screens{{{0, 0, 1920, 1080}, 1}, {{-1280, -200, 1024, 819}, 1.25}} << QList<int>{0, 1};
    // Qt lists screens in its own order, not Windows'.
    QTest::newRow("screens listed the other way round")
        << QRect(0, 0, 3840, 1080) << Rects{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}
        << Screens{{{1920, 0, 1920, 1080}, 1}, {{0, 0, 1920, 1080}, 1}} << QList<int>{1, 0};
    // A top-left corner that matches no monitor exactly: the monitor under it.
    QTest::newRow("corner inside a monitor") << QRect(0, 0, 1920, 1080) << Rects{{0, 0, 1920, 1080}}
                                             << Screens{{{1, 1, 1918, 1078}, 1}} << QList<int>{0};
}

void VirtualScreenTest::split() {
    QFETCH(QRect, area);
    QFETCH(Rects, monitors);
    QFETCH(Screens, screens);
    QFETCH(QList<int>, from);
    const QImage whole = VirtualScreen(area, monitors);
    const std::vector<ScreenShot> shots =
        SplitVirtualScreen(whole, area.topLeft(), monitors, screens);
    QCOMPARE(int(shots.size()), int(screens.size()));
    for (std::size_t i = 0; i < shots.size(); ++i) {
        const QRect monitor = monitors[std::size_t(from[int(i)])];
        const QImage picture = shots[i].pixmap.toImage();
        QCOMPARE(shots[i].geometry, screens[i].geometry);
        // Every device pixel of the monitor, at the screen's own scale.
        QCOMPARE(picture.size(), monitor.size());
        QCOMPARE(picture.devicePixelRatio(), screens[i].scale);
        const QImage expected =
            whole.copy(monitor.translated(-area.topLeft())).convertToFormat(QImage::Format_ARGB32);
        for (const QPoint& at : {QPoint(0, 0), QPoint(monitor.width() - 1, monitor.height() - 1),
                                 QPoint(monitor.width() / 2, monitor.height() / 3)}) {
            const QRgb pixel = picture.pixel(at);
            // Opaque, though GDI left the fourth byte 0.
            QCOMPARE(qAlpha(pixel), 255);
            QCOMPARE(pixel & 0xffffffu, expected.pixel(at) & 0xffffffu);
        }
    }
}

void VirtualScreenTest::screenWithoutMonitorIsLeftOut() {
    const Rects monitors{{0, 0, 1920, 1080}};
    // A screen Windows no longer has (unplugged during the grab), and one
    // whose monitor lies partly outside the picture.
    const Screens screens{{{3000, 0, 800, 600}, 1}, {{0, 0, 1920, 1080}, 1}};
    const QRect area(0, 0, 1000, 1080);
    const std::vector<ScreenShot> shots =
        SplitVirtualScreen(VirtualScreen(area, monitors), area.topLeft(), monitors, screens);
    QCOMPARE(int(shots.size()), 1);
    QCOMPARE(shots[0].geometry, QRect(0, 0, 1920, 1080));
    QCOMPARE(shots[0].pixmap.size(), QSize(1000, 1080));
}

QTEST_MAIN(VirtualScreenTest)
#include "tst_virtual_screen.moc"
