// The selections kept for "," and "." in a later capture: the file they are
// kept in, walking through them, and fitting them to today's screens.

#include "CameraDll/geometry/screen_fit.h"
#include "CameraDll/session/selection_history.h"
#include "CameraDll/session/selection_recall.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace camera;

Q_DECLARE_METATYPE(std::vector<QRect>)

class SelectionHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void roundTripKeepsTheLatestTwenty();
    void damagedFileIsIgnored_data();
    void damagedFileIsIgnored();
    void fitOnScreens_data();
    void fitOnScreens();
    void recallWalksBackAndForth();

private:
    QTemporaryDir folder_;
};

void SelectionHistoryTest::roundTripKeepsTheLatestTwenty() {
    // A folder that does not exist yet, as on a first run.
    const SelectionHistory history(folder_.filePath(QStringLiteral("round/trip/selections.json")));
    QVERIFY(history.read().empty());
    std::vector<QRect> remembered;
    for (int i = 0; i < 25; ++i) {
        const QRect selection(i, -i, 10 + i, 20 + i); // negative places: a screen left of 0
        QVERIFY(history.remember(selection));
        remembered.push_back(selection);
    }
    // The same selection twice in a row is one step back, not two.
    QVERIFY(history.remember(remembered.back()));
    const std::vector<QRect> expected(remembered.end() - 20, remembered.end());
    QCOMPARE(history.read(), expected);
    QCOMPARE(SelectionHistory(history).read(), expected); // from the file, not from memory
}

void SelectionHistoryTest::damagedFileIsIgnored_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not JSON") << QByteArray("\x89PNG\r\n\x1a\n garbage");
    QTest::newRow("cut off") << QByteArray(R"({"selections":[[1,2,30,40],[5,6,)");
    QTest::newRow("no list") << QByteArray(R"({"selections":{"x":1}})");
    QTest::newRow("three numbers") << QByteArray(R"({"selections":[[1,2,30]]})");
    QTest::newRow("text for a number") << QByteArray(R"({"selections":[[1,"2",30,40]]})");
    QTest::newRow("no width") << QByteArray(R"({"selections":[[1,2,0,40]]})");
    QTest::newRow("a fraction") << QByteArray(R"({"selections":[[1.5,2,30,40]]})");
    QTest::newRow("beyond any desktop") << QByteArray(R"({"selections":[[1e12,2,30,40]]})");
    QTest::newRow("far too large")
        << QByteArray(R"({"selections":[)") + QByteArray(70000, ' ') + QByteArray("]}");
}

void SelectionHistoryTest::damagedFileIsIgnored() {
    QFETCH(QByteArray, content);
    const QString path = folder_.filePath(QStringLiteral("damaged.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    const SelectionHistory history(path);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ignoring the selection history"));
    QVERIFY(history.read().empty());
    // The next capture's selection replaces it with a sound file.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ignoring the selection history"));
    QVERIFY(history.remember(QRect(1, 2, 30, 40)));
    QCOMPARE(history.read(), std::vector<QRect>{QRect(1, 2, 30, 40)});
}

void SelectionHistoryTest::fitOnScreens_data() {
    QTest::addColumn<QRect>("selection");
    QTest::addColumn<QRect>("fitted"); // null: passed over
    QTest::newRow("on a screen") << QRect(100, 100, 300, 200) << QRect(100, 100, 300, 200);
    QTest::newRow("past the right screen's edge")
        << QRect(2400, 100, 300, 200) << QRect(2400, 100, 160, 200);
    QTest::newRow("across the seam") << QRect(1800, 100, 400, 200) << QRect(1800, 100, 400, 200);
    // The right screen is 600 high: what hangs below it beside the left one
    // stays, as a drag across that gap keeps it; below both it goes.
    QTest::newRow("into the gap below the smaller screen")
        << QRect(1800, 500, 400, 700) << QRect(1800, 500, 400, 580);
    QTest::newRow("from a screen that is gone") << QRect(3000, 100, 300, 200) << QRect();
    QTest::newRow("only in the gap") << QRect(2000, 700, 300, 200) << QRect();
    QTest::newRow("a sliver is left") << QRect(2558, 100, 300, 200) << QRect();
}

void SelectionHistoryTest::fitOnScreens() {
    QFETCH(QRect, selection);
    QFETCH(QRect, fitted);
    const std::vector<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 640, 600)};
    QCOMPARE(FitOnScreens(selection, screens), fitted);
}

void SelectionHistoryTest::recallWalksBackAndForth() {
    const std::vector<QRect> screens{QRect(0, 0, 800, 600)};
    const QRect oldest(10, 10, 100, 100), gone(900, 10, 100, 100), latest(50, 50, 200, 100);
    SelectionRecall recall({oldest, gone, latest});
    QVERIFY(recall.step(+1, screens).isNull()); // nothing later than now
    QCOMPARE(recall.step(-1, screens), latest);
    QCOMPARE(recall.step(-1, screens), oldest); // the one off the screens is passed over
    QVERIFY(recall.step(-1, screens).isNull()); // nothing earlier: stays
    QCOMPARE(recall.step(+1, screens), latest);
    QVERIFY(recall.step(+1, screens).isNull());
    QVERIFY(SelectionRecall({}).step(-1, screens).isNull());
}

QTEST_GUILESS_MAIN(SelectionHistoryTest)
#include "tst_selection_history.moc"
