// Loads the capture library like the program does, calls CameraSubArea and
// reports how long the overlay takes to reach the screen and how much memory
// it adds while it is up, beside the size of one screen image.
//
//   quobel_capture_bench [--calls N] [--hold] [--grab-only] [--library PATH]
//
// Prints one line per call: "call N <ms to the overlay on screen> <KiB added>
// <one screen image in KiB>", and where the desktop portal was asked, two
// more figures: <ms the portal took to answer> <ms from its answer to the
// overlay on screen>. --grab-only prints "grab <ms>" for one bare
// QScreen::grabWindow of the primary screen instead, the floor under the
// first figure. --hold leaves the overlay up for someone else (a script with
// xdotool) to finish; "overlay up" is printed once it is on screen.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLibrary>
#include <QLoggingCategory>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

using Entry = std::int32_t (*)(std::int32_t);

qint64 RssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong();
    return -1;
}

bool IsOverlay(QObject* object) {
    if (auto* window = qobject_cast<QWindow*>(object))
        return window->objectName().startsWith(QStringLiteral("captureOverlay"));
    return object->objectName() == QStringLiteral("captureOverlay");
}

// Watches the whole application for the overlay's first expose and paint.
class Probe : public QObject {
public:
    QElapsedTimer clock;
    qint64 exposedNs = -1;
    qint64 paintedNs = -1;
    bool painting = false;
    qint64 rssUpKiB = -1;
    qint64 portalNs = -1;    // when the portal's answer came
    double portalOwnMs = -1; // how long the portal took, by the library's count
    bool hold = false;

    void arm() {
        exposedNs = paintedNs = rssUpKiB = portalNs = -1;
        portalOwnMs = -1;
        clock.start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && exposedNs < 0 && IsOverlay(watched) &&
            static_cast<QWindow*>(watched)->isExposed())
            exposedNs = clock.nsecsElapsed();
        if (event->type() == QEvent::Paint && !painting && paintedNs < 0 && IsOverlay(watched)) {
            painting = true;
            auto* overlay = static_cast<QWidget*>(watched);
            // Once the paint has been done and flushed to the screen: the time
            // and the memory while up, then leave.
            QTimer::singleShot(0, overlay, [this, overlay] {
                paintedNs = clock.nsecsElapsed();
                painting = false;
                rssUpKiB = RssKiB();
                if (hold) {
                    std::printf("overlay up\n");
                    std::fflush(stdout);
                    return;
                }
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(overlay, &press);
            });
        }
        return false;
    }
};

// Something on the screen worth freezing.
class Host : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, width(), height());
        gradient.setColorAt(0, QColor(40, 90, 160));
        gradient.setColorAt(1, QColor(230, 140, 60));
        painter.fillRect(rect(), gradient);
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setPixelSize(48);
        painter.setFont(font);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("QuobelV3.2.5跟进版"));
    }
};

double Ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

Probe* g_probe = nullptr;

// The library says in its log when the portal answered.
void NotePortalAnswer(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (g_probe && context.category && QByteArray(context.category) == "quobel.capture" &&
        message.startsWith(QLatin1String("portal answered after "))) {
        g_probe->portalNs = g_probe->clock.nsecsElapsed();
        g_probe->portalOwnMs = message.section(QLatin1Char(' '), 3, 3).toDouble();
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    int runs = 3;
    QString libraryPath = QStringLiteral(CAMERA_LIBRARY_PATH);
    Probe probe;
    bool grabOnly = false;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--calls") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QStringLiteral("--hold"))
            probe.hold = true;
        else if (args[i] == QStringLiteral("--library") && i + 1 < args.size())
            libraryPath = args[++i];
        else if (args[i] == QStringLiteral("--grab-only"))
            grabOnly = true;
    }
    if (probe.hold)
        runs = 1;

    Host host;
    host.setWindowTitle(QStringLiteral("QuobelV3.2.5跟进版"));
    host.setGeometry(200, 150, 1100, 700);
    host.show();
    // Let the host settle on screen before anything is measured.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    if (grabOnly) {
        QElapsedTimer grabClock;
        grabClock.start();
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        std::printf("grab %.1f\n", Ms(grabClock.nsecsElapsed()));
        return shot.isNull() ? 1 : 0;
    }

    QElapsedTimer loadClock;
    loadClock.start();
    QLibrary library(libraryPath);
    const auto entry = reinterpret_cast<Entry>(library.resolve("CameraSubArea"));
    const qint64 loadNs = loadClock.nsecsElapsed();
    if (!entry) {
        std::fprintf(stderr, "capture_bench: %s\n", qPrintable(library.errorString()));
        return 2;
    }

    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize device = screen->geometry().size() * screen->devicePixelRatio();
    const qint64 imageKiB = static_cast<qint64>(device.width()) * device.height() * 4 / 1024;
    if (!probe.hold)
        std::printf("load %.1f\n", Ms(loadNs));

    app.installEventFilter(&probe);
    g_probe = &probe;
    qInstallMessageHandler(NotePortalAnswer);
    QLoggingCategory::setFilterRules(QStringLiteral("quobel.capture.debug=true"));
    for (int run = 1; run <= runs; ++run) {
        const qint64 before = RssKiB();
        probe.arm();
        const std::int32_t result = entry(0);
        if (probe.hold)
            return result == 0 || result == 1 ? 0 : 1;
        if (probe.exposedNs < 0 || probe.paintedNs < 0 || probe.rssUpKiB < 0) {
            std::fprintf(stderr, "capture_bench: the overlay never reached the screen (%d)\n",
                         static_cast<int>(result));
            return 1;
        }
        const qint64 upNs = std::max(probe.exposedNs, probe.paintedNs);
        std::printf("call %d %.1f %lld %lld", run, Ms(upNs),
                    static_cast<long long>(probe.rssUpKiB - before),
                    static_cast<long long>(imageKiB));
        if (probe.portalNs >= 0)
            std::printf(" %.1f %.1f", probe.portalOwnMs, Ms(upNs - probe.portalNs));
        std::printf("\n");
        std::fflush(stdout);
        // The next call starts from quiet.
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 200)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return 0;
}
