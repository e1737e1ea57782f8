#include "CameraDll/geometry/selection_editor.h"

#include <QTest>

using namespace camera;

Q_DECLARE_METATYPE(camera::Handle)

namespace {

// A desktop of two side-by-side screens, the left one at negative x.
const QRect kDesktop(-1920, 0, 3840, 1080);

QRect Drag(SelectionEditor& editor, QPoint from, QPoint to) {
    editor.press(from);
    editor.move((from + to) / 2);
    editor.move(to);
    editor.release(to);
    return editor.selection();
}

SelectionEditor WithSelection(const QRect& selection) {
    SelectionEditor editor(kDesktop);
    Drag(editor, selection.topLeft(), selection.bottomRight());
    return editor;
}

} // namespace

class SelectionEditorTest : public QObject {
    Q_OBJECT
private slots:
    void drawing_data();
    void drawing();
    void redrawing_data();
    void redrawing();
    void moving_data();
    void moving();
    void resizing_data();
    void resizing();
    void handles_data();
    void handles();
    void pointerOutsideTheDesktopDuringAResize();
    void keyboardSteps_data();
    void keyboardSteps();
};

void SelectionEditorTest::drawing_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("down and right") << QPoint(10, 20) << QPoint(109, 69) << QRect(10, 20, 100, 50);
    QTest::newRow("up and left") << QPoint(109, 69) << QPoint(10, 20) << QRect(10, 20, 100, 50);
    QTest::newRow("down and left") << QPoint(109, 20) << QPoint(10, 69) << QRect(10, 20, 100, 50);
    QTest::newRow("up and right") << QPoint(10, 69) << QPoint(109, 20) << QRect(10, 20, 100, 50);
    QTest::newRow("across the screen border")
        << QPoint(-50, 5) << QPoint(49, 54) << QRect(-50, 5, 100, 50);
    QTest::newRow("whole desktop, pointer pushed beyond every edge")
        << QPoint(-5000, -10) << QPoint(5000, 2000) << kDesktop;
    QTest::newRow("last row and column reachable")
        << QPoint(1900, 1070) << QPoint(1919, 1079) << QRect(1900, 1070, 20, 10);
    QTest::newRow("exactly the minimum") << QPoint(0, 0) << QPoint(3, 3) << QRect(0, 0, 4, 4);
    QTest::newRow("one short of the minimum wide: a stray drag")
        << QPoint(0, 0) << QPoint(2, 50) << QRect();
    QTest::newRow("one short of the minimum high: a stray drag")
        << QPoint(0, 0) << QPoint(50, 2) << QRect();
    QTest::newRow("a click") << QPoint(7, 7) << QPoint(7, 7) << QRect();
    QTest::newRow("flat line along the bottom edge")
        << QPoint(0, 1079) << QPoint(500, 5000) << QRect();
}

void SelectionEditorTest::drawing() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, expected);
    SelectionEditor editor(kDesktop);
    QCOMPARE(Drag(editor, from, to), expected);
    QCOMPARE(editor.hasSelection(), !expected.isNull());
    QVERIFY(!editor.isDragging());
}

void SelectionEditorTest::redrawing_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("expected");

    const QRect old(100, 100, 200, 100);
    QTest::newRow("new rectangle elsewhere")
        << QPoint(500, 500) << QPoint(599, 549) << QRect(500, 500, 100, 50);
    QTest::newRow("new rectangle over the old one, started outside")
        << QPoint(50, 50) << QPoint(400, 400) << QRect(QPoint(50, 50), QPoint(400, 400));
    QTest::newRow("click outside keeps the old one") << QPoint(600, 600) << QPoint(600, 600) << old;
    QTest::newRow("stray drag outside keeps the old one")
        << QPoint(600, 600) << QPoint(602, 700) << old;
}

void SelectionEditorTest::redrawing() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, expected);
    SelectionEditor editor = WithSelection(QRect(100, 100, 200, 100));
    QCOMPARE(Drag(editor, from, to), expected);
}

