// Times the marking up on a full 3840x2160 overlay holding 200 marks: one
// repaint per pointer move while a mark is drawn and while the selection is
// adjusted, an undo, cutting out a part, and the way from Enter to the
// picture on the clipboard, both in the process and as another program
// (xclip) reads it. Runs on whatever
// display it is given; bench/capture/run-markup.sh gives it a private Xvfb.
//
//   quobel_markup_bench [--frames N]
//
// Prints "name median-ms worst-ms" lines.

#include "CameraDll/ui/capture_overlay.h"
#include "CameraDll/ui/capture_view.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <cstdio>
#include <vector>

using namespace camera;

namespace {

const QRect kScreen(0, 0, 3840, 2160);
constexpr int kMarks = 200;

ScreenShot Desktop() {
    QImage image(kScreen.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, kScreen.width(), kScreen.height());
    gradient.setColorAt(0, QColor(40, 90, 160));
    gradient.setColorAt(1, QColor(230, 140, 60));
    painter.fillRect(image.rect(), gradient);
    QFont font = painter.font();
    font.setPixelSize(28);
    painter.setFont(font);
    painter.setPen(Qt::white);
    for (int y = 40; y < kScreen.height(); y += 60)
        painter.drawText(20, y,
                         QStringLiteral("截图 benchmark line %1 — 标注、马赛克、箭头").arg(y));
    painter.end();
    return {kScreen, QPixmap::fromImage(image), nullptr};
}

struct Stats {
    std::vector<double> ms;
    void print(const char* name) {
        std::sort(ms.begin(), ms.end());
        std::printf("%s %.2f %.2f\n", name, ms[ms.size() / 2], ms.back());
        std::fflush(stdout);
    }
};

double Ms(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Counts the overlay's paints, so a frame that painted nothing shows.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Paints what the last input made dirty, now, as the event loop would.
void PaintNow(QWidget* overlay) {
    QCoreApplication::sendPostedEvents(overlay, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents(overlay->window(), QEvent::UpdateRequest);
}

void Drag(CaptureView& session, QPointF from, QPointF to, int steps) {
    session.model().pointerPressed(from, Qt::LeftButton);
    for (int i = 1; i <= steps; ++i)
        session.model().pointerMoved(from + (to - from) * i / steps);
    session.model().pointerReleased(to, Qt::LeftButton);
}

void AddMarks(CaptureView& session) {
    QRandomGenerator random(20240131);
    const Tool tools[] = {Tool::Rectangle, Tool::Ellipse, Tool::Arrow,       Tool::Pen, Tool::Text,
                          Tool::Mosaic,    Tool::Number,  Tool::Highlighter, Tool::Blur};
    for (int i = 0; i < kMarks; ++i) {
        const Tool tool = tools[i % std::size(tools)];
        session.model().chooseTool(tool);
        const QPointF from(random.bounded(100, 3500), random.bounded(100, 1900));
        const QPointF to = from + QPointF(random.bounded(40, 300), random.bounded(40, 200));
        if (tool == Tool::Number) {
            session.model().pointerPressed(from, Qt::LeftButton);
            session.model().pointerReleased(from, Qt::LeftButton);
        } else if (tool == Tool::Text) {
            session.model().pointerPressed(from, Qt::LeftButton);
            session.model().pointerReleased(from, Qt::LeftButton);
            for (const QChar c : QStringLiteral("标注 %1").arg(i)) {
                QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                session.model().keyPressed(key);
            }
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            session.model().keyPressed(enter);
        } else {
            Drag(session, from, to, tool == Tool::Pen || tool == Tool::Highlighter ? 30 : 3);
        }
    }
    session.model().chooseTool(Tool::None);
}

} // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // As the library sets it when called: screen-sized blocks are mapped
    // afresh each time, so their first use pays for the pages.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
    QApplication app(argc, argv);
    int frames = 120;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == QStringLiteral("--frames"))
            frames = std::max(10, args[i + 1].toInt());

