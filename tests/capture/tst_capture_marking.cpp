// The marking up, the keys, the magnifier and the window pick, driven through
// the overlay the way a person drives them.

#include "CameraDll/geometry/loupe_placement.h"
#include "CameraDll/session/capture_outcome.h"
#include "CameraDll/ui/capture_overlay.h"
#include "CameraDll/ui/capture_toolbar.h"
#include "CameraDll/ui/capture_view.h"
#include "tests/capture/session_fakes.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace camera;
using namespace camera::testing;

namespace {

const QRgb kRed = qRgb(255, 0, 0);

QToolButton* Button(CaptureOverlay* overlay, const QString& name) {
    for (QToolButton* button : overlay->toolbar()->findChildren<QToolButton*>())
        if (button->accessibleName() == name)
            return button;
    return nullptr;
}

// As the window system delivers it: a click, then the second press as a
// double click, then its release.
void DoubleClick(QWidget* widget, const QPoint& at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// A pointer move with no button held. QTest::mouseMove moves the real
// cursor, and sends nothing when it is already there.
void Hover(QWidget* widget, const QPoint& at) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

void Click(CaptureOverlay* overlay, const QString& name) {
    QToolButton* button = Button(overlay, name);
    QVERIFY2(button, qPrintable(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

struct Capture {
    FakeServices fake;
    CaptureView session;
    CaptureOverlay* overlay;

    explicit Capture(qreal scale = 1, std::vector<StackedWindow> windows = {})
        : fake(Fake(std::move(windows))), session({Shot(QRect(0, 0, 640, 480), scale)},
                                                  fake.services(), *QGuiApplication::clipboard()),
          overlay(nullptr) {
        session.show();
        overlay = session.overlays().front().get();
    }

    static FakeServices Fake(std::vector<StackedWindow> windows) {
        FakeServices fake;
        fake.windows = std::move(windows);
        return fake;
    }

    void key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(overlay, static_cast<Qt::Key>(key), modifiers);
    }
};

} // namespace

class CaptureMarkingTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void toolbarNamesAndDefaults();
    void marksComeOutInTheCopy_data();
    void marksComeOutInTheCopy();
    void overlayShowsWhatComesOut();
    void keys_data();
    void keys();
    void undoAndRedoMarksAndSelectionMoves();
    void textThroughTheInputMethod();
    void compositionKeptWhenTheTextEnds_data();
    void compositionKeptWhenTheTextEnds();
    void inputMethodFollowsTheOverlayTypedOn();
    void doubleClickInsideFinishes();
    void earlierSelectionsComeBack();
    void windowPick_data();
    void windowPick();
    void loupeAndItsColour_data();
    void loupeAndItsColour();

private:
    QTemporaryDir folder_;
};

void CaptureMarkingTest::init() {
    QGuiApplication::clipboard()->setText(QStringLiteral("before the capture"));
}

void CaptureMarkingTest::toolbarNamesAndDefaults() {
    Capture capture;
    Drag(capture.overlay, QPoint(400, 100), QPoint(599, 199));
    for (const char* name : {"矩形", "椭圆", "箭头", "画笔", "文字", "马赛克"}) {
        QToolButton* button = Button(capture.overlay, QString::fromUtf8(name));
        QVERIFY2(button && button->isCheckable() && !button->isChecked(), name);
        QCOMPARE(button->text(), QString::fromUtf8(name));
    }
    for (const char* name : {"黄色", "绿色", "蓝色", "黑色", "白色", "细", "粗"})
        QVERIFY2(Button(capture.overlay, QString::fromUtf8(name)) &&
                     !Button(capture.overlay, QString::fromUtf8(name))->isChecked(),
                 name);
    QVERIFY(Button(capture.overlay, QStringLiteral("红色"))->isChecked());
    QVERIFY(Button(capture.overlay, QStringLiteral("中"))->isChecked());
    QVERIFY(!Button(capture.overlay, QStringLiteral("撤销"))->isEnabled());
    QVERIFY(!Button(capture.overlay, QStringLiteral("重做"))->isEnabled());
    QCOMPARE(capture.session.model().markup().colour(), QColor(0xFF, 0, 0));
    QCOMPARE(capture.session.model().markup().width(), 4.0);

    // One tool at a time; clicking the active one again puts it away.
    Click(capture.overlay, QStringLiteral("椭圆"));
    Click(capture.overlay, QStringLiteral("画笔"));
    QCOMPARE(capture.session.model().markup().tool(), Tool::Pen);
    QVERIFY(!Button(capture.overlay, QStringLiteral("椭圆"))->isChecked());
    Click(capture.overlay, QStringLiteral("画笔"));
    QCOMPARE(capture.session.model().markup().tool(), Tool::None);
    QVERIFY(!Button(capture.overlay, QStringLiteral("画笔"))->isChecked());
    Click(capture.overlay, QStringLiteral("蓝色"));
    Click(capture.overlay, QStringLiteral("蓝色")); // a second click keeps it
    Click(capture.overlay, QStringLiteral("粗"));
    QCOMPARE(capture.session.model().markup().colour(), QColor(0x00, 0x66, 0xFF));
    QCOMPARE(capture.session.model().markup().width(), 8.0);
    QVERIFY(Button(capture.overlay, QStringLiteral("蓝色"))->isChecked());
    QVERIFY(!Button(capture.overlay, QStringLiteral("红色"))->isChecked());
    // A screen reader toggles instead of clicking.
    Button(capture.overlay, QStringLiteral("马赛克"))->toggle();
    QCOMPARE(capture.session.model().markup().tool(), Tool::Mosaic);
    Button(capture.overlay, QStringLiteral("马赛克"))->toggle();
    QCOMPARE(capture.session.model().markup().tool(), Tool::None);
    // The keys stay with the overlay.
    QCOMPARE(Button(capture.overlay, QStringLiteral("蓝色"))->focusPolicy(), Qt::NoFocus);
}

void CaptureMarkingTest::marksComeOutInTheCopy_data() {
    QTest::addColumn<qreal>("scale");
    QTest::newRow("scale 1") << 1.0;
    QTest::newRow("scale 2") << 2.0;
}

void CaptureMarkingTest::marksComeOutInTheCopy() {
    QFETCH(qreal, scale);
    Capture capture(scale);
    const QRect selection(40, 30, 200, 150);
    Drag(capture.overlay, selection.topLeft(), selection.bottomRight());
    Click(capture.overlay, QStringLiteral("矩形"));
    Drag(capture.overlay, QPoint(60, 50), QPoint(120, 100));
    QCOMPARE(capture.session.model().editor().selection(), selection); // drawing does not move it
    Click(capture.overlay, QStringLiteral("箭头"));
    Drag(capture.overlay, QPoint(140, 150), QPoint(220, 60));
    QCOMPARE(capture.session.model().markup().history().marks().size(), std::size_t(2));
    capture.key(Qt::Key_Return);
    QCOMPARE(capture.session.model().result(), CaptureResult::Finished);

    const QImage copied =
        QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(copied.size(), selection.size() * scale);
    const QImage plain = Expected(capture.session.model().shots(), selection);
    const auto at = [&](const QImage& image, int x, int y) {
        return image.pixel(static_cast<int>((x - selection.x() + 0.5) * scale),
                           static_cast<int>((y - selection.y() + 0.5) * scale));
    };
    QCOMPARE(at(copied, 60, 75), kRed);              // the rectangle's left edge
    QCOMPARE(at(copied, 90, 100), kRed);             // its bottom edge
    QCOMPARE(at(copied, 180, 105), kRed);            // the arrow's shaft
    QCOMPARE(at(copied, 90, 75), at(plain, 90, 75)); // inside: untouched
    QCOMPARE(at(copied, 230, 170), at(plain, 230, 170));
}

void CaptureMarkingTest::overlayShowsWhatComesOut() {
    Capture capture;
    const QRect selection(40, 30, 200, 150);
    Drag(capture.overlay, selection.topLeft(), selection.bottomRight());
    Click(capture.overlay, QStringLiteral("马赛克"));
    Drag(capture.overlay, QPoint(50, 40), QPoint(130, 90));
    Click(capture.overlay, QStringLiteral("椭圆"));
    Drag(capture.overlay, QPoint(100, 60), QPoint(200, 160));
    Click(capture.overlay, QStringLiteral("绿色"));
    Click(capture.overlay, QStringLiteral("画笔"));
    QTest::mousePress(capture.overlay, Qt::LeftButton, {}, QPoint(60, 150));
    QTest::mouseMove(capture.overlay, QPoint(100, 170));
    QTest::mouseMove(capture.overlay, QPoint(150, 120));
    QTest::mouseRelease(capture.overlay, Qt::LeftButton, {}, QPoint(160, 110));
    const QImage shown = capture.overlay->grab(selection.adjusted(4, 4, -4, -4))
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const QImage out = capture.session.model()
                           .selectedImage()
                           .copy(QRect(4, 4, selection.width() - 8, selection.height() - 8))
                           .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown, out);
}

void CaptureMarkingTest::keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QRect>("selection");
    QTest::addColumn<int>("result"); // -1: the capture goes on
    const QRect start(100, 100, 50, 40);
    const Qt::KeyboardModifiers none;
    const int open = -1;
    QTest::newRow("left") << int(Qt::Key_Left) << none << start.translated(-1, 0) << open;
    QTest::newRow("down") << int(Qt::Key_Down) << none << start.translated(0, 1) << open;
    QTest::newRow("shift+right grows")
        << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::ShiftModifier)
        << start.adjusted(0, 0, 1, 0) << open;
    QTest::newRow("shift+up shrinks") << int(Qt::Key_Up) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                      << start.adjusted(0, 0, 0, -1) << open;
    QTest::newRow("Enter") << int(Qt::Key_Return) << none << start << int(CaptureResult::Finished);
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << Qt::KeyboardModifiers(Qt::ControlModifier) << start
                            << int(CaptureResult::Finished);
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << Qt::KeyboardModifiers(Qt::ControlModifier) << start
                            << int(CaptureResult::Saved);
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << start
                            << int(CaptureResult::Cancelled);
    QTest::newRow("C without the loupe does nothing") << int(Qt::Key_C) << none << start << open;
    QTest::newRow("Ctrl+A takes the screen")
        << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ControlModifier) << QRect(0, 0, 640, 480)
        << open;
    QTest::newRow("comma with no earlier capture does nothing")
        << int(Qt::Key_Comma) << none << start << open;
}