void SelectionEditorTest::moving_data() {
    QTest::addColumn<QPoint>("grab");
    QTest::addColumn<QPoint>("drop");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("right and down")
        << QPoint(150, 150) << QPoint(180, 170) << QRect(130, 120, 200, 100);
    QTest::newRow("onto the other screen")
        << QPoint(150, 150) << QPoint(-850, 150) << QRect(-900, 100, 200, 100);
    QTest::newRow("stops at the left and top of the desktop")
        << QPoint(150, 150) << QPoint(-9000, -9000) << QRect(-1920, 0, 200, 100);
    QTest::newRow("stops at the right and bottom of the desktop")
        << QPoint(150, 150) << QPoint(9000, 9000) << QRect(1720, 980, 200, 100);
    QTest::newRow("grabbed at its very corner cell")
        << QPoint(110, 110) << QPoint(111, 112) << QRect(101, 102, 200, 100);
}

void SelectionEditorTest::moving() {
    QFETCH(QPoint, grab);
    QFETCH(QPoint, drop);
    QFETCH(QRect, expected);
    SelectionEditor editor = WithSelection(QRect(100, 100, 200, 100));
    QCOMPARE(editor.handleAt(grab), Handle::Inside);
    QCOMPARE(Drag(editor, grab, drop), expected);
}

void SelectionEditorTest::resizing_data() {
    QTest::addColumn<QPoint>("grab");
    QTest::addColumn<QPoint>("drop");
    QTest::addColumn<QRect>("expected");

    // The selection is (100,100)-(299,199).
    QTest::newRow("bottom-right corner outwards")
        << QPoint(299, 199) << QPoint(349, 249) << QRect(100, 100, 250, 150);
    QTest::newRow("top-left corner inwards")
        << QPoint(100, 100) << QPoint(150, 120) << QRect(QPoint(150, 120), QPoint(299, 199));
    QTest::newRow("right edge keeps the height")
        << QPoint(299, 150) << QPoint(399, 10) << QRect(100, 100, 300, 100);
    QTest::newRow("top edge keeps the width")
        << QPoint(200, 100) << QPoint(900, 50) << QRect(QPoint(100, 50), QPoint(299, 199));
    QTest::newRow("left edge dragged past the right edge flips")
        << QPoint(100, 150) << QPoint(400, 150) << QRect(QPoint(299, 100), QPoint(400, 199));
    QTest::newRow("top-right corner past the bottom-left flips both ways")
        << QPoint(299, 100) << QPoint(50, 300) << QRect(QPoint(50, 199), QPoint(100, 300));
    QTest::newRow("left edge onto the right edge stops at the minimum")
        << QPoint(100, 150) << QPoint(299, 150) << QRect(QPoint(296, 100), QPoint(299, 199));
    QTest::newRow("bottom edge onto the top edge stops at the minimum")
        << QPoint(200, 199) << QPoint(200, 101) << QRect(QPoint(100, 100), QPoint(299, 103));
    QTest::newRow("corner beyond the desktop is clamped")
        << QPoint(299, 199) << QPoint(99999, 99999) << QRect(QPoint(100, 100), QPoint(1919, 1079));
}

void SelectionEditorTest::resizing() {
    QFETCH(QPoint, grab);
    QFETCH(QPoint, drop);
    QFETCH(QRect, expected);
    SelectionEditor editor = WithSelection(QRect(100, 100, 200, 100));
    QVERIFY(editor.handleAt(grab) != Handle::Inside);
    QVERIFY(editor.handleAt(grab) != Handle::None);
    QCOMPARE(Drag(editor, grab, drop), expected);
}

void SelectionEditorTest::handles_data() {
    QTest::addColumn<QRect>("selection");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<Handle>("handle");

    const QRect s(100, 100, 200, 100); // (100,100)-(299,199)
    QTest::newRow("top-left") << s << QPoint(100, 100) << Handle::TopLeft;
    QTest::newRow("top-left, just outside") << s << QPoint(94, 94) << Handle::TopLeft;
    QTest::newRow("beyond the reach") << s << QPoint(93, 100) << Handle::None;
    QTest::newRow("top") << s << QPoint(200, 97) << Handle::Top;
    QTest::newRow("top-right") << s << QPoint(303, 100) << Handle::TopRight;
    QTest::newRow("right") << s << QPoint(299, 150) << Handle::Right;
    QTest::newRow("bottom-right") << s << QPoint(299, 199) << Handle::BottomRight;
    QTest::newRow("bottom") << s << QPoint(150, 205) << Handle::Bottom;
    QTest::newRow("bottom-left") << s << QPoint(100, 199) << Handle::BottomLeft;
    QTest::newRow("left") << s << QPoint(102, 150) << Handle::Left;
    QTest::newRow("inside") << s << QPoint(150, 150) << Handle::Inside;
    QTest::newRow("outside") << s << QPoint(500, 500) << Handle::None;
    QTest::newRow("level with the top edge, far to the side")
        << s << QPoint(400, 100) << Handle::None;
    // On a selection smaller than two reaches the nearer edge must win, or
    // the far corner would be grabbed and the selection flipped.
    const QRect tiny(10, 10, 6, 6); // (10,10)-(15,15)
    QTest::newRow("tiny: near its top-left") << tiny << QPoint(11, 11) << Handle::TopLeft;
    QTest::newRow("tiny: near its bottom-right") << tiny << QPoint(14, 14) << Handle::BottomRight;
    QTest::newRow("tiny: near its top-right") << tiny << QPoint(15, 10) << Handle::TopRight;
}

