#include "CameraDll/geometry/layout_split.h"

#include <QTest>

using namespace camera;

using Rects = std::vector<QRect>;
using Places = std::vector<ScreenPlace>;
Q_DECLARE_METATYPE(Rects)
Q_DECLARE_METATYPE(Places)

class LayoutSplitTest : public QObject {
    Q_OBJECT
private slots:
    void layoutSpace_data();
    void layoutSpace();
    void split_data();
    void split();
    void deviceSize_data();
    void deviceSize();
    void geometriesInDevicePixels_data();
    void geometriesInDevicePixels();
};

void LayoutSplitTest::layoutSpace_data() {
    QTest::addColumn<Places>("screens");
    QTest::addColumn<LayoutSpace>("space");
    QTest::newRow("one screen at scale 2")
        << Places{{{0, 0, 1280, 720}, 2}} << LayoutSpace::Logical;
    QTest::newRow("two screens at scale 1")
        << Places{{{0, 0, 1920, 1080}, 1}, {{1920, 0, 1920, 1080}, 1}} << LayoutSpace::Logical;
    // sway: outputs placed in logical pixels, the scaled one left or right.
    QTest::newRow("wlroots, scale 2 on the left")
        << Places{{{0, 0, 1280, 720}, 2}, {{1280, 0, 1920, 1080}, 1}} << LayoutSpace::Logical;
    QTest::newRow("wlroots, scale 2 on the right")
        << Places{{{0, 0, 1920, 1080}, 1}, {{1920, 0, 1280, 720}, 2}} << LayoutSpace::Logical;
    QTest::newRow("wlroots, scale 2 above")
        << Places{{{0, 0, 1280, 720}, 2}, {{0, 720, 1920, 1080}, 1}} << LayoutSpace::Logical;
    // X11 and GNOME keep top-left corners in device pixels: Qt's logical
    // layout has a gap where the scaled screen's device pixels are.
    QTest::newRow("GNOME, scale 2 on the left")
        << Places{{{0, 0, 1920, 1080}, 2}, {{3840, 0, 1920, 1080}, 1}} << LayoutSpace::Device;
    QTest::newRow("X11, both at scale 2")
        << Places{{{0, 0, 960, 540}, 2}, {{1920, 0, 960, 540}, 2}} << LayoutSpace::Device;
}

void LayoutSplitTest::layoutSpace() {
    QFETCH(Places, screens);
    QFETCH(LayoutSpace, space);
    QCOMPARE(SpaceOf(screens), space);
}

void LayoutSplitTest::split_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<Places>("screens");
    QTest::addColumn<Rects>("parts");

    QTest::newRow("one screen at scale 1")
        << QSize(1920, 1080) << Places{{{0, 0, 1920, 1080}, 1}} << Rects{{0, 0, 1920, 1080}};
    QTest::newRow("one screen at scale 2")
        << QSize(2560, 1440) << Places{{{0, 0, 1280, 720}, 2}} << Rects{{0, 0, 2560, 1440}};
    // The wlroots portal's picture of 1920x1080 at 1 beside 2560x1440 at 2
    // (1280x720 logical): the whole layout at the highest scale, 6400x2160.
    QTest::newRow("mixed scales side by side")
        << QSize(6400, 2160) << Places{{{0, 0, 1920, 1080}, 1}, {{1920, 0, 1280, 720}, 2}}
        << Rects{{0, 0, 3840, 2160}, {3840, 0, 2560, 1440}};
    // GNOME's picture of 3840x2160 at 2 beside 1920x1080 at 1: its device
    // layout as it is, 5760x2160.
    QTest::newRow("GNOME, mixed scales in device pixels")
        << QSize(5760, 2160) << Places{{{0, 0, 1920, 1080}, 2}, {{3840, 0, 1920, 1080}, 1}}
        << Rects{{0, 0, 3840, 2160}, {3840, 0, 1920, 1080}};
    QTest::newRow("layout starting left of and above 0,0")
        << QSize(3000, 1000) << Places{{{-1000, -200, 1000, 1000}, 1}, {{0, 0, 2000, 800}, 1}}
        << Rects{{0, 0, 1000, 1000}, {1000, 200, 2000, 800}};
    QTest::newRow("layout not touching 0,0")
        << QSize(2400, 1200) << Places{{{1000, 500, 800, 600}, 1}, {{1800, 500, 400, 300}, 1}}
        << Rects{{0, 0, 1600, 1200}, {1600, 0, 800, 600}};
    QTest::newRow("stacked, the lower one wider")
        << QSize(1500, 1500) << Places{{{250, 0, 500, 250}, 1}, {{0, 250, 1000, 750}, 1}}
        << Rects{{375, 0, 750, 375}, {0, 375, 1500, 1125}};
    // 1.5 × 333 = 499.5: the shared edge rounds once, for both screens.
    QTest::newRow("fractional ratio keeps shared edges")
        << QSize(1500, 600) << Places{{{0, 0, 333, 400}, 1}, {{333, 0, 667, 400}, 1}}
        << Rects{{0, 0, 500, 600}, {500, 0, 1000, 600}};
    QTest::newRow("picture a pixel short is clipped")
        << QSize(3839, 1080) << Places{{{0, 0, 1920, 1080}, 1}, {{1920, 0, 1920, 1080}, 1}}
        << Rects{{0, 0, 1920, 1080}, {1920, 0, 1919, 1080}};
    QTest::newRow("empty picture") << QSize() << Places{{{0, 0, 10, 10}, 1}} << Rects{QRect()};
}