void CaptureMarkingTest::keys() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QRect, selection);
    QFETCH(int, result);
    Capture capture;
    capture.fake.answer = folder_.filePath(QStringLiteral("keys.png"));
    Drag(capture.overlay, QPoint(100, 100), QPoint(149, 139));
    capture.key(key, modifiers);
    QCOMPARE(capture.session.model().editor().selection(), selection);
    QCOMPARE(capture.session.model().hasEnded(), result >= 0);
    if (result < 0)
        return;
    QCOMPARE(int(capture.session.model().result()), result);
    if (result == int(CaptureResult::Finished))
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(50, 40));
    if (result == int(CaptureResult::Saved))
        QVERIFY(QFileInfo::exists(capture.fake.answer));
}

void CaptureMarkingTest::undoAndRedoMarksAndSelectionMoves() {
    Capture capture;
    Drag(capture.overlay, QPoint(100, 100), QPoint(299, 249));
    capture.key(Qt::Key_Right); // before any mark: no step
    const QRect drawn(101, 100, 200, 150);
    QCOMPARE(capture.session.model().editor().selection(), drawn);
    Click(capture.overlay, QStringLiteral("矩形"));
    Drag(capture.overlay, QPoint(120, 120), QPoint(200, 200));
    QVERIFY(Button(capture.overlay, QStringLiteral("撤销"))->isEnabled());
    capture.key(Qt::Key_Right);
    capture.key(Qt::Key_Down, Qt::ShiftModifier);
    // With no tool, a drag inside moves the selection, as before.
    Click(capture.overlay, QStringLiteral("矩形"));
    Drag(capture.overlay, QPoint(150, 150), QPoint(160, 170));
    const QRect last(112, 120, 200, 151);
    QCOMPARE(capture.session.model().editor().selection(), last);

    capture.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(capture.session.model().editor().selection(), QRect(102, 100, 200, 151));
    capture.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(capture.session.model().editor().selection(), QRect(102, 100, 200, 150));
    Click(capture.overlay, QStringLiteral("撤销"));
    QCOMPARE(capture.session.model().editor().selection(), drawn);
    QCOMPARE(capture.session.model().markup().history().marks().size(), std::size_t(1));
    capture.key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(capture.session.model().markup().history().marks().empty());
    QVERIFY(!Button(capture.overlay, QStringLiteral("撤销"))->isEnabled());
    capture.key(Qt::Key_Z, Qt::ControlModifier); // nothing left
    QCOMPARE(capture.session.model().editor().selection(), drawn);

    capture.key(Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(capture.session.model().markup().history().marks().size(), std::size_t(1));
    capture.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(capture.session.model().editor().selection(), QRect(102, 100, 200, 150));
    Click(capture.overlay, QStringLiteral("重做"));
    Click(capture.overlay, QStringLiteral("重做"));
    QCOMPARE(capture.session.model().editor().selection(), last);
    QVERIFY(!Button(capture.overlay, QStringLiteral("重做"))->isEnabled());
    // What is copied is the selection as it stands, with the mark.
    capture.key(Qt::Key_Return);
    const QImage copied = QGuiApplication::clipboard()->image();
    QCOMPARE(copied.size(), last.size());
    QCOMPARE(copied.pixel(120 - last.x(), 160 - last.y()), kRed);
}

void CaptureMarkingTest::textThroughTheInputMethod() {
    Capture capture;
    const QRect selection(20, 20, 300, 200);
    Drag(capture.overlay, selection.topLeft(), selection.bottomRight());
    Click(capture.overlay, QStringLiteral("文字"));
    QVERIFY(!capture.overlay->testAttribute(Qt::WA_InputMethodEnabled));
    QTest::mouseClick(capture.overlay, Qt::LeftButton, {}, QPoint(40, 40));
    QVERIFY(capture.session.model().markup().isTyping());
    QVERIFY(capture.overlay->testAttribute(Qt::WA_InputMethodEnabled));

    QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImCursorRectangle);
    QCoreApplication::sendEvent(capture.overlay, &query);
    QCOMPARE(query.value(Qt::ImEnabled).toBool(), true);
    const QRect caret = query.value(Qt::ImCursorRectangle).toRect();
    QVERIFY2(QRect(38, 38, 6, 40).contains(caret.topLeft()),
             qPrintable(QString::number(caret.x())));

    QInputMethodEvent composing(QStringLiteral("biaozhu"), {});
    QCoreApplication::sendEvent(capture.overlay, &composing);
    QInputMethodEvent committed;
    committed.setCommitString(QStringLiteral("标注"));
    QCoreApplication::sendEvent(capture.overlay, &committed);
    QTest::keyClicks(capture.overlay, QStringLiteral("ok"));
    capture.key(Qt::Key_Shift, Qt::ShiftModifier); // alone, before a capital
    QTest::keyClicks(capture.overlay, QStringLiteral("K"));
    QCOMPARE(capture.session.model().markup().text()->text(), QStringLiteral("标注okK"));
    // Escape ends the text, not the capture; the arrows are the selection's again.
    capture.key(Qt::Key_Escape);
    QVERIFY(!capture.session.model().hasEnded());
    QVERIFY(!capture.session.model().markup().isTyping());
    QVERIFY(!capture.overlay->testAttribute(Qt::WA_InputMethodEnabled));
    QCOMPARE(capture.session.model().markup().history().marks().back().text,
             QStringLiteral("标注okK"));

    // Typing again, Ctrl+C ends the text and finishes with it in the copy.
    QTest::mouseClick(capture.overlay, Qt::LeftButton, {}, QPoint(40, 120));
    QTest::keyClicks(capture.overlay, QStringLiteral("X"));
    capture.key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(capture.session.model().result(), CaptureResult::Finished);
    QCOMPARE(capture.session.model().markup().history().marks().size(), std::size_t(2));
    const QImage copied =
        QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    int red = 0;
    for (int y = 20; y < 50; ++y)
        for (int x = 20; x < 80; ++x)
            red += copied.pixel(x, y) == kRed;
    QVERIFY2(red > 20, qPrintable(QString::number(red)));
}

