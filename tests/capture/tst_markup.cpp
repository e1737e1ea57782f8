#include "CameraDll/markup/markup.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>

using namespace camera;

namespace {

const QRect kScreen(0, 0, 200, 150);

Mark Line(qreal x) {
    return {MarkKind::Rectangle, Qt::red, 4, QPolygonF{QPointF(x, 10), QPointF(x + 20, 30)}, {}};
}

std::vector<qreal> Lefts(const MarkHistory& history) {
    std::vector<qreal> lefts;
    for (const Mark& mark : history.marks())
        lefts.push_back(mark.points.front().x());
    return lefts;
}

Markup Board(qreal scale = 1) {
    QImage base(kScreen.size() * scale, QImage::Format_RGB32);
    base.fill(Qt::gray);
    base.setDevicePixelRatio(scale);
    std::vector<MarkedPicture> pictures;
    pictures.emplace_back(kScreen, base);
    return Markup(std::move(pictures));
}

QKeyEvent Key(int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = {}) {
    return QKeyEvent(QEvent::KeyPress, key, modifiers, text);
}

void Compose(TextEntry& entry, const QString& preedit, const QString& commit = {}) {
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    entry.inputMethod(event);
}

} // namespace

class MarkupTest : public QObject {
    Q_OBJECT
private slots:
    void undoAndRedoAcrossMarksAndSelections();
    void selectionChangesBeforeTheFirstMarkAreNoSteps();
    void aNewStepDropsWhatWasUndone();
    void dragsMakeMarks_data();
    void dragsMakeMarks();
    void undoRedrawsThePicture();
    void numbersCountUpAndUndoGivesThemBack();
    void typingTheKeyboard();
    void typingThroughAnInputMethod();
    void editingByWhatAReaderSees();
    void emptyTextLeavesNoMark();
};

void MarkupTest::undoAndRedoAcrossMarksAndSelections() {
    MarkHistory history;
    const QRect first(10, 10, 100, 50), moved(11, 10, 100, 50), grown(11, 10, 120, 60);
    history.add(Line(0));
    QVERIFY(history.recordSelection(first, moved));
    history.add(Line(50));
    QVERIFY(history.recordSelection(moved, grown));

    MarkHistory::Change change = history.undo(); // the resize
    QVERIFY(!change.marks);
    QCOMPARE(change.selection, std::optional<QRect>(moved));
    change = history.undo(); // the second mark
    QVERIFY(change.marks && !change.selection);
    QCOMPARE(Lefts(history), std::vector<qreal>{0});
    QCOMPARE(history.undo().selection, std::optional<QRect>(first));
    history.undo();
    QVERIFY(history.marks().empty());
    QVERIFY(!history.canUndo());
    QVERIFY(!history.undo().marks); // nothing left: a no-op

    QCOMPARE(history.redo().marks, true);
    QCOMPARE(history.redo().selection, std::optional<QRect>(moved));
    history.redo();
    QCOMPARE(Lefts(history), (std::vector<qreal>{0, 50}));
    QCOMPARE(history.redo().selection, std::optional<QRect>(grown));
    QVERIFY(!history.canRedo());
}

void MarkupTest::selectionChangesBeforeTheFirstMarkAreNoSteps() {
    MarkHistory history;
    QVERIFY(!history.recordSelection(QRect(0, 0, 10, 10), QRect(1, 0, 10, 10)));
    QVERIFY(!history.canUndo());
    history.add(Line(0));
    QVERIFY(!history.recordSelection(QRect(1, 0, 10, 10), QRect(1, 0, 10, 10))); // unchanged
    history.undo();
    // All marks undone: moving now is no step, and keeps the mark to redo.
    QVERIFY(!history.recordSelection(QRect(1, 0, 10, 10), QRect(2, 0, 10, 10)));
    QVERIFY(history.canRedo());
}

void MarkupTest::aNewStepDropsWhatWasUndone() {
    MarkHistory history;
    history.add(Line(0));
    history.add(Line(50));
    history.undo();
    history.add(Line(90));
    QVERIFY(!history.canRedo());
    QCOMPARE(Lefts(history), (std::vector<qreal>{0, 90}));
    history.undo();
    QVERIFY(history.recordSelection(QRect(0, 0, 10, 10), QRect(5, 0, 10, 10)));
    QVERIFY(!history.canRedo());
}