void LayoutSplitTest::split() {
    QFETCH(QSize, picture);
    QFETCH(Places, screens);
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

// What Qt 6.4 really reports on each desktop (measured), with the picture
// that desktop's portal hands back.
void LayoutSplitTest::geometriesInDevicePixels_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<Places>("screens");
    QTest::addColumn<bool>("devicePixels");
    QTest::addColumn<Rects>("parts");
    QTest::addColumn<Rects>("windows");

    // GNOME 43: 3840x2160 at scale 2 left of 1920x1080 at scale 1; Qt takes
    // the first's device size for its logical one.
    QTest::newRow("GNOME, mixed scales")
        << QSize(5760, 2160) << Places{{{0, 0, 3840, 2160}, 2}, {{3840, 0, 1920, 1080}, 1}} << true
        << Rects{{0, 0, 3840, 2160}, {3840, 0, 1920, 1080}}
        << Rects{{0, 0, 1920, 1080}, {3840, 0, 1920, 1080}};
    QTest::newRow("GNOME, the scaled monitor on the right")
        << QSize(5760, 2160) << Places{{{0, 0, 1920, 1080}, 1}, {{1920, 0, 3840, 2160}, 2}} << true
        << Rects{{0, 0, 1920, 1080}, {1920, 0, 3840, 2160}}
        << Rects{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}};
    QTest::newRow("GNOME, a lone monitor at scale 2")
        << QSize(3840, 2160) << Places{{{0, 0, 3840, 2160}, 2}} << true << Rects{{0, 0, 3840, 2160}}
        << Rects{{0, 0, 1920, 1080}};
    // Logical layouts, drawn at the highest scale.
    QTest::newRow("sway, a lone output at scale 2")
        << QSize(2560, 1440) << Places{{{0, 0, 1280, 720}, 2}} << false << Rects{{0, 0, 2560, 1440}}
        << Rects{{0, 0, 1280, 720}};
    QTest::newRow("sway, mixed scales")
        << QSize(6400, 2160) << Places{{{0, 0, 1920, 1080}, 1}, {{1920, 0, 1280, 720}, 2}} << false
        << Rects{{0, 0, 3840, 2160}, {3840, 0, 2560, 1440}}
        << Rects{{0, 0, 1920, 1080}, {1920, 0, 1280, 720}};
    QTest::newRow("KWin, two outputs at scale 2")
        << QSize(7680, 2160) << Places{{{0, 0, 1920, 1080}, 2}, {{1920, 0, 1920, 1080}, 2}} << false
        << Rects{{0, 0, 3840, 2160}, {3840, 0, 3840, 2160}}
        << Rects{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}};
    QTest::newRow("nothing scaled")
        << QSize(3840, 1080) << Places{{{0, 0, 1920, 1080}, 1}, {{1920, 0, 1920, 1080}, 1}} << false
        << Rects{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}
        << Rects{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}};
}

void LayoutSplitTest::geometriesInDevicePixels() {
    QFETCH(QSize, picture);
    QFETCH(Places, screens);
    QFETCH(bool, devicePixels);
    QFETCH(Rects, parts);
    QFETCH(Rects, windows);
    QCOMPARE(GeometriesInDevicePixels(picture, screens), devicePixels);
    QCOMPARE(SplitLayout(picture, screens), parts);
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const QRect window = WindowGeometry(screens[i], devicePixels);
        QCOMPARE(window, windows[i]);
        // Drawn in device pixels, each part is its screen's picture at that
        // screen's own scale, nothing to resample. (A logical layout is drawn
        // at the highest scale.)
        if (devicePixels)
            QCOMPARE(parts[i].size(), DeviceSize(window.size(), screens[i].scale));
    }
}
