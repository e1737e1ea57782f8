#include "CameraDll/geometry/loupe_placement.h"
#include "CameraDll/geometry/window_pick.h"
#include "CameraDll/session/capture_outcome.h"
#include "CameraDll/session/key_commands.h"

#include <QTest>

using namespace camera;

Q_DECLARE_METATYPE(camera::KeyCommand)

namespace {

// Two screens side by side, the second one left of the first.
const QRect kScreen(0, 0, 1920, 1080);
const QRect kLeftScreen(-1280, 0, 1280, 1024);
const QSize kLoupe(120, 160);
constexpr int kGap = 20;

} // namespace

class CaptureAidsTest : public QObject {
    Q_OBJECT
private slots:
    void loupePlacement_data();
    void loupePlacement();
    void loupeShowsMorePixelsOnScaledScreens();
    void pixelUnderThePointer_data();
    void pixelUnderThePointer();
    void colourText();
    void windowPick_data();
    void windowPick();
    void deviceToLogical_data();
    void deviceToLogical();
    void keys_data();
    void keys();
};

void CaptureAidsTest::loupePlacement_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("room everywhere: below right")
        << kScreen << QPoint(500, 400) << QPoint(521, 421);
    QTest::newRow("right edge: to the left") << kScreen << QPoint(1850, 400) << QPoint(1710, 421);
    QTest::newRow("bottom edge: above") << kScreen << QPoint(500, 1000) << QPoint(521, 820);
    QTest::newRow("bottom-right corner: above left")
        << kScreen << QPoint(1919, 1079) << QPoint(1779, 899);
    QTest::newRow("top-left corner") << kScreen << QPoint(0, 0) << QPoint(21, 21);
    QTest::newRow("screen at negative x, its right edge")
        << kLeftScreen << QPoint(-1, 10) << QPoint(-141, 31);
    QTest::newRow("screen at negative x, its left edge")
        << kLeftScreen << QPoint(-1280, 1023) << QPoint(-1259, 843);
    QTest::newRow("screen too narrow to hold it beside: below the pointer")
        << QRect(0, 0, 200, 1080) << QPoint(100, 500) << QPoint(0, 521);
    QTest::newRow("screen too small either way: still off the pointer")
        << QRect(0, 0, 200, 200) << QPoint(100, 30) << QPoint(0, 31);
}

void CaptureAidsTest::loupePlacement() {
    QFETCH(QRect, screen);
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, topLeft);
    const QRect loupe = PlaceLoupe(pointer, kLoupe, screen, kGap);
    QCOMPARE(loupe.topLeft(), topLeft);
    QCOMPARE(loupe.size(), kLoupe);
    QVERIFY(!loupe.contains(pointer));
    if (screen.width() >= kLoupe.width() && screen.height() >= kLoupe.height())
        QVERIFY(screen.contains(loupe));
}

void CaptureAidsTest::loupeShowsMorePixelsOnScaledScreens() {
    // About the same logical size, each pixel 8 device pixels wide.
    QCOMPARE(LoupeReach(1), 7);
    QCOMPARE(LoupeReach(2), 14);
    QCOMPARE(LoupeSize(1, 16), QSize(120, 120 + 36));
    QCOMPARE(LoupeSize(2, 16), QSize(116, 116 + 36)); // 29 pixels × 8 / 2
}

void CaptureAidsTest::pixelUnderThePointer_data() {
    QTest::addColumn<QPointF>("global");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QPoint>("pixel");
    QTest::newRow("scale 1") << QPointF(10.5, 20) << QPoint(0, 0) << 1.0 << QPoint(10, 20);
    QTest::newRow("scale 2, the right half of a logical pixel")
        << QPointF(10.5, 20.25) << QPoint(0, 0) << 2.0 << QPoint(21, 40);
    QTest::newRow("screen at negative x")
        << QPointF(-1.5, 3) << QPoint(-1280, 0) << 1.0 << QPoint(1278, 3);
    QTest::newRow("past the last pixel: the last one")
        << QPointF(1920, 1080) << QPoint(0, 0) << 1.0 << QPoint(1919, 1079);
}

void CaptureAidsTest::pixelUnderThePointer() {
    QFETCH(QPointF, global);
    QFETCH(QPoint, origin);
    QFETCH(qreal, scale);
    QFETCH(QPoint, pixel);
    QCOMPARE(PixelUnder(global, origin, scale, QSize(1920, 1080) * scale), pixel);
}

void CaptureAidsTest::colourText() {
    QCOMPARE(ColourText(qRgb(255, 0, 0)), QStringLiteral("#FF0000"));
    QCOMPARE(ColourText(qRgba(1, 0xab, 0x0c, 0)), QStringLiteral("#01AB0C"));
}