void MarkupTest::dragsMakeMarks_data() {
    QTest::addColumn<Tool>("tool");
    QTest::addColumn<QPolygonF>("drag");
    QTest::addColumn<QPolygonF>("kept"); // empty: no mark
    const QPolygonF drag{QPointF(10, 10), QPointF(30, 40), QPointF(60, 20)};
    QTest::newRow("rectangle keeps its two corners")
        << Tool::Rectangle << drag << QPolygonF{QPointF(10, 10), QPointF(60, 20)};
    QTest::newRow("arrow from press to release")
        << Tool::Arrow << drag << QPolygonF{QPointF(10, 10), QPointF(60, 20)};
    QTest::newRow("pen keeps its path") << Tool::Pen << drag << drag;
    QTest::newRow("highlighter keeps its path") << Tool::Highlighter << drag << drag;
    QTest::newRow("blur keeps its two corners")
        << Tool::Blur << drag << QPolygonF{QPointF(10, 10), QPointF(60, 20)};
    QTest::newRow("the number tool draws nothing by dragging")
        << Tool::Number << drag << QPolygonF{};
    QTest::newRow("a click is no rectangle")
        << Tool::Rectangle << QPolygonF{QPointF(10, 10), QPointF(10, 10)} << QPolygonF{};
    QTest::newRow("a click is no dot")
        << Tool::Pen << QPolygonF{QPointF(10, 10), QPointF(10, 10)} << QPolygonF{};
    QTest::newRow("no tool draws nothing") << Tool::None << drag << QPolygonF{};
}

void MarkupTest::dragsMakeMarks() {
    QFETCH(Tool, tool);
    QFETCH(QPolygonF, drag);
    QFETCH(QPolygonF, kept);
    Markup markup = Board();
    markup.setTool(tool);
    markup.setColour(Qt::blue);
    markup.setWidth(Markup::kThick);
    markup.begin(drag.front());
    for (qsizetype i = 1; i + 1 < drag.size(); ++i)
        markup.extend(drag[i]);
    QCOMPARE(markup.isDrawing(), tool != Tool::None && tool != Tool::Number);
    const QRectF changed = markup.end(drag.back());
    QVERIFY(!markup.isDrawing());
    if (kept.isEmpty()) {
        QVERIFY(markup.history().marks().empty());
        return;
    }
    QCOMPARE(markup.history().marks().size(), std::size_t(1));
    const Mark& mark = markup.history().marks().front();
    QCOMPARE(mark.points, kept);
    QCOMPARE(mark.colour, QColor(Qt::blue));
    QCOMPARE(mark.width, Markup::kThick);
    QVERIFY(changed.contains(MarkBounds(mark)));
}

void MarkupTest::undoRedrawsThePicture() {
    Markup markup = Board(2);
    const QImage grabbed = markup.pictures().front().image();
    markup.setTool(Tool::Mosaic);
    markup.begin({0, 0});
    markup.end({100, 100});
    markup.setTool(Tool::Rectangle);
    markup.begin({20, 20});
    markup.end({150, 120});
    const QImage both = markup.pictures().front().image();
    markup.undo();
    markup.undo();
    QVERIFY(markup.pictures().front().image().constBits() == grabbed.constBits());
    markup.redo();
    markup.redo();
    QCOMPARE(markup.pictures().front().image(), both);
}

void MarkupTest::numbersCountUpAndUndoGivesThemBack() {
    Markup markup = Board();
    markup.setTool(Tool::Number);
    const auto numbers = [&markup] {
        QStringList texts;
        for (const Mark& mark : markup.history().marks())
            texts << (mark.kind == MarkKind::Number ? mark.text : QStringLiteral("-"));
        return texts;
    };
    const QRectF changed = markup.placeNumber({40, 40});
    QVERIFY(changed.contains(MarkBounds(markup.history().marks().back())));
    markup.placeNumber({80, 40});
    // Other marks between them do not count.
    markup.setTool(Tool::Rectangle);
    markup.begin({10, 10});
    markup.end({30, 30});
    markup.placeNumber({120, 40});
    QCOMPARE(numbers(), (QStringList{"1", "2", "-", "3"}));
    markup.undo();
    markup.undo();
    markup.placeNumber({120, 80});
    QCOMPARE(numbers(), (QStringList{"1", "2", "3"}));
    QCOMPARE(markup.history().marks().back().points.front(), QPointF(120, 80));
    // A new capture is a new markup: it starts again from 1.
    Markup next = Board();
    next.placeNumber({10, 10});
    QCOMPARE(next.history().marks().back().text, QStringLiteral("1"));
}

