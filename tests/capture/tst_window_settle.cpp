// Taking the host's just-minimised windows out of the picture. Under the
// offscreen platform, as on Wayland, a minimised window stays exposed: the
// case of a compositor that ignores minimising.

#include "CameraDll/desktop/window_settle.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace camera;
using namespace std::chrono_literals;

class WindowSettleTest : public QObject {
    Q_OBJECT
private slots:
    void inputDuringTheWaitIsDropped_data();
    void inputDuringTheWaitIsDropped();
    void windowStillShownIsHiddenForTheGrabOnly();
    void windowsNotMinimisedAreLeftAlone();
    void windowClosedMeanwhileIsNotBroughtBack();
};

void WindowSettleTest::inputDuringTheWaitIsDropped_data() {
    QTest::addColumn<bool>("mouse");
    QTest::newRow("a click") << true;
    QTest::newRow("a key press") << false;
}

void WindowSettleTest::inputDuringTheWaitIsDropped() {
    QFETCH(bool, mouse);
    QPushButton button(QStringLiteral("截图（ctrl+D）"));
    int clicks = 0;
    connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    button.setFocus();
    button.showMinimized();
    // Input arriving while the capture waits for the window to leave: a
    // second press of the capture button, say.
    QTimer::singleShot(30, &button, [&button, mouse] {
        const QPointF centre = QRectF(button.rect()).center();
        const QPointF global = button.mapToGlobal(centre);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            if (mouse)
                QCoreApplication::postEvent(&button,
                                            new QMouseEvent(type, centre, global, Qt::LeftButton,
                                                            Qt::LeftButton, Qt::NoModifier));
            else
                QCoreApplication::postEvent(
                    &button, new QKeyEvent(type == QEvent::MouseButtonPress ? QEvent::KeyPress
                                                                            : QEvent::KeyRelease,
                                           Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
        }
    });
    {
        const MinimisedWindowsAway away(200ms);
        QCOMPARE(clicks, 0);
    }
    // Dropped, not postponed.
    QCoreApplication::processEvents();
    QCOMPARE(clicks, 0);
}

void WindowSettleTest::windowStillShownIsHiddenForTheGrabOnly() {
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showMinimized();
    QVERIFY(window.windowHandle()->isExposed());
    {
        const MinimisedWindowsAway away(50ms);
        QVERIFY(!window.isVisible());
    }
    // Back when the capture is over; nothing else could bring it back.
    QVERIFY(window.isVisible());
}

void WindowSettleTest::windowsNotMinimisedAreLeftAlone() {
    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const MinimisedWindowsAway away(50ms);
    QVERIFY(window.isVisible());
}

void WindowSettleTest::windowClosedMeanwhileIsNotBroughtBack() {
    // The host ends a window while the capture has it hidden: closed, it
    // must stay closed; deleted, nothing may touch it.
    QWidget closed;
    auto* deleted = new QWidget;
    for (QWidget* window : {&closed, deleted}) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->showMinimized();
    }
    {
        const MinimisedWindowsAway away(50ms);
        QVERIFY(!closed.isVisible());
        closed.close();
        delete deleted;
    }
    QVERIFY(!closed.isVisible());
    QCOMPARE(QApplication::topLevelWidgets(), QWidgetList{&closed});
}

QTEST_MAIN(WindowSettleTest)
#include "tst_window_settle.moc"
