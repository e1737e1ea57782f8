#include "CameraDll/grab/layout_split.h"

#include <QTest>

using namespace camera;

using Rects = std::vector<QRect>;
Q_DECLARE_METATYPE(Rects)

class LayoutSplitTest : public QObject {
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void deviceSize_data();
    void deviceSize();
};

void LayoutSplitTest::split_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<Rects>("screens");
    QTest::addColumn<Rects>("parts");

    QTest::newRow("one screen at scale 1")
        << QSize(1920, 1080) << Rects{{0, 0, 1920, 1080}} << Rects{{0, 0, 1920, 1080}};
    QTest::newRow("one screen at scale 2")
        << QSize(2560, 1440) << Rects{{0, 0, 1280, 720}} << Rects{{0, 0, 2560, 1440}};
    // The portal's picture of 1920x1080 at 1 beside 2560x1440 at 2 (1280x720
    // logical): the whole layout at the highest scale, 6400x2160.
    QTest::newRow("mixed scales side by side")
        << QSize(6400, 2160) << Rects{{0, 0, 1920, 1080}, {1920, 0, 1280, 720}}
        << Rects{{0, 0, 3840, 2160}, {3840, 0, 2560, 1440}};
    QTest::newRow("layout starting left of and above 0,0")
        << QSize(3000, 1000) << Rects{{-1000, -200, 1000, 1000}, {0, 0, 2000, 800}}
        << Rects{{0, 0, 1000, 1000}, {1000, 200, 2000, 800}};
    QTest::newRow("layout not touching 0,0")
        << QSize(2400, 1200) << Rects{{1000, 500, 800, 600}, {1800, 500, 400, 300}}
        << Rects{{0, 0, 1600, 1200}, {1600, 0, 800, 600}};
    QTest::newRow("stacked, the lower one wider")
        << QSize(1500, 1500) << Rects{{250, 0, 500, 250}, {0, 250, 1000, 750}}
        << Rects{{375, 0, 750, 375}, {0, 375, 1500, 1125}};
    // 1.5 × 333 = 499.5: the shared edge rounds once, for both screens.
    QTest::newRow("fractional ratio keeps shared edges")
        << QSize(1500, 600) << Rects{{0, 0, 333, 400}, {333, 0, 667, 400}}
        << Rects{{0, 0, 500, 600}, {500, 0, 1000, 600}};
    QTest::newRow("picture a pixel short is clipped")
        << QSize(3839, 1080) << Rects{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}
        << Rects{{0, 0, 1920, 1080}, {1920, 0, 1919, 1080}};
    QTest::newRow("empty picture") << QSize() << Rects{{0, 0, 10, 10}} << Rects{QRect()};
}

void LayoutSplitTest::split() {
    QFETCH(QSize, picture);
    QFETCH(Rects, screens);
    QFETCH(Rects, parts);
    QCOMPARE(SplitLayout(picture, screens), parts);
}

void LayoutSplitTest::deviceSize_data() {
    QTest::addColumn<QSize>("logical");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QSize>("device");
    QTest::newRow("1") << QSize(1920, 1080) << 1.0 << QSize(1920, 1080);
    QTest::newRow("2") << QSize(1280, 720) << 2.0 << QSize(2560, 1440);
    QTest::newRow("1.25 rounds half up") << QSize(1366, 767) << 1.25 << QSize(1708, 959);
    QTest::newRow("1.5") << QSize(1280, 720) << 1.5 << QSize(1920, 1080);
}

void LayoutSplitTest::deviceSize() {
    QFETCH(QSize, logical);
    QFETCH(qreal, scale);
    QFETCH(QSize, device);
    QCOMPARE(DeviceSize(logical, scale), device);
}

QTEST_APPLESS_MAIN(LayoutSplitTest)
#include "tst_layout_split.moc"
