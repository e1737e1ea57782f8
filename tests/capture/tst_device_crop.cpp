#include "CameraDll/geometry/device_crop.h"
#include "tests/capture/crop_oracle.h"

#include <QTest>

using namespace camera;

namespace {

// Every device pixel carries its own coordinates, so a crop can be checked
// pixel by pixel against where it should have come from.
QRgb Marker(int x, int y) {
    return qRgb(x % 256, y % 256, (x / 256) * 16 + (y / 256));
}

ScreenShot Shot(const QRect& geometry, qreal scale, QSize deviceSize = {}) {
    if (deviceSize.isEmpty())
        deviceSize = QSize(qRound(geometry.width() * scale), qRound(geometry.height() * scale));
    QImage image(deviceSize, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, Marker(x, y));
    image.setDevicePixelRatio(scale);
    return {geometry, QPixmap::fromImage(image), nullptr};
}

// The pixel a global device position shows on the given shot.
QRgb SourcePixel(const ScreenShot& shot, QPoint device) {
    const QPoint local = device - shot.geometry.topLeft();
    return Marker(local.x(), local.y());
}

} // namespace

class DeviceCropTest : public QObject {
    Q_OBJECT
private slots:
    void toDevice_data();
    void toDevice();
    void adjacentRectanglesShareTheirEdge_data();
    void adjacentRectanglesShareTheirEdge();
    void singleScreen_data();
    void singleScreen();
    void twoScreens_data();
    void twoScreens();
    void mixedScalesPlacedInLogicalPixels_data();
    void mixedScalesPlacedInLogicalPixels();
    void grabSmallerThanTheScreen();
    void selectionOffEveryScreen();
};

void DeviceCropTest::toDevice_data() {
    QTest::addColumn<QRect>("logical");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QRect>("device");

    QTest::newRow("scale 1") << QRect(10, 20, 30, 40) << QPoint(0, 0) << 1.0
                             << QRect(10, 20, 30, 40);
    QTest::newRow("scale 2") << QRect(10, 20, 30, 40) << QPoint(0, 0) << 2.0
                             << QRect(20, 40, 60, 80);
    QTest::newRow("scale 1.5, even start")
        << QRect(10, 20, 30, 40) << QPoint(0, 0) << 1.5 << QRect(15, 30, 45, 60);
    // 1.5 → 2, 4.5 → 5 (edges round half up on their own).
    QTest::newRow("scale 1.5, odd start")
        << QRect(1, 1, 2, 3) << QPoint(0, 0) << 1.5 << QRect(2, 2, 3, 4);
    QTest::newRow("scale 2 on a screen to the right")
        << QRect(1930, 10, 10, 10) << QPoint(1920, 0) << 2.0 << QRect(1940, 20, 20, 20);
    QTest::newRow("scale 1.5 on a screen to the left")
        << QRect(-1270, 0, 100, 100) << QPoint(-1280, 0) << 1.5 << QRect(-1265, 0, 150, 150);
    QTest::newRow("scale 1.25, width one")
        << QRect(1, 0, 1, 1) << QPoint(0, 0) << 1.25 << QRect(1, 0, 2, 1);
}

void DeviceCropTest::toDevice() {
    QFETCH(QRect, logical);
    QFETCH(QPoint, origin);
    QFETCH(qreal, scale);
    QFETCH(QRect, device);
    QCOMPARE(ToDevice(logical, origin, scale), device);
}

void DeviceCropTest::adjacentRectanglesShareTheirEdge_data() {
    QTest::addColumn<qreal>("scale");
    QTest::newRow("1") << 1.0;
    QTest::newRow("1.25") << 1.25;
    QTest::newRow("1.5") << 1.5;
    QTest::newRow("1.75") << 1.75;
    QTest::newRow("2") << 2.0;
}