void CaptureMarkingTest::compositionKeptWhenTheTextEnds_data() {
    QTest::addColumn<QString>("ending");
    QTest::newRow("Enter") << "Enter";
    QTest::newRow("a click elsewhere") << "click";
    QTest::newRow("Escape") << "Escape";
}

void CaptureMarkingTest::compositionKeptWhenTheTextEnds() {
    QFETCH(QString, ending);
    Capture capture;
    Drag(capture.overlay, QPoint(20, 20), QPoint(319, 219));
    Click(capture.overlay, QStringLiteral("文字"));
    QTest::mouseClick(capture.overlay, Qt::LeftButton, {}, QPoint(40, 40));
    QInputMethodEvent composing(QStringLiteral("nihao"), {});
    QCoreApplication::sendEvent(capture.overlay, &composing);
    if (ending == QLatin1String("click"))
        QTest::mouseClick(capture.overlay, Qt::LeftButton, {}, QPoint(200, 150));
    else
        capture.key(ending == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
    QVERIFY(!capture.session.model().markup().isTyping());
    QVERIFY(!capture.overlay->testAttribute(Qt::WA_InputMethodEnabled));
    // The input method commits what it held once it is switched off, after
    // the text has become a mark: that must neither be lost nor come twice.
    QInputMethodEvent late;
    late.setCommitString(QStringLiteral("nihao"));
    QCoreApplication::sendEvent(capture.overlay, &late);
    const std::vector<Mark>& marks = capture.session.model().markup().history().marks();
    QCOMPARE(marks.size(), std::size_t(1));
    QCOMPARE(marks.back().text, QStringLiteral("nihao"));
    QVERIFY(!capture.session.model().hasEnded());
}

void CaptureMarkingTest::inputMethodFollowsTheOverlayTypedOn() {
    // The keyboard is held by the overlay under the pointer when the capture
    // began; the text is typed on the other screen.
    FakeServices fake;
    CaptureView view({Shot(QRect(0, 0, 320, 240), 1.0), Shot(QRect(320, 0, 320, 240), 1.0)},
                     fake.services(), *QGuiApplication::clipboard());
    view.show();
    CaptureOverlay* left = view.overlays()[0].get();
    CaptureOverlay* right = view.overlays()[1].get();
    QVERIFY(QTest::qWaitForWindowExposed(left));
    QVERIFY(QTest::qWaitForWindowExposed(right));
    QTRY_COMPARE(QWidget::keyboardGrabber(), left);
    Drag(left, QPoint(200, 20), QPoint(599, 219));
    Click(right, QStringLiteral("文字"));
    QTest::mouseClick(right, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(view.model().markup().isTyping());
    QVERIFY(right->testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(!left->testAttribute(Qt::WA_InputMethodEnabled));
    QCOMPARE(QWidget::keyboardGrabber(), right);
    QTRY_COMPARE(QApplication::focusWidget(), right);
    QTest::keyClicks(QWidget::keyboardGrabber(), QStringLiteral("ab"));
    QCOMPARE(view.model().markup().text()->text(), QStringLiteral("ab"));
    view.model().cancel();
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
}

void CaptureMarkingTest::doubleClickInsideFinishes() {
    Capture capture;
    Drag(capture.overlay, QPoint(100, 100), QPoint(199, 199));
    DoubleClick(capture.overlay, QPoint(300, 300));
    QVERIFY(!capture.session.model().hasEnded());
    Click(capture.overlay, QStringLiteral("文字"));
    // The first click starts a text; the double click drops it, empty, and ends.
    DoubleClick(capture.overlay, QPoint(150, 150));
    QCOMPARE(capture.session.model().result(), CaptureResult::Finished);
    QVERIFY(capture.session.model().markup().history().marks().empty());
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(100, 100));
}

void CaptureMarkingTest::earlierSelectionsComeBack() {
    FakeServices fake;
    const QRect oldest(10, 20, 100, 50), gone(900, 20, 100, 50), clipped(500, 400, 300, 200),
        latest(200, 100, 80, 60);
    CaptureView session({Shot(QRect(0, 0, 640, 480), 1)}, fake.services(),
                        *QGuiApplication::clipboard(), {oldest, gone, clipped, latest});
    session.show();
    CaptureOverlay* overlay = session.overlays().front().get();
    const auto selection = [&session] { return session.model().editor().selection(); };
    QVERIFY(selection().isNull());
    QTest::keyClick(overlay, Qt::Key_Comma);
    QCOMPARE(selection(), latest);
    QVERIFY(overlay->toolbar()->isVisible());
    QTest::keyClick(overlay, Qt::Key_Comma);
    QCOMPARE(selection(), QRect(500, 400, 140, 80)); // what is left of it on the screen
    QTest::keyClick(overlay, Qt::Key_Comma);
    QCOMPARE(selection(), oldest); // the one off every screen is passed over
    QTest::keyClick(overlay, Qt::Key_Comma);
    QCOMPARE(selection(), oldest);
    QTest::keyClick(overlay, Qt::Key_Period);
    QTest::keyClick(overlay, Qt::Key_Period);
    QCOMPARE(selection(), latest);
    // Once marked, bringing another back is a step that undo takes back.
    Click(overlay, QStringLiteral("矩形"));
    Drag(overlay, QPoint(210, 110), QPoint(250, 140));
    QTest::keyClick(overlay, Qt::Key_Comma);
    QCOMPARE(selection(), QRect(500, 400, 140, 80));
    QTest::keyClick(overlay, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(selection(), latest);
    QTest::keyClick(overlay, Qt::Key_Return);
    QCOMPARE(session.model().selectionToRemember(), latest);
}

void CaptureMarkingTest::windowPick_data() {
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QPoint>("click");
    QTest::addColumn<QRect>("selection");
    // Device pixels, bottom first; the screen is 640 × 480 logical.
    QTest::newRow("the upper of two") << 1.0 << QPoint(120, 100) << QRect(100, 80, 300, 200);
    QTest::newRow("the lower where only it is") << 1.0 << QPoint(60, 60) << QRect(50, 50, 200, 150);
    QTest::newRow("partly off the screen") << 1.0 << QPoint(600, 400) << QRect(500, 350, 140, 130);
    QTest::newRow("scale 2: device list, logical selection")
        << 2.0 << QPoint(60, 60) << QRect(50, 40, 150, 100);
    QTest::newRow("nothing there: no selection") << 1.0 << QPoint(20, 300) << QRect();
}

void CaptureMarkingTest::windowPick() {
    QFETCH(qreal, scale);
    QFETCH(QPoint, click);
    QFETCH(QRect, selection);
    Capture capture(scale, {{1, QRect(50, 50, 200, 150), true},
                            {2, QRect(100, 80, 300, 200), true},
                            {3, QRect(500, 350, 400, 300), true},
                            {4, QRect(0, 0, 640, 480), false}});
    Hover(capture.overlay, click);
    QCOMPARE(capture.session.model().pickedWindow(), selection);
    QTest::mouseClick(capture.overlay, Qt::LeftButton, {}, click);
    QCOMPARE(capture.session.model().editor().selection(), selection);
    if (selection.isNull())
        return;
    // Once there is a selection, nothing is picked any more.
    Hover(capture.overlay, QPoint(630, 10));
    QVERIFY(capture.session.model().pickedWindow().isNull());
    QTest::mouseClick(capture.overlay, Qt::LeftButton, {}, QPoint(630, 10));
    QCOMPARE(capture.session.model().editor().selection(), selection);
}

void CaptureMarkingTest::loupeAndItsColour_data() {
    QTest::addColumn<qreal>("scale");
    QTest::newRow("scale 1") << 1.0;
    QTest::newRow("scale 2") << 2.0;
}

void CaptureMarkingTest::loupeAndItsColour() {
    QFETCH(qreal, scale);
    Capture capture(scale);
    QVERIFY(!capture.session.model().showsLoupe()); // the pointer has not been seen yet
    Hover(capture.overlay, QPoint(300, 200));
    QVERIFY(capture.session.model().showsLoupe());
    // Shown while a selection is drawn, gone once it is there.
    QTest::mousePress(capture.overlay, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(capture.overlay, QPoint(350, 250));
    QVERIFY(capture.session.model().showsLoupe());
    QTest::mouseRelease(capture.overlay, Qt::LeftButton, {}, QPoint(350, 250));
    QVERIFY(!capture.session.model().showsLoupe());
    capture.key(Qt::Key_C); // no loupe: C does nothing
    QVERIFY(!capture.session.model().hasEnded());
    // Adjusting it shows the loupe again; C copies the colour and ends.
    QTest::mousePress(capture.overlay, Qt::LeftButton, {}, QPoint(350, 250));
    QTest::mouseMove(capture.overlay, QPoint(123, 45));
    QVERIFY(capture.session.model().showsLoupe());
    capture.key(Qt::Key_C);
    QCOMPARE(capture.session.model().result(), CaptureResult::Finished);
    const QImage picture = capture.session.model().shots().front().pixmap.toImage();
    const QRgb pixel = picture.pixel(qRound(123 * scale), qRound(45 * scale));
    QCOMPARE(QGuiApplication::clipboard()->text(), ColourText(pixel));
}

QTEST_MAIN(CaptureMarkingTest)
#include "tst_capture_marking.moc"
