#include "CameraDll/geometry/toolbar_placement.h"
#include "CameraDll/session/capture_outcome.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace camera;

namespace {

QImage Pattern(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x + y) % 256));
    return image;
}

void Touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class CaptureOutcomeTest : public QObject {
    Q_OBJECT
private slots:
    void defaultFileName_data();
    void defaultFileName();
    void pngSuffix_data();
    void pngSuffix();
    void saveWritesThePicture_data();
    void saveWritesThePicture();
    void saveIntoAMissingFolderFails();
    void failedSaveLeavesAnEarlierFileAlone();
    void toolbarPlacement_data();
    void toolbarPlacement();
    void toolbarScreen_data();
    void toolbarScreen();
};

void CaptureOutcomeTest::defaultFileName_data() {
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("expected");

    QTest::newRow("free") << QStringList{} << QStringLiteral("截图_20240131_235959.png");
    QTest::newRow("taken once") << QStringList{QStringLiteral("截图_20240131_235959.png")}
                                << QStringLiteral("截图_20240131_235959_2.png");
    QTest::newRow("taken twice") << QStringList{QStringLiteral("截图_20240131_235959.png"),
                                                QStringLiteral("截图_20240131_235959_2.png")}
                                 << QStringLiteral("截图_20240131_235959_3.png");
    QTest::newRow("only a later number taken")
        << QStringList{QStringLiteral("截图_20240131_235959_2.png")}
        << QStringLiteral("截图_20240131_235959.png");
    QTest::newRow("another second taken") << QStringList{QStringLiteral("截图_20240131_235958.png")}
                                          << QStringLiteral("截图_20240131_235959.png");
}

void CaptureOutcomeTest::defaultFileName() {
    QFETCH(QStringList, taken);
    QFETCH(QString, expected);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const QString& name : taken)
        Touch(folder.filePath(name));
    const QDateTime now(QDate(2024, 1, 31), QTime(23, 59, 59, 999));
    QCOMPARE(DefaultSaveFileName(folder.path(), now), folder.filePath(expected));
}

void CaptureOutcomeTest::pngSuffix_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no suffix") << QStringLiteral("/tmp/shot") << QStringLiteral("/tmp/shot.png");
    QTest::newRow("png") << QStringLiteral("/tmp/shot.png") << QStringLiteral("/tmp/shot.png");
    QTest::newRow("upper-case PNG") << QStringLiteral("/tmp/a.PNG") << QStringLiteral("/tmp/a.PNG");
    QTest::newRow("another suffix kept")
        << QStringLiteral("/tmp/a.jpg") << QStringLiteral("/tmp/a.jpg");
    QTest::newRow("dot in the folder, none in the name")
        << QStringLiteral("/tmp/my.pictures/shot") << QStringLiteral("/tmp/my.pictures/shot.png");
    QTest::newRow("trailing dot") << QStringLiteral("/tmp/shot.")
                                  << QStringLiteral("/tmp/shot.png");
    QTest::newRow("nothing chosen") << QString() << QString();
}

void CaptureOutcomeTest::pngSuffix() {
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    QCOMPARE(WithPngSuffix(chosen), expected);
}

void CaptureOutcomeTest::saveWritesThePicture_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("name");
    QTest::newRow("ordinary") << QSize(101, 53) << QStringLiteral("shot.png");
    QTest::newRow("one pixel") << QSize(1, 1) << QStringLiteral("dot.png");
    QTest::newRow("a jpg name still gets a PNG") << QSize(40, 30) << QStringLiteral("shot.jpg");
    QTest::newRow("Chinese name") << QSize(64, 48) << QStringLiteral("截图 一.png");
}

void CaptureOutcomeTest::saveWritesThePicture() {
    QFETCH(QSize, size);
    QFETCH(QString, name);
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    const QImage image = Pattern(size);
    QString error;
    QVERIFY2(SaveCapture(image, path, &error), qPrintable(error));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage back = reader.read();
    QCOMPARE(back.size(), size);
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), image);
    // Nothing else left behind (no temporary file of the atomic write).
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{name});
}

void CaptureOutcomeTest::saveIntoAMissingFolderFails() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("missing/shot.png"));
    QString error;
    QVERIFY(!SaveCapture(Pattern(QSize(10, 10)), path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(path));
}

void CaptureOutcomeTest::failedSaveLeavesAnEarlierFileAlone() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("shot.png"));
    QVERIFY(SaveCapture(Pattern(QSize(20, 10)), path, nullptr));
    QString error;
    QVERIFY(!SaveCapture(QImage(), path, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QImage(path).size(), QSize(20, 10));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
}

void CaptureOutcomeTest::toolbarPlacement_data() {
    QTest::addColumn<QRect>("selection");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");

    const QRect screen(0, 0, 1920, 1080);
    // The toolbar is 100×30 and keeps a gap of 6.
    QTest::newRow("below, right-aligned")
        << QRect(100, 100, 400, 300) << screen << QPoint(400, 406);
    QTest::newRow("just fits below") << QRect(100, 100, 400, 944) << screen << QPoint(400, 1050);
    QTest::newRow("one short below: above")
        << QRect(100, 100, 400, 945) << screen << QPoint(400, 64);
    QTest::newRow("whole screen: inside the bottom corner")
        << screen << screen << QPoint(1820, 1044);
    QTest::newRow("narrow selection at the left edge stays on screen")
        << QRect(0, 100, 40, 40) << screen << QPoint(0, 146);
    QTest::newRow("selection at the right edge")
        << QRect(1800, 10, 120, 20) << screen << QPoint(1820, 36);
    QTest::newRow("second screen to the left")
        << QRect(-500, 900, 200, 170) << QRect(-1280, 0, 1280, 1024) << QPoint(-400, 864);
    QTest::newRow("toolbar larger than the screen keeps its corner on it")
        << QRect(0, 0, 50, 20) << QRect(0, 0, 80, 25) << QPoint(0, 0);
}

void CaptureOutcomeTest::toolbarPlacement() {
    QFETCH(QRect, selection);
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    const QSize toolbar(100, 30);
    const QPoint at = PlaceToolbar(selection, toolbar, screen, 6);
    QCOMPARE(at, expected);
    if (screen.width() >= toolbar.width() && screen.height() >= toolbar.height())
        QVERIFY(screen.contains(QRect(at, toolbar)));
}

void CaptureOutcomeTest::toolbarScreen_data() {
    QTest::addColumn<QRect>("selection");
    QTest::addColumn<int>("expected");

    QTest::newRow("on the left screen") << QRect(10, 10, 100, 100) << 0;
    QTest::newRow("corner on the right screen") << QRect(1900, 10, 100, 100) << 1;
    QTest::newRow("corner in the gap under the smaller screen, most area on the left")
        << QRect(1000, 700, 1000, 500) << 0;
    QTest::newRow("corner off both, most area on the right") << QRect(1910, 700, 600, 400) << 1;
}

void CaptureOutcomeTest::toolbarScreen() {
    QFETCH(QRect, selection);
    QFETCH(int, expected);
    const std::vector<QRect> screens{QRect(0, 0, 1920, 1200), QRect(1920, 0, 1280, 1024)};
    QCOMPARE(ToolbarScreen(selection, screens), expected);
    QCOMPARE(ToolbarScreen(selection, {}), -1);
}

QTEST_MAIN(CaptureOutcomeTest)
#include "tst_capture_outcome.moc"