    CaptureServices services;
    services.askSavePath = [](QWidget*, const QString&) { return QString(); };
    services.reportSaveFailure = [](QWidget*, const QString&) {};
    CaptureView session({Desktop()}, services, *QGuiApplication::clipboard());
    session.show();
    QWidget* overlay = session.overlays().front().get();
    if (!QTest::qWaitForWindowExposed(overlay)) {
        std::fprintf(stderr, "markup_bench: the overlay never reached the screen\n");
        return 1;
    }
    Drag(session, QPointF(0, 0), QPointF(3839, 2159), 2);
    AddMarks(session);
    PaintNow(overlay);
    QCoreApplication::processEvents();
    if (session.model().markup().history().marks().size() != kMarks) {
        std::fprintf(stderr, "markup_bench: %zu marks, not %d\n",
                     session.model().markup().history().marks().size(), kMarks);
        return 1;
    }

    PaintCounter counter;
    overlay->installEventFilter(&counter);
    // A rectangle drawn across a quarter of the screen, one frame per move.
    Stats drawing;
    session.model().chooseTool(Tool::Rectangle);
    session.model().pointerPressed(QPointF(500, 400), Qt::LeftButton);
    PaintNow(overlay);
    for (int i = 1; i <= frames; ++i) {
        QElapsedTimer clock;
        clock.start();
        session.model().pointerMoved(QPointF(500 + i * 12, 400 + i * 7));
        PaintNow(overlay);
        drawing.ms.push_back(Ms(clock));
    }
    session.model().pointerReleased(QPointF(500 + frames * 12, 400 + frames * 7), Qt::LeftButton);
    drawing.print("frame-drawing-a-mark");
    if (counter.paints < frames)
        std::fprintf(stderr, "markup_bench: %d paints for %d frames\n", counter.paints, frames);
    counter.paints = 0;

    // The selection's corner dragged: every move repaints the whole overlay.
    Stats adjusting;
    session.model().chooseTool(Tool::None);
    session.model().pointerPressed(QPointF(3839, 2159), Qt::LeftButton);
    for (int i = 1; i <= frames; ++i) {
        QElapsedTimer clock;
        clock.start();
        session.model().pointerMoved(QPointF(3839 - i * 5, 2159 - i * 3));
        PaintNow(overlay);
        adjusting.ms.push_back(Ms(clock));
    }
    session.model().pointerReleased(QPointF(3839, 2159), Qt::LeftButton);
    PaintNow(overlay);
    adjusting.print("frame-adjusting-the-selection");
    if (counter.paints < frames)
        std::fprintf(stderr, "markup_bench: %d paints for %d frames\n", counter.paints, frames);

    // The whole overlay at once, as after an undo or a change of tool.
    Stats full;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer clock;
        clock.start();
        overlay->repaint();
        full.ms.push_back(Ms(clock));
    }
    full.print("full-repaint");

    // Undo of the last mark draws the other 200 again from the grab.
    Stats undo;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        session.model().undo();
        undo.ms.push_back(Ms(clock));
        session.model().redo();
    }
    undo.print("undo-redrawing-200-marks");

    // A part of the screen is copied out of the picture.
    session.model().pointerPressed(QPointF(3839, 2159), Qt::LeftButton);
    session.model().pointerMoved(QPointF(2999, 1799));
    session.model().pointerReleased(QPointF(2999, 1799), Qt::LeftButton);
    Stats part;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        const QImage image = session.model().selectedImage();
        part.ms.push_back(Ms(clock));
    }
    part.print("copy-of-a-3000x1800-selection");
    session.model().pointerPressed(QPointF(2999, 1799), Qt::LeftButton);
    session.model().pointerMoved(QPointF(3839, 2159));
    session.model().pointerReleased(QPointF(3839, 2159), Qt::LeftButton);

    // Enter with the whole screen selected.
    QElapsedTimer clock;
    clock.start();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    session.model().keyPressed(enter);
    const double filled = Ms(clock);
    if (QGuiApplication::clipboard()->image().size() != kScreen.size()) {
        std::fprintf(stderr, "markup_bench: the clipboard holds no full-screen image\n");
        return 1;
    }
    std::printf("enter-to-clipboard %.2f %.2f\n", filled, filled);

    // Another program asks for it as PNG: the image is encoded now.
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        QProcess xclip;
        QEventLoop loop;
        QObject::connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
        xclip.start(QStringLiteral("xclip"),
                    {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                     QStringLiteral("-t"), QStringLiteral("image/png"), QStringLiteral("-o")});
        loop.exec();
        const double read = Ms(clock);
        std::printf("enter-to-png-read-by-xclip %.2f %.2f %lld\n", read, read,
                    static_cast<long long>(xclip.readAllStandardOutput().size()));
    }
    return 0;
}