void CaptureAidsTest::windowPick_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QRect>("picked");
    // Bottom first: a big window, one above it overlapping, one partly off
    // the screen, a minimised one on top of everything.
    QTest::newRow("the topmost of two overlapping")
        << QPoint(450, 350) << QRect(400, 300, 300, 200);
    QTest::newRow("the lower one where only it is")
        << QPoint(150, 150) << QRect(100, 100, 500, 300);
    QTest::newRow("partly off the screen: clipped")
        << QPoint(1900, 1000) << QRect(1800, 900, 120, 180);
    QTest::newRow("a minimised window does not count") << QPoint(20, 20) << QRect();
    QTest::newRow("nothing there") << QPoint(1500, 100) << QRect();
    QTest::newRow("the frame's last pixel") << QPoint(699, 499) << QRect(400, 300, 300, 200);
}

void CaptureAidsTest::windowPick() {
    QFETCH(QPoint, point);
    QFETCH(QRect, picked);
    const std::vector<StackedWindow> stack{
        {1, QRect(800, 500, 400, 300), true}, {2, QRect(100, 100, 500, 300), true},
        {3, QRect(400, 300, 300, 200), true}, {4, QRect(1800, 900, 300, 400), true},
        {5, QRect(0, 0, 1920, 1080), false},
    };
    QCOMPARE(WindowAt(stack, point, kScreen), picked);
}

void CaptureAidsTest::deviceToLogical_data() {
    QTest::addColumn<QRect>("device");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QRect>("logical");
    QTest::newRow("scale 1") << QRect(10, 20, 30, 40) << QPoint(0, 0) << 1.0
                             << QRect(10, 20, 30, 40);
    QTest::newRow("scale 2") << QRect(20, 40, 60, 80) << QPoint(0, 0) << 2.0
                             << QRect(10, 20, 30, 40);
    QTest::newRow("scale 2, odd edges rounded outwards")
        << QRect(21, 41, 59, 79) << QPoint(0, 0) << 2.0 << QRect(10, 20, 30, 40);
    QTest::newRow("second screen keeps its origin")
        << QRect(1940, 40, 60, 80) << QPoint(1920, 0) << 2.0 << QRect(1930, 20, 30, 40);
}

void CaptureAidsTest::deviceToLogical() {
    QFETCH(QRect, device);
    QFETCH(QPoint, origin);
    QFETCH(qreal, scale);
    QFETCH(QRect, logical);
    QCOMPARE(DeviceToLogical(device, origin, scale), logical);
}

void CaptureAidsTest::keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<KeyCommand>("command");
    const Qt::KeyboardModifiers none;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    QTest::newRow("left") << int(Qt::Key_Left) << none << KeyCommand{KeyCommand::Move, {-1, 0}};
    QTest::newRow("down") << int(Qt::Key_Down) << none << KeyCommand{KeyCommand::Move, {0, 1}};
    QTest::newRow("shift+right") << int(Qt::Key_Right) << shift
                                 << KeyCommand{KeyCommand::Resize, {1, 0}};
    QTest::newRow("shift+up") << int(Qt::Key_Up) << shift
                              << KeyCommand{KeyCommand::Resize, {0, -1}};
    QTest::newRow("ctrl+left is nothing") << int(Qt::Key_Left) << ctrl << KeyCommand{};
    QTest::newRow("Enter") << int(Qt::Key_Return) << none << KeyCommand{KeyCommand::Finish, {}};
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                  << KeyCommand{KeyCommand::Finish, {}};
    QTest::newRow("ctrl+c") << int(Qt::Key_C) << ctrl << KeyCommand{KeyCommand::Finish, {}};
    QTest::newRow("ctrl+s") << int(Qt::Key_S) << ctrl << KeyCommand{KeyCommand::Save, {}};
    QTest::newRow("ctrl+z") << int(Qt::Key_Z) << ctrl << KeyCommand{KeyCommand::Undo, {}};
    QTest::newRow("ctrl+y") << int(Qt::Key_Y) << ctrl << KeyCommand{KeyCommand::Redo, {}};
    QTest::newRow("ctrl+shift+z") << int(Qt::Key_Z) << (ctrl | shift)
                                  << KeyCommand{KeyCommand::Redo, {}};
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << KeyCommand{KeyCommand::Cancel, {}};
    QTest::newRow("c") << int(Qt::Key_C) << none << KeyCommand{KeyCommand::CopyColour, {}};
    QTest::newRow("shift+c is nothing") << int(Qt::Key_C) << shift << KeyCommand{};
    QTest::newRow("s alone is nothing") << int(Qt::Key_S) << none << KeyCommand{};
    QTest::newRow("ctrl+alt+z is nothing")
        << int(Qt::Key_Z) << (ctrl | Qt::AltModifier) << KeyCommand{};
}

void CaptureAidsTest::keys() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(KeyCommand, command);
    const KeyCommand got = CommandForKey(key, modifiers);
    QCOMPARE(got.kind, command.kind);
    QCOMPARE(got.step, command.step);
}

QTEST_MAIN(CaptureAidsTest)
#include "tst_capture_aids.moc"
