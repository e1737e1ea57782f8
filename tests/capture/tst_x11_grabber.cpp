// The X11 backend on a private Xvfb (on-private-x.sh), with the server's
// shared memory and without it (-extension MIT-SHM), and on a scaled screen:
// its pictures must be Qt's own grab, pixel for pixel, and opaque.
//
//   tst_x11_grabber [--scale FACTOR] [Qt Test options]

#include "CameraDll/grab/x11_grabber.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include <xcb/shm.h>
#include <xcb/xcb.h>

using namespace camera;

namespace {

QStringList g_log;

void Collect(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (context.category && QByteArray(context.category) == "quobel.capture")
        g_log << message;
}

bool ServerOffersSharedMemory() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(x11->connection(), &xcb_shm_id);
    return extension && extension->present;
}

// Something on the screen with a different colour at every pixel.
class Pattern : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, width(), height());
        gradient.setColorAt(0, QColor(20, 200, 90));
        gradient.setColorAt(1, QColor(240, 30, 160));
        painter.fillRect(rect(), gradient);
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("截图"));
    }
};

} // namespace

class X11GrabberTest : public QObject {
    Q_OBJECT
private slots:
    void picturesAreQtsOwn();
};

void X11GrabberTest::picturesAreQtsOwn() {
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "needs an X display");
    Pattern pattern;
    pattern.setGeometry(40, 30, 300, 200);
    pattern.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pattern));
    QTest::qWait(100);

    const bool shared = ServerOffersSharedMemory();
    qInstallMessageHandler(Collect);
    QLoggingCategory::setFilterRules(QStringLiteral("quobel.capture.debug=true"));
    const GrabOutcome outcome = X11Grabber().grab();
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(nullptr);

    QCOMPARE(outcome.failure, GrabFailure::None);
    QCOMPARE(g_log.filter(QStringLiteral("plain GetImage")).isEmpty(), shared);
    QCOMPARE(outcome.shots.size(), std::size_t(QGuiApplication::screens().size()));
    QScreen* screen = QGuiApplication::primaryScreen();
    const ScreenShot& shot = outcome.shots.front();
    QCOMPARE(shot.screen, screen);
    QCOMPARE(shot.geometry, screen->geometry());
    QCOMPARE(shot.pixmap.devicePixelRatio(), screen->devicePixelRatio());
    QCOMPARE(shot.pixmap.size(), screen->geometry().size() * screen->devicePixelRatio());

    const QImage ours = shot.pixmap.toImage();
    QCOMPARE(ours.format(), QImage::Format_RGB32);
    const QImage qts = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(ours, qts);
    // Opaque in memory too, not only as QImage::pixel() reports it.
    for (int y = 0; y < ours.height(); y += 37) {
        const auto* line = reinterpret_cast<const quint32*>(ours.constScanLine(y));
        for (int x = 0; x < ours.width(); x += 41)
            QVERIFY2(line[x] >> 24 == 0xff, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
    }
}

int main(int argc, char** argv) {
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--scale" && i + 1 < argc)
            qputenv("QT_SCALE_FACTOR", argv[++i]);
        else
            rest.push_back(argv[i]);
    }
    int count = static_cast<int>(rest.size());
    QApplication app(count, rest.data());
    X11GrabberTest test;
    return QTest::qExec(&test, count, rest.data());
}

#include "tst_x11_grabber.moc"
