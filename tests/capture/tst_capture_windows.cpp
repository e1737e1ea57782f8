// What a capture leaves on screen: the pin ("贴图") and the window that reads
// the selection's text ("文字识别"), driven as a person drives them, and the
// toolbar buttons that make them.

#include "CameraDll/ui/capture_overlay.h"
#include "CameraDll/ui/capture_toolbar.h"
#include "CameraDll/ui/kept_windows.h"
#include "CameraDll/ui/pin_window.h"
#include "CameraDll/ui/recognition_window.h"
#include "tests/capture/session_fakes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

using namespace camera;
using namespace camera::testing;

namespace {

// A picture whose every device pixel tells where it is.
QImage Picture(const QSize& logical, qreal scale) {
    return Shot(QRect(QPoint(), logical), scale).pixmap.toImage();
}

void Wheel(QWidget* widget, const QPoint& at, int delta) {
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
}

QAction* Action(QWidget* window, const QString& text) {
    for (QAction* action : window->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

QToolButton* Button(CaptureOverlay* overlay, const QString& name) {
    for (QToolButton* button : overlay->toolbar()->findChildren<QToolButton*>())
        if (button->accessibleName() == name)
            return button;
    return nullptr;
}

} // namespace

class CaptureWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void pinShowsTheSelectionWhereItWas();
    void pinZoomsAroundThePointer();
    void pinMovesWithTheDrag();
    void pinClosesByDoubleClickEscapeOrMenu();
    void pinMenuCopiesAndSaves();
    void severalPinsLiveOnTheirOwn();
    void recognitionShowsItIsBusyThenTheText();
    void recognitionWindowClosedWhileBusyStopsTheThread();
    void toolbarEndsTheCaptureIntoAPinOrAReading_data();
    void toolbarEndsTheCaptureIntoAPinOrAReading();

private:
    QTemporaryDir folder_;
};

void CaptureWindowsTest::cleanup() {
    KeptWindows::instance().closeAll();
}

void CaptureWindowsTest::pinShowsTheSelectionWhereItWas() {
    const QRect place(120, 80, 90, 60);
    const QImage picture = Picture(place.size(), 2);
    auto* pin = new PinWindow(picture, place, {});
    KeptWindows::instance().keep(pin);
    QVERIFY(QTest::qWaitForWindowExposed(pin));
    QCOMPARE(pin->geometry(), place);
    QCOMPARE(pin->windowTitle(), QStringLiteral("贴图"));
    QVERIFY(pin->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(pin->windowFlags().testFlag(Qt::FramelessWindowHint));
    // It holds the very picture it was given, with no copy beside it.
    QVERIFY(pin->picture().constBits() == picture.constBits());
    QVERIFY(pin->findChildren<QLabel*>().isEmpty());
    // Every device pixel as captured, on a screen of the capture's scale.
    const QImage shown = pin->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal scale = pin->devicePixelRatioF();
    QCOMPARE(shown.size(), place.size() * scale);
    if (scale == picture.devicePixelRatio())
        QCOMPARE(shown, picture);
    else // a screen of another scale gets it resampled, in place
        QCOMPARE(shown.pixel(0, 0), picture.pixel(0, 0));
}

void CaptureWindowsTest::pinZoomsAroundThePointer() {
    const QRect place(100, 100, 200, 100);
    auto* pin = new PinWindow(Picture(place.size(), 1), place, {});
    KeptWindows::instance().keep(pin);
    // One notch in, with the pointer a quarter in from the left: that point
    // of the picture stays under the pointer.
    Wheel(pin, QPoint(50, 50), 120);
    QCOMPARE(pin->zoom(), 11);
    QCOMPARE(pin->geometry(), QRect(95, 95, 220, 110));
    // A touchpad's small steps add up to one.
    Wheel(pin, QPoint(10, 10), 60);
    QCOMPARE(pin->zoom(), 11);
    Wheel(pin, QPoint(10, 10), 60);
    QCOMPARE(pin->zoom(), 12);
    // No further than 500% and 10%, around the pin's corner now.
    const QPoint corner = pin->pos();
    for (int i = 0; i < 60; ++i)
        Wheel(pin, QPoint(0, 0), 120);
    QCOMPARE(pin->zoom(), 50);
    QCOMPARE(pin->size(), QSize(1000, 500));
    Wheel(pin, QPoint(0, 0), -120 * 100);
    QCOMPARE(pin->zoom(), 1);
    QCOMPARE(pin->size(), QSize(20, 10));
    QCOMPARE(pin->pos(), corner);
}

void CaptureWindowsTest::pinMovesWithTheDrag() {
    const QRect place(100, 100, 200, 100);
    auto* pin = new PinWindow(Picture(place.size(), 1), place, {});
    KeptWindows::instance().keep(pin);
    QTest::mousePress(pin, Qt::LeftButton, {}, QPoint(20, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 10), QPointF(160, 150), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(pin, &move);
    QTest::mouseRelease(pin, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(pin->geometry(), QRect(140, 140, 200, 100));
}

void CaptureWindowsTest::pinClosesByDoubleClickEscapeOrMenu() {
    const QRect place(10, 10, 50, 40);
    for (const int how : {0, 1, 2}) {
        QPointer<PinWindow> pin = new PinWindow(Picture(place.size(), 1), place, {});
        KeptWindows::instance().keep(pin);
        if (how == 0)
            QTest::mouseDClick(pin, Qt::LeftButton, {}, QPoint(5, 5));
        else if (how == 1)
            QTest::keyClick(pin, Qt::Key_Escape);
        else
            Action(pin, QStringLiteral("关闭"))->trigger();
        QTRY_VERIFY(pin.isNull()); // closed is deleted: its picture goes with it
    }
    QVERIFY(KeptWindows::instance().windows().empty());
}

void CaptureWindowsTest::pinMenuCopiesAndSaves() {
    const QRect place(10, 10, 50, 40);
    const QImage picture = Picture(place.size(), 2);
    const QString path = folder_.filePath(QStringLiteral("pin"));
    QString proposed;
    auto* pin = new PinWindow(picture, place, [&](QWidget*, const QString& offered) {
        proposed = offered;
        return path;
    });
    KeptWindows::instance().keep(pin);
    QCOMPARE(pin->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList texts;
    for (QAction* action : pin->actions())
        texts << action->text();
    QCOMPARE(texts, (QStringList{"复制", "保存", "关闭"}));

    Action(pin, QStringLiteral("复制"))->trigger();
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
             picture.convertToFormat(QImage::Format_RGB32));
    Action(pin, QStringLiteral("保存"))->trigger();
    QVERIFY(proposed.endsWith(QStringLiteral(".png")));
    const QImage saved(path + QStringLiteral(".png"));
    QImage expected = picture.convertToFormat(QImage::Format_RGB32);
    expected.setDevicePixelRatio(1);
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), expected); // every device pixel
    QVERIFY(pin->isVisible());                                       // saving keeps it pinned
}

void CaptureWindowsTest::severalPinsLiveOnTheirOwn() {
    std::vector<QPointer<PinWindow>> pins;
    for (int i = 0; i < 3; ++i) {
        pins.emplace_back(new PinWindow(Picture(QSize(40, 30), 1), QRect(i * 50, 0, 40, 30), {}));
        KeptWindows::instance().keep(pins.back());
    }
    QCOMPARE(KeptWindows::instance().windows().size(), std::size_t(3));
    pins[1]->close();
    QTRY_VERIFY(pins[1].isNull());
    QVERIFY(pins[0] && pins[0]->isVisible() && pins[2] && pins[2]->isVisible());
    QCOMPARE(KeptWindows::instance().windows().size(), std::size_t(2));
    // None of them would end the host by closing.
    QVERIFY(!pins[0]->testAttribute(Qt::WA_QuitOnClose));
    KeptWindows::instance().closeAll();
    QVERIFY(pins[0].isNull() && pins[2].isNull());
}

void CaptureWindowsTest::recognitionShowsItIsBusyThenTheText() {
    auto recognizer = std::make_shared<StandInRecognizer>();
    recognizer->hold = true;
    recognizer->text = QStringLiteral("第一行文字\nSecond line");
    QClipboard& clipboard = *QGuiApplication::clipboard();
    clipboard.setText(QStringLiteral("before"));
    auto* window = new RecognitionWindow(recognizer, Picture(QSize(80, 40), 1),
                                         QRect(100, 100, 80, 40), clipboard);
    KeptWindows::instance().keep(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("文字识别"));
    QVERIFY(window->isBusy());
    QVERIFY(!window->copyButton()->isEnabled());
    QVERIFY(window->textBox()->isReadOnly());
    QCOMPARE(window->copyButton()->text(), QStringLiteral("复制"));
    // Beside the selection, where the screen has room for it.
    if (window->screen()->availableGeometry().width() > 200 + window->width())
        QVERIFY(!window->geometry().intersects(QRect(100, 100, 80, 40)));
    QVERIFY(window->screen()->availableGeometry().contains(window->geometry().topLeft()));

    QSignalSpy shown(window, &RecognitionWindow::textShown);
    QTRY_COMPARE(recognizer->calls.load(), 1); // it reads on while the UI goes on
    recognizer->hold = false;
    QVERIFY(shown.wait(5000));
    QVERIFY(!window->isBusy());
    QCOMPARE(window->textBox()->toPlainText(), recognizer->text);
    QVERIFY(!window->textBox()->isReadOnly());
    // Edited, then copied: all of it, as plain text, the lines as lines.
    window->textBox()->appendPlainText(QStringLiteral("补充"));
    QTest::mouseClick(window->copyButton(), Qt::LeftButton);
    QCOMPARE(clipboard.text(), QStringLiteral("第一行文字\nSecond line\n补充"));
    QVERIFY(!clipboard.mimeData()->hasHtml());
}

void CaptureWindowsTest::recognitionWindowClosedWhileBusyStopsTheThread() {
    auto recognizer = std::make_shared<StandInRecognizer>();
    recognizer->hold = true;
    QPointer<RecognitionWindow> window = new RecognitionWindow(
        recognizer, Picture(QSize(80, 40), 1), QRect(0, 0, 80, 40), *QGuiApplication::clipboard());
    KeptWindows::instance().keep(window);
    QTRY_COMPARE(recognizer->calls.load(), 1);
    window->close();
    QTRY_VERIFY(window.isNull());
    QVERIFY(recognizer->stopped);
}

void CaptureWindowsTest::toolbarEndsTheCaptureIntoAPinOrAReading_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("贴图") << QStringLiteral("贴图") << int(CaptureResult::Pinned);
    QTest::newRow("文字识别") << QStringLiteral("文字识别") << int(CaptureResult::ReadText);
    QTest::newRow("取消") << QStringLiteral("取消") << int(CaptureResult::Cancelled);
}

void CaptureWindowsTest::toolbarEndsTheCaptureIntoAPinOrAReading() {
    QFETCH(QString, button);
    QFETCH(int, result);
    FakeServices fake;
    fake.recognizer = std::make_shared<StandInRecognizer>();
    const std::vector<ScreenShot> shots{Shot(QRect(0, 0, 640, 480), 2)};
    CaptureView session(shots, fake.services(), *QGuiApplication::clipboard());
    session.show();
    CaptureOverlay* overlay = session.overlays().front().get();
    const QRect selection(100, 50, 120, 90);
    Drag(overlay, selection.topLeft(), selection.bottomRight());
    QToolButton* pressed = Button(overlay, button);
    QVERIFY(pressed && pressed->isEnabled());
    QTest::mouseClick(pressed, Qt::LeftButton);
    QVERIFY(session.model().hasEnded());
    QCOMPARE(int(session.model().result()), result);
    QVERIFY(!overlay->isVisible());
    const auto& left = result == int(CaptureResult::Pinned) ? fake.pinned : fake.read;
    if (result == int(CaptureResult::Cancelled)) {
        QVERIFY(fake.pinned.empty() && fake.read.empty());
        return;
    }
    QCOMPARE(left.size(), std::size_t(1));
    // The selection at full resolution, at its place.
    QCOMPARE(left.front().second, selection);
    QCOMPARE(left.front().first.size(), selection.size() * 2);
    QCOMPARE(left.front().first.convertToFormat(QImage::Format_RGB32), Expected(shots, selection));
}

QTEST_MAIN(CaptureWindowsTest)
#include "tst_capture_windows.moc"
