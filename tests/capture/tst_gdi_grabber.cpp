// The GDI backend against the real screen: Qt's windows platform under Wine
// on a private Xvfb, and on Windows itself. A window of known colours is put
// on screen and must come back at its place, in device pixels, at the
// screen's scale.

#include "CameraDll/grab/gdi_grabber.h"
#include "CameraDll/grab/grabber_choice.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>

using namespace camera;

namespace {

const QColor kQuadrants[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

// Four quadrants, each in a colour of its own.
class PatternWindow : public QWidget {
public:
    PatternWindow() {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QRect quadrant(int i) const {
        const int w = width() / 2, h = height() / 2;
        return {(i % 2) * w, (i / 2) * h, w, h};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (int i = 0; i < 4; ++i)
            painter.fillRect(quadrant(i), kQuadrants[i]);
    }
};

} // namespace

class GdiGrabberTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void chosenOnWindows();
    void readsWhatIsOnScreen();
};

void GdiGrabberTest::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("windows"));
}

void GdiGrabberTest::chosenOnWindows() {
    qunsetenv(kBackendVariable);
    QCOMPARE(MakeGrabber()->name(), "gdi");
}

void GdiGrabberTest::readsWhatIsOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    PatternWindow pattern;
    pattern.setGeometry(QRect(screen->geometry().topLeft() + QPoint(100, 80), QSize(160, 120)));
    pattern.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pattern));
    // The picture reaches the screen some time after the expose.
    const auto shown = [&] {
        const QImage seen = screen->grabWindow(0).toImage();
        const QPoint inside = pattern.geometry().topLeft() + pattern.quadrant(3).center() -
                              screen->geometry().topLeft();
        return seen.pixelColor(inside * screen->devicePixelRatio()) == kQuadrants[3];
    };
    QTRY_VERIFY_WITH_TIMEOUT(shown(), 10000);

    GdiGrabber grabber;
    const GrabOutcome outcome = grabber.grab();
    QCOMPARE(outcome.failure, GrabFailure::None);
    QCOMPARE(int(outcome.shots.size()), int(QGuiApplication::screens().size()));
    const ScreenShot& shot = outcome.shots.front();
    QCOMPARE(shot.screen, screen);
    QCOMPARE(shot.geometry, screen->geometry());
    const qreal scale = screen->devicePixelRatio();
    QCOMPARE(shot.pixmap.devicePixelRatio(), scale);
    QCOMPARE(shot.pixmap.size(), (QSizeF(screen->geometry().size()) * scale).toSize());

    const QImage picture = shot.pixmap.toImage();
    for (int i = 0; i < 4; ++i) {
        const QRect logical = pattern.quadrant(i).translated(pattern.geometry().topLeft() -
                                                             screen->geometry().topLeft());
        // Device pixels well inside the quadrant, clear of its edges.
        const QRect device((QPointF(logical.topLeft()) * scale).toPoint() + QPoint(2, 2),
                           (QSizeF(logical.size()) * scale).toSize() - QSize(4, 4));
        for (const QPoint& at : {device.topLeft(), device.bottomRight(), device.center()})
            QCOMPARE(picture.pixelColor(at), kQuadrants[i]);
    }
}

QTEST_MAIN(GdiGrabberTest)
#include "tst_gdi_grabber.moc"
