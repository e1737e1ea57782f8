// Figures of the text recognition behind "文字识别":
//  - characters right, as 1 - CER, on Chinese UI text rendered here in the
//    CJK font at 12, 14 and 16 px, at scale 1 and 2;
//  - labels read from a screenshot of the program's chat window, when one is
//    given with its labels (bench/recognition/run.sh takes it);
//  - the time from the click on "文字识别" to the text shown, for an 800x600
//    selection, through the capture's own toolbar, window and thread.
//
//   quobel_recognition_bench [--page-mode N] [--pixels-per-point F] [--runs N]
//                            [--chat PNG --labels TXT]... [--sweep] [--show]
//
// The labels file has a line "role<TAB>text" per text on the chat window.
//
// --sweep tries the page modes and upscalings the choice was made from.
// Prints "name value" lines.

#include "CameraDll/recognition/tesseract_recognizer.h"
#include "CameraDll/ui/capture_overlay.h"
#include "CameraDll/ui/capture_toolbar.h"
#include "CameraDll/ui/capture_view.h"
#include "CameraDll/ui/kept_windows.h"
#include "CameraDll/ui/recognition_window.h"
#include "tests/capture/text_samples.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace camera;
using namespace camera::testing;

namespace {

void Report(const char* name, const TextScore& score) {
    std::printf("%s %.4f %d/%d\n", name, score.accuracy(), score.exact, score.texts);
    std::fflush(stdout);
}

QString Read(TesseractRecognizer& recognizer, const QImage& picture, bool show) {
    const std::atomic<bool> stop = false;
    const QString text = recognizer.recognize(picture, stop);
    if (show)
        std::printf("----\n%s\n----\n", qPrintable(text));
    return text;
}

// From the click on "文字识别" to the text in the window: the overlay goes,
// the selection is cut out, and the thread reads it.
double ClickToText(const QImage& screen) {
    std::vector<ScreenShot> shots{{QRect(QPoint(0, 0), screen.size() / screen.devicePixelRatio()),
                                   QPixmap::fromImage(screen), nullptr}};
    CaptureView view(std::move(shots), DefaultServices(), *QGuiApplication::clipboard());
    view.show();
    CaptureOverlay* overlay = view.overlays().front().get();
    if (!QTest::qWaitForWindowExposed(overlay))
        return -1;
    // Through the model: QTest takes a press at (0, 0) for one in the middle.
    view.model().pointerPressed(QPointF(0, 0), Qt::LeftButton);
    view.model().pointerMoved(QPointF(400, 300));
    view.model().pointerReleased(QPointF(799, 599), Qt::LeftButton);
    if (view.model().editor().selection() != QRect(0, 0, 800, 600))
        return -1;
    QToolButton* button = nullptr;
    for (QToolButton* each : overlay->toolbar()->findChildren<QToolButton*>())
        if (each->accessibleName() == QStringLiteral("文字识别"))
            button = each;
    if (!button)
        return -1;
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(button, Qt::LeftButton);
    const std::vector<QWidget*> windows = KeptWindows::instance().windows();
    auto* window = windows.empty() ? nullptr : qobject_cast<RecognitionWindow*>(windows.back());
    if (!window)
        return -1;
    QSignalSpy shown(window, &RecognitionWindow::textShown);
    if (window->isBusy() && !shown.wait(30000))
        return -1;
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    // A time for no text at all would say nothing.
    const TextScore read = ScoreTexts(ChineseUiTexts(), window->textBox()->toPlainText());
    KeptWindows::instance().closeAll();
    return read.accuracy() < 0.9 ? -1 : ms;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&args](const QString& name, const QString& fallback) {
        const qsizetype at = args.indexOf(name);
        return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
    };
    TesseractRecognizer::Settings settings;
    settings.pageMode =
        option(QStringLiteral("--page-mode"), QString::number(settings.pageMode)).toInt();
    settings.pixelsPerPoint =
        option(QStringLiteral("--pixels-per-point"), QString::number(settings.pixelsPerPoint))
            .toDouble();
    const int runs = option(QStringLiteral("--runs"), QStringLiteral("3")).toInt();
    const bool show = args.contains(QStringLiteral("--show"));
    // Each --chat picture with the --labels file that follows it, of
    // "role<TAB>text" lines: the labels and the menu's title are what the
    // goal is about, the captions of the buttons are read as well.
    struct Chat {
        QImage picture;
        QStringList labels, texts;
    };
    std::vector<Chat> chats;
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--chat"))
            chats.push_back({QImage(args[i + 1]), {}, {}});
        if (args[i] != QLatin1String("--labels") || chats.empty())
            continue;
        QFile file(args[i + 1]);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            const QStringList parts = line.split(QLatin1Char('\t'));
            if (parts.size() != 2 || parts[1].trimmed().isEmpty())
                continue;
            chats.back().texts << parts[1];
            if (parts[0] == QLatin1String("label") || parts[0] == QLatin1String("menu"))
                chats.back().labels << parts[1];
        }
    }

    TesseractRecognizer probe;
    if (!probe.availability().ready) {
        std::fprintf(stderr, "%s\n", qPrintable(probe.availability().missing));
        return 2;
    }

    std::vector<std::pair<int, qreal>> choices{{settings.pageMode, settings.pixelsPerPoint}};
    if (args.contains(QStringLiteral("--sweep"))) {
        choices.clear();
        for (const int mode : {3, 6, 11})
            choices.emplace_back(mode, 3.0);
        for (const qreal pixels : {1.0, 2.0, 2.5, 4.0})
            choices.emplace_back(11, pixels);
    }
    for (const auto& [mode, pixels] : choices) {
        TesseractRecognizer recognizer({mode, pixels});
        std::printf("settings page-mode %d pixels-per-point %.1f\n", mode, pixels);
        for (const qreal scale : {1.0, 2.0})
            for (const int size : {12, 14, 16}) {
                const QByteArray name = QByteArray("rendered-") + QByteArray::number(size) +
                                        "px-scale-" + QByteArray::number(scale);
                TextScore score;
                for (const TextLayout& layout : TextLayouts())
                    score += ScoreTexts(ChineseUiTexts(),
                                        Read(recognizer,
                                             RenderedTexts(ChineseUiTexts(), size, scale, layout),
                                             show));
                Report(name.constData(), score);
            }
        for (const int size : {12, 14}) {
            const QByteArray name = "english-" + QByteArray::number(size) + "px-scale-1";
            TextScore score;
            for (const TextLayout& layout : TextLayouts())
                score += ScoreTexts(
                    EnglishUiTexts(),
                    Read(recognizer, RenderedTexts(EnglishUiTexts(), size, 1, layout), show));
            Report(name.constData(), score);
        }
        TextScore labels, texts;
        for (const Chat& chat : chats) {
            const QString read = Read(recognizer, chat.picture, show);
            labels += ScoreTexts(chat.labels, read);
            texts += ScoreTexts(chat.texts, read);
        }
        if (!chats.empty()) {
            Report("chat-window-labels", labels);
            Report("chat-window-every-text", texts);
        }
    }

    // The same page, 800x600, timed from the click with the settings the
    // capture ships with.
    const QImage screen =
        RenderedTexts(ChineseUiTexts(), 14, 1, TextLayouts().front(), QSize(800, 600));
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(ClickToText(screen));
    std::sort(times.begin(), times.end());
    if (!times.empty())
        std::printf("click-to-text-800x600-ms %.0f %.0f\n", times[times.size() / 2], times.back());
    return 0;
}