void DeviceCropTest::adjacentRectanglesShareTheirEdge() {
    QFETCH(qreal, scale);
    const QPoint origin(-640, 37);
    const QRect whole(-600, 40, 61, 33);
    const QRect device = ToDevice(whole, origin, scale);
    for (int split = 1; split < whole.width(); ++split) {
        const QRect left(whole.x(), whole.y(), split, whole.height());
        const QRect right(whole.x() + split, whole.y(), whole.width() - split, whole.height());
        const QRect a = ToDevice(left, origin, scale);
        const QRect b = ToDevice(right, origin, scale);
        QCOMPARE(a.x() + a.width(), b.x());
        QCOMPARE(a.width() + b.width(), device.width());
        QCOMPARE(a.y(), device.y());
        QCOMPARE(b.height(), device.height());
    }
}

void DeviceCropTest::singleScreen_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QRect>("selection");

    QTest::newRow("scale 1") << QRect(0, 0, 400, 300) << 1.0 << QRect(13, 17, 101, 53);
    QTest::newRow("scale 1.5") << QRect(0, 0, 400, 300) << 1.5 << QRect(13, 17, 101, 53);
    QTest::newRow("scale 2") << QRect(0, 0, 400, 300) << 2.0 << QRect(13, 17, 101, 53);
    QTest::newRow("scale 2, whole screen") << QRect(0, 0, 400, 300) << 2.0 << QRect(0, 0, 400, 300);
    QTest::newRow("scale 1.5, screen at an offset")
        << QRect(400, -300, 400, 300) << 1.5 << QRect(700, -10, 100, 10);
}

void DeviceCropTest::singleScreen() {
    QFETCH(QRect, screen);
    QFETCH(qreal, scale);
    QFETCH(QRect, selection);
    const std::vector<ScreenShot> shots{Shot(screen, scale)};
    const QImage image = CropSelection(shots, selection);
    const QRect device = ToDevice(selection, screen.topLeft(), scale);

    QCOMPARE(image.size(), device.size());
    QCOMPARE(CropSize(shots, selection), device.size());
    QCOMPARE(image.devicePixelRatio(), 1.0);
    // Sharp: every pixel is the screen's own, not resampled.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != SourcePixel(shots[0], device.topLeft() + QPoint(x, y)))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
}

void DeviceCropTest::twoScreens_data() {
    QTest::addColumn<qreal>("leftScale");
    QTest::addColumn<qreal>("rightScale");
    QTest::newRow("both at 1") << 1.0 << 1.0;
    QTest::newRow("both at 2") << 2.0 << 2.0;
    QTest::newRow("1.5 beside 1") << 1.5 << 1.0;
}

void DeviceCropTest::twoScreens() {
    QFETCH(qreal, leftScale);
    QFETCH(qreal, rightScale);
    // Qt keeps each screen's top-left in device pixels, so the right screen
    // starts where the left one ends in device pixels.
    const int leftDeviceWidth = 200;
    const QRect leftScreen(0, 0, qRound(leftDeviceWidth / leftScale), qRound(120 / leftScale));
    const QRect rightScreen(leftDeviceWidth, 0, qRound(200 / rightScale), qRound(120 / rightScale));
    const std::vector<ScreenShot> shots{Shot(leftScreen, leftScale), Shot(rightScreen, rightScale)};

    const QRect onLeft(leftScreen.right() - 9, 10, 10, 20);
    const QRect onRight(rightScreen.left(), 10, 15, 20);
    const QRect selection = onLeft | onRight;
    const QImage image = CropSelection(shots, selection);

    const QRect leftDevice = ToDevice(onLeft & leftScreen, leftScreen.topLeft(), leftScale);
    const QRect rightDevice = ToDevice(onRight, rightScreen.topLeft(), rightScale);
    const QRect box = leftDevice | rightDevice;
    QCOMPARE(leftDevice.x() + leftDevice.width(), rightDevice.x());
    QCOMPARE(image.size(), box.size());
    QCOMPARE(CropSize(shots, selection), box.size());
    for (const auto& [device, shot] :
         {std::pair{leftDevice, &shots[0]}, std::pair{rightDevice, &shots[1]}}) {
        for (const QPoint corner : {device.topLeft(), device.bottomRight()})
            QCOMPARE(image.pixel(corner - box.topLeft()), SourcePixel(*shot, corner));
    }
}