void MarkupTest::typingTheKeyboard() {
    TextEntry entry(QPointF(20, 30), Qt::red, 4);
    using R = TextEntry::KeyResult;
    QCOMPARE(entry.key(Key(Qt::Key_A, QStringLiteral("a"))), R::Edited);
    // Shift pressed on its own comes first, and must not end the text.
    QCOMPARE(entry.key(Key(Qt::Key_Shift, {}, Qt::ShiftModifier)), R::Ignored);
    QCOMPARE(entry.key(Key(Qt::Key_C, QStringLiteral("C"), Qt::ShiftModifier)), R::Edited);
    QCOMPARE(entry.key(Key(Qt::Key_Home)), R::Edited);
    QCOMPARE(entry.key(Key(Qt::Key_Z, QStringLiteral("z"))), R::Edited);
    QCOMPARE(entry.text(), QStringLiteral("zaC"));
    QCOMPARE(entry.key(Key(Qt::Key_Right)), R::Edited);
    QCOMPARE(entry.key(Key(Qt::Key_Backspace)), R::Edited);
    QCOMPARE(entry.key(Key(Qt::Key_Delete)), R::Edited);
    QCOMPARE(entry.text(), QStringLiteral("z"));
    entry.key(Key(Qt::Key_Backspace));
    entry.key(Key(Qt::Key_Backspace)); // nothing left to delete
    QCOMPARE(entry.text(), QString());
    // Shortcuts are the capture's; Escape and Enter end the text.
    QCOMPARE(entry.key(Key(Qt::Key_S, QStringLiteral("\x13"), Qt::ControlModifier)), R::NotMine);
    QCOMPARE(entry.key(Key(Qt::Key_Tab, QStringLiteral("\t"))), R::NotMine);
    QCOMPARE(entry.key(Key(Qt::Key_Escape)), R::Ended);
    QCOMPARE(entry.key(Key(Qt::Key_Enter, {}, Qt::KeypadModifier)), R::Ended);
    QCOMPARE(entry.text(), QString());
}

void MarkupTest::typingThroughAnInputMethod() {
    TextEntry entry(QPointF(20, 30), Qt::red, 4);
    entry.key(Key(Qt::Key_A, QStringLiteral("A")));
    const qreal caretAfterA = entry.caret().left();
    // Pinyin being composed shows at the cursor but is not yet the text.
    Compose(entry, QStringLiteral("ni"));
    Compose(entry, QStringLiteral("nihao"));
    QCOMPARE(entry.text(), QStringLiteral("A"));
    QCOMPARE(entry.shown().text, QStringLiteral("Anihao"));
    QVERIFY(entry.caret().left() > caretAfterA);
    QCOMPARE(entry.mark().text, QStringLiteral("A"));
    Compose(entry, {}, QStringLiteral("你好"));
    QCOMPARE(entry.text(), QStringLiteral("A你好"));
    QCOMPARE(entry.composition(), QString());
    QCOMPARE(entry.cursor(), 3);
    // An input method may take back what it committed before the cursor.
    QInputMethodEvent correction(QString(), {});
    correction.setCommitString(QStringLiteral("您好"), -2, 2);
    entry.inputMethod(correction);
    QCOMPARE(entry.text(), QStringLiteral("A您好"));
    QCOMPARE(entry.mark().kind, MarkKind::Text);
    QCOMPARE(entry.mark().points.front(), QPointF(20, 30));
}

void MarkupTest::editingByWhatAReaderSees() {
    // An emoji is two UTF-16 units, an accented letter here a letter and a
    // combining mark: neither may be split by the keys.
    TextEntry entry(QPointF(20, 30), Qt::red, 4);
    Compose(entry, {}, QStringLiteral("好😀"));
    entry.key(Key(Qt::Key_Backspace));
    QCOMPARE(entry.text(), QStringLiteral("好"));
    Compose(entry, {}, QStringLiteral("😀e\u0301x"));
    entry.key(Key(Qt::Key_Left));
    entry.key(Key(Qt::Key_Left));
    QCOMPARE(entry.cursor(), 3);
    entry.key(Key(Qt::Key_Delete));
    QCOMPARE(entry.text(), QStringLiteral("好😀x"));
    entry.key(Key(Qt::Key_Left));
    QCOMPARE(entry.cursor(), 1);
    entry.key(Key(Qt::Key_Right));
    QCOMPARE(entry.cursor(), 3);
    entry.key(Key(Qt::Key_Right));
    entry.key(Key(Qt::Key_Right)); // at the end already
    QCOMPARE(entry.cursor(), 4);
    entry.key(Key(Qt::Key_Home));
    entry.key(Key(Qt::Key_Delete));
    entry.key(Key(Qt::Key_Delete));
    QCOMPARE(entry.text(), QStringLiteral("x"));
    for (const QChar unit : entry.text())
        QVERIFY(!unit.isSurrogate());
}

void MarkupTest::emptyTextLeavesNoMark() {
    Markup markup = Board();
    markup.setTool(Tool::Text);
    markup.startText({20, 20});
    QVERIFY(markup.isTyping());
    QVERIFY(!markup.endText().isEmpty()); // the caret goes away
    QVERIFY(markup.history().marks().empty());
    markup.startText({20, 20});
    Compose(*markup.text(), {}, QStringLiteral("标注"));
    // A new text elsewhere ends the first one.
    markup.startText({20, 80});
    QCOMPARE(markup.history().marks().size(), std::size_t(1));
    QCOMPARE(markup.history().marks().front().text, QStringLiteral("标注"));
    markup.endText();
    QCOMPARE(markup.history().marks().size(), std::size_t(1));
}

QTEST_MAIN(MarkupTest)
#include "tst_markup.moc"