void SelectionEditorTest::handles() {
    QFETCH(QRect, selection);
    QFETCH(QPoint, point);
    QFETCH(Handle, handle);
    const SelectionEditor editor = WithSelection(selection);
    QCOMPARE(editor.selection(), selection);
    QCOMPARE(editor.handleAt(point), handle);
    QCOMPARE(SelectionEditor(kDesktop).handleAt(point), Handle::None);
}

void SelectionEditorTest::pointerOutsideTheDesktopDuringAResize() {
    // The anchor one cell from the desktop's edge, the pointer pushed past
    // it: the minimum cannot grow that way and must grow the other way
    // instead of leaving the desktop.
    SelectionEditor editor(QRect(0, 0, 100, 100));
    Drag(editor, QPoint(50, 50), QPoint(98, 98));
    editor.press(QPoint(49, 49));
    QVERIFY(editor.isDragging());
    editor.move(QPoint(150, 150));
    editor.release(QPoint(150, 150));
    QCOMPARE(editor.selection(), QRect(QPoint(95, 95), QPoint(98, 98)));
}

void SelectionEditorTest::keyboardSteps_data() {
    QTest::addColumn<QRect>("start");
    QTest::addColumn<bool>("resize");
    QTest::addColumn<QPoint>("step");
    QTest::addColumn<QRect>("expected");
    const QRect start(100, 100, 50, 40);
    QTest::newRow("move left") << start << false << QPoint(-1, 0) << QRect(99, 100, 50, 40);
    QTest::newRow("move across the screen border")
        << QRect(-1, 0, 10, 10) << false << QPoint(1, 0) << QRect(0, 0, 10, 10);
    QTest::newRow("move stops at the desktop's left edge")
        << QRect(-1920, 5, 10, 10) << false << QPoint(-1, 0) << QRect(-1920, 5, 10, 10);
    QTest::newRow("move stops at the bottom edge")
        << QRect(0, 1070, 10, 10) << false << QPoint(0, 1) << QRect(0, 1070, 10, 10);
    QTest::newRow("grow right") << start << true << QPoint(1, 0) << QRect(100, 100, 51, 40);
    QTest::newRow("shrink up") << start << true << QPoint(0, -1) << QRect(100, 100, 50, 39);
    QTest::newRow("shrink stops at the minimum")
        << QRect(0, 0, 4, 4) << true << QPoint(-1, 0) << QRect(0, 0, 4, 4);
    QTest::newRow("grow stops at the desktop's right edge")
        << QRect(1910, 0, 10, 10) << true << QPoint(1, 0) << QRect(1910, 0, 10, 10);
    QTest::newRow("a picked window narrower than the minimum at the edge")
        << QRect(1918, 0, 2, 10) << true << QPoint(-1, 0) << QRect(1918, 0, 2, 10);
}

void SelectionEditorTest::keyboardSteps() {
    QFETCH(QRect, start);
    QFETCH(bool, resize);
    QFETCH(QPoint, step);
    QFETCH(QRect, expected);
    SelectionEditor editor(kDesktop);
    QVERIFY(!editor.moveBy(step)); // nothing selected yet
    editor.setSelection(start);
    QCOMPARE(resize ? editor.resizeBy(step) : editor.moveBy(step), expected != start);
    QCOMPARE(editor.selection(), expected);
}

QTEST_APPLESS_MAIN(SelectionEditorTest)
#include "tst_selection_editor.moc"