void DeviceCropTest::mixedScalesPlacedInLogicalPixels_data() {
    // As wlroots and KWin place outputs: side by side in logical pixels, so
    // a scale-2 screen's device pixels reach far past its logical neighbour.
    QTest::addColumn<QRect>("scaledScreen");
    QTest::addColumn<QRect>("plainScreen");
    QTest::addColumn<QRect>("selection");
    QTest::newRow("scale 2 left of scale 1")
        << QRect(0, 0, 200, 100) << QRect(200, 0, 300, 150) << QRect(180, 20, 40, 30);
    QTest::newRow("scale 2 right of scale 1")
        << QRect(300, 0, 200, 100) << QRect(0, 0, 300, 150) << QRect(280, 60, 40, 30);
    QTest::newRow("scale 2 above scale 1")
        << QRect(0, 0, 200, 100) << QRect(0, 100, 300, 150) << QRect(50, 90, 30, 20);
    QTest::newRow("scale 2 below scale 1, left of 0,0")
        << QRect(-100, 150, 200, 100) << QRect(-150, 0, 300, 150) << QRect(-60, 140, 50, 25);
    QTest::newRow("the whole scaled screen and a strip of the other")
        << QRect(0, 0, 200, 100) << QRect(200, 0, 300, 150) << QRect(0, 0, 500, 100);
    // Below the scaled screen lies no screen: that corner stays empty.
    QTest::newRow("a corner off every screen")
        << QRect(0, 0, 200, 100) << QRect(200, 0, 300, 150) << QRect(100, 90, 200, 40);
}

void DeviceCropTest::mixedScalesPlacedInLogicalPixels() {
    QFETCH(QRect, scaledScreen);
    QFETCH(QRect, plainScreen);
    QFETCH(QRect, selection);
    const std::vector<ScreenShot> shots{Shot(scaledScreen, 2.0), Shot(plainScreen, 1.0)};
    const QImage image = CropSelection(shots, selection);
    // The whole selection at scale 2, the scale-1 part's pixels doubled.
    QCOMPARE(image.size(), selection.size() * 2);
    QCOMPARE(CropSize(shots, selection), image.size());
    const QImage expected = camera::testing::Expected(shots, selection);
    QCOMPARE(image.convertToFormat(QImage::Format_RGB32), expected);
}

void DeviceCropTest::grabSmallerThanTheScreen() {
    // A grab a row and a column short of geometry × scale: the crop must stay
    // inside the picture rather than read past it.
    const QRect screen(0, 0, 300, 200);
    const std::vector<ScreenShot> shots{Shot(screen, 1.5, QSize(449, 299))};
    const QImage image = CropSelection(shots, QRect(250, 150, 50, 50));
    QCOMPARE(image.size(), QSize(449 - 375, 299 - 225));
    QCOMPARE(image.pixel(image.width() - 1, image.height() - 1),
             SourcePixel(shots[0], QPoint(448, 298)));
}

void DeviceCropTest::selectionOffEveryScreen() {
    const std::vector<ScreenShot> shots{Shot(QRect(0, 0, 100, 100), 1.0)};
    QVERIFY(CropSelection(shots, QRect(100, 0, 10, 10)).isNull());
    QVERIFY(CropSize(shots, QRect(100, 0, 10, 10)).isEmpty());
    QVERIFY(CropSelection({}, QRect(0, 0, 10, 10)).isNull());
}

QTEST_MAIN(DeviceCropTest)
#include "tst_device_crop.moc"
