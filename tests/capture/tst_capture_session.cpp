#include "CameraDll/session/capture_outcome.h"
#include "CameraDll/ui/capture_overlay.h"
#include "CameraDll/ui/capture_toolbar.h"
#include "CameraDll/ui/capture_view.h"
#include "tests/capture/session_fakes.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImageReader>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace camera;
using namespace camera::testing;

namespace {

// Swallows paint events, as a busy or slow compositor would delay them.
class PaintBlocker : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Paint; }
};

} // namespace

class CaptureSessionTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void finishCopiesTheSelection_data();
    void finishCopiesTheSelection();
    void saveWritesTheSelection_data();
    void saveWritesTheSelection();
    void saveDialogDismissedKeepsTheCaptureOpen();
    void failedSaveIsReportedAndTheCaptureStaysOpen();
    void cancelLeavesNothing_data();
    void cancelLeavesNothing();
    void nothingToSaveOrFinishWithoutASelection();
    void toolbarFollowsTheSelection();
    void selectionAcrossTwoScreens();
    void ctrlATakesTheScreenUnderThePointer();
    void execReturnsWhenTheCaptureIsOver();
    void keyboardHeldOnceOnScreenBeforeAnyPaint();
    void failureInInputEndsTheCapture();

private:
    QTemporaryDir folder_;
};

void CaptureSessionTest::init() {
    QGuiApplication::clipboard()->setText(QStringLiteral("before the capture"));
}

void CaptureSessionTest::finishCopiesTheSelection_data() {
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QSize>("deviceSize");
    QTest::newRow("scale 1") << 1.0 << QSize(120, 80);
    QTest::newRow("scale 1.5") << 1.5 << QSize(180, 120);
    QTest::newRow("scale 2") << 2.0 << QSize(240, 160);
}

void CaptureSessionTest::finishCopiesTheSelection() {
    QFETCH(qreal, scale);
    QFETCH(QSize, deviceSize);
    FakeServices fake;
    CaptureView session({Shot(QRect(0, 0, 640, 480), scale)}, fake.services(),
                        *QGuiApplication::clipboard());
    session.show();
    CaptureOverlay* overlay = session.overlays().front().get();
    Drag(overlay, QPoint(40, 30), QPoint(159, 109));
    QCOMPARE(session.model().editor().selection(), QRect(40, 30, 120, 80));
    QCOMPARE(session.model().selectedDeviceSize(), deviceSize);

    QTest::mouseClick(overlay->finishButton(), Qt::LeftButton);
    QVERIFY(session.model().hasEnded());
    QCOMPARE(session.model().result(), CaptureResult::Finished);
    const QImage copied = QGuiApplication::clipboard()->image();
    QCOMPARE(copied.size(), deviceSize);
    QCOMPARE(copied.convertToFormat(QImage::Format_RGB32),
             Expected(session.model().shots(), QRect(40, 30, 120, 80)));
    QVERIFY(fake.proposals.isEmpty()); // no file asked for, none written
    QVERIFY(!overlay->isVisible());
}

void CaptureSessionTest::saveWritesTheSelection_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written");
    QTest::newRow("png name") << QStringLiteral("a.png") << QStringLiteral("a.png");
    QTest::newRow("name without suffix") << QStringLiteral("b") << QStringLiteral("b.png");
}

void CaptureSessionTest::saveWritesTheSelection() {
    QFETCH(QString, answer);
    QFETCH(QString, written);
    FakeServices fake;
    fake.answer = folder_.filePath(answer);
    CaptureView session({Shot(QRect(0, 0, 640, 480), 2.0)}, fake.services(),
                        *QGuiApplication::clipboard());
    session.show();
    CaptureOverlay* overlay = session.overlays().front().get();
    fake.overlays = {overlay};
    Drag(overlay, QPoint(300, 200), QPoint(250, 150)); // drawn up and to the left
    const QRect selection(250, 150, 51, 51);
    QCOMPARE(session.model().editor().selection(), selection);

    QTest::mouseClick(overlay->saveButton(), Qt::LeftButton);
    QCOMPARE(session.model().result(), CaptureResult::Saved);
    QVERIFY(session.model().hasEnded());
    QCOMPARE(fake.proposals.size(), 1);
    QVERIFY(fake.proposals[0].endsWith(QStringLiteral(".png")));
    QVERIFY(!fake.overlayShownWhileAsking);
    QCOMPARE(QFileInfo(fake.proposals[0]).absolutePath(), QDir(PicturesFolder()).absolutePath());
    QVERIFY(fake.failures.isEmpty());

    QImageReader reader(folder_.filePath(written));
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(102, 102));
    QCOMPARE(image.convertToFormat(QImage::Format_RGB32),
             Expected(session.model().shots(), selection));
    // Saving does not touch the clipboard.
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before the capture"));
}

void CaptureSessionTest::saveDialogDismissedKeepsTheCaptureOpen() {
    FakeServices fake; // answers with an empty path
    CaptureView session({Shot(QRect(0, 0, 640, 480), 1.0)}, fake.services(),
                        *QGuiApplication::clipboard());
    session.show();
    CaptureOverlay* overlay = session.overlays().front().get();
    fake.overlays = {overlay};
    Drag(overlay, QPoint(10, 10), QPoint(50, 50));
    QTest::mouseClick(overlay->saveButton(), Qt::LeftButton);
    QCOMPARE(fake.proposals.size(), 1);
    // The overlay would hide the dialog; it is back once the dialog is gone.
    QVERIFY(!fake.overlayShownWhileAsking);
    QVERIFY(overlay->isVisible());
    QVERIFY(!session.model().hasEnded());
    QVERIFY(fake.failures.isEmpty());
    QVERIFY(overlay->toolbar()->isVisible());
    QCOMPARE(session.model().editor().selection(), QRect(10, 10, 41, 41));
    // The finish button still works afterwards.
    QTest::mouseClick(overlay->finishButton(), Qt::LeftButton);
    QCOMPARE(session.model().result(), CaptureResult::Finished);
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(41, 41));
}

void CaptureSessionTest::failedSaveIsReportedAndTheCaptureStaysOpen() {
    FakeServices fake;
    fake.answer = folder_.filePath(QStringLiteral("no such folder/shot.png"));
    CaptureView session({Shot(QRect(0, 0, 640, 480), 1.0)}, fake.services(),
                        *QGuiApplication::clipboard());
    session.show();
    CaptureOverlay* overlay = session.overlays().front().get();
    Drag(overlay, QPoint(10, 10), QPoint(50, 50));
    QTest::mouseClick(overlay->saveButton(), Qt::LeftButton);
    QCOMPARE(fake.failures.size(), 1);
    QVERIFY(!fake.failures[0].isEmpty());
    QVERIFY(!session.model().hasEnded());
    QVERIFY(!QFileInfo::exists(fake.answer));
    QVERIFY(overlay->isVisible());
}

void CaptureSessionTest::cancelLeavesNothing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape before selecting") << QStringLiteral("escape-empty");
    QTest::newRow("Escape with a selection") << QStringLiteral("escape");
    QTest::newRow("right click with a selection") << QStringLiteral("right");
    QTest::newRow("right click in the middle of a drag") << QStringLiteral("right-drag");
    QTest::newRow("window closed from outside") << QStringLiteral("close");
}

void CaptureSessionTest::cancelLeavesNothing() {
    QFETCH(QString, how);
    FakeServices fake;
    fake.answer = folder_.filePath(QStringLiteral("cancelled.png"));
    CaptureView session({Shot(QRect(0, 0, 640, 480), 1.0)}, fake.services(),
                        *QGuiApplication::clipboard());
    QSignalSpy ended(&session.model(), &CaptureModel::ended);
    session.show();
    CaptureOverlay* overlay = session.overlays().front().get();
    if (how != QStringLiteral("escape-empty") && how != QStringLiteral("right-drag"))
        Drag(overlay, QPoint(10, 10), QPoint(50, 50));
    if (how.startsWith(QStringLiteral("escape"))) {
        QTest::keyClick(overlay, Qt::Key_Escape);
    } else if (how == QStringLiteral("right")) {
        QTest::mouseClick(overlay, Qt::RightButton, {}, QPoint(20, 20));
    } else if (how == QStringLiteral("right-drag")) {
        QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(overlay, QPoint(60, 60));
        QTest::mousePress(overlay, Qt::RightButton, {}, QPoint(60, 60));
    } else {
        overlay->close();
    }
    QVERIFY(session.model().hasEnded());
    QCOMPARE(session.model().result(), CaptureResult::Cancelled);
    QCOMPARE(ended.size(), 1);
    QVERIFY(!overlay->isVisible());
    QVERIFY(fake.proposals.isEmpty());
    QVERIFY(!QFileInfo::exists(fake.answer));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before the capture"));
    QVERIFY(QGuiApplication::clipboard()->image().isNull());
    // Nothing after the end changes the outcome.
    session.model().finish();
    session.save();
    QCOMPARE(session.model().result(), CaptureResult::Cancelled);
    QCOMPARE(ended.size(), 1);
}

void CaptureSessionTest::nothingToSaveOrFinishWithoutASelection() {
    FakeServices fake;
    CaptureView session({Shot(QRect(0, 0, 640, 480), 1.0)}, fake.services(),
                        *QGuiApplication::clipboard());
    session.show();
    CaptureOverlay* overlay = session.overlays().front().get();
    QVERIFY(!overlay->toolbar()->isVisible());
    // A click is no selection.
    QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(!session.model().editor().hasSelection());
    session.save();
    session.model().finish();
    QVERIFY(!session.model().hasEnded());
    QVERIFY(fake.proposals.isEmpty());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before the capture"));
}

void CaptureSessionTest::toolbarFollowsTheSelection() {
    FakeServices fake;
    const QRect screen(0, 0, 1280, 480);
    CaptureView session({Shot(screen, 1.0)}, fake.services(), *QGuiApplication::clipboard());
    session.show();
    CaptureOverlay* overlay = session.overlays().front().get();
    CaptureToolbar* toolbar = overlay->toolbar();
    QCOMPARE(overlay->saveButton()->text(), QStringLiteral("保存"));
    QCOMPARE(overlay->finishButton()->text(), QStringLiteral("✔"));
    QVERIFY(!overlay->finishButton()->icon().isNull());

    QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(900, 100));
    QTest::mouseMove(overlay, QPoint(1100, 200));
    QVERIFY(!toolbar->isVisible()); // not while drawing
    QTest::mouseRelease(overlay, Qt::LeftButton, {}, QPoint(1100, 200));
    QVERIFY(toolbar->isVisible());
    QVERIFY(toolbar->geometry().top() > 200);
    QCOMPARE(toolbar->geometry().right(), 1100);

    // Moved to the bottom of the screen: the toolbar goes above it.
    QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(950, 150));
    QTest::mouseMove(overlay, QPoint(950, 900));
    QTest::mouseRelease(overlay, Qt::LeftButton, {}, QPoint(950, 900));
    QCOMPARE(session.model().editor().selection(), QRect(900, 379, 201, 101));
    QVERIFY(toolbar->isVisible());
    QVERIFY(toolbar->geometry().bottom() < 379);
    QVERIFY(screen.contains(toolbar->geometry()));
}

void CaptureSessionTest::selectionAcrossTwoScreens() {
    FakeServices fake;
    const std::vector<ScreenShot> shots{Shot(QRect(0, 0, 320, 240), 1.0),
                                        Shot(QRect(320, 0, 320, 240), 1.0)};
    CaptureView session(shots, fake.services(), *QGuiApplication::clipboard());
    session.show();
    CaptureOverlay* left = session.overlays()[0].get();
    CaptureOverlay* right = session.overlays()[1].get();
    // The pointer leaves the left overlay; it keeps the mouse while dragging.
    Drag(left, QPoint(300, 50), QPoint(339, 99));
    QCOMPARE(session.model().editor().selection(), QRect(300, 50, 40, 50));
    QVERIFY(!left->toolbar()->isVisible());
    QVERIFY(right->toolbar()->isVisible());
    QVERIFY(right->rect().contains(right->toolbar()->geometry()));

    QTest::mouseClick(right->finishButton(), Qt::LeftButton);
    const QImage copied = QGuiApplication::clipboard()->image();
    QCOMPARE(copied.size(), QSize(40, 50));
    QCOMPARE(copied.convertToFormat(QImage::Format_RGB32), Expected(shots, QRect(300, 50, 40, 50)));
    // The seam: the last column of the left screen, then the first of the right.
    QCOMPARE(copied.pixel(19, 0), shots[0].pixmap.toImage().pixel(319, 50));
    QCOMPARE(copied.pixel(20, 0), shots[1].pixmap.toImage().pixel(0, 50));
}

void CaptureSessionTest::ctrlATakesTheScreenUnderThePointer() {
    FakeServices fake;
    const QRect right(320, 0, 400, 300);
    CaptureView session({Shot(QRect(0, 0, 320, 240), 1.0), Shot(right, 2.0)}, fake.services(),
                        *QGuiApplication::clipboard());
    session.show();
    CaptureOverlay* overlay = session.overlays()[1].get();
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 50), overlay->mapToGlobal(QPointF(50, 50)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(overlay, &move);
    QTest::keyClick(overlay, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(session.model().editor().selection(), right);
    QTest::keyClick(overlay, Qt::Key_Return);
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(800, 600));
    QCOMPARE(session.model().selectionToRemember(), right);
}

void CaptureSessionTest::execReturnsWhenTheCaptureIsOver() {
    FakeServices fake;
    CaptureView session({Shot(QRect(0, 0, 640, 480), 1.0)}, fake.services(),
                        *QGuiApplication::clipboard());
    QTimer::singleShot(20, &session, [&session] {
        QTest::keyClick(session.overlays().front().get(), Qt::Key_Escape);
    });
    QCOMPARE(session.exec(), CaptureResult::Cancelled);
}

void CaptureSessionTest::keyboardHeldOnceOnScreenBeforeAnyPaint() {
    FakeServices fake;
    CaptureView session({Shot(QRect(0, 0, 640, 480), 1.0)}, fake.services(),
                        *QGuiApplication::clipboard());
    CaptureOverlay* overlay = session.overlays().front().get();
    PaintBlocker blocker;
    overlay->installEventFilter(&blocker);
    session.show();
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    QTRY_COMPARE(QWidget::keyboardGrabber(), overlay);
    session.model().cancel();
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
}

void CaptureSessionTest::failureInInputEndsTheCapture() {
    // Nothing may be thrown through Qt's event loop, least of all the
    // capture's own nested one: whatever input sets off and fails ends the
    // capture as failed.
    FakeServices fake;
    CaptureView session({Shot(QRect(0, 0, 640, 480), 1.0)}, fake.services(),
                        *QGuiApplication::clipboard());
    connect(&session.model(), &CaptureModel::stateChanged, &session.model(),
            [] { throw std::bad_alloc(); });
    QTimer::singleShot(20, &session, [&session] {
        QTest::mousePress(session.overlays().front().get(), Qt::LeftButton, {}, QPoint(10, 10));
    });
    QTest::ignoreMessage(QtWarningMsg, "the capture failed while handling input");
    QCOMPARE(session.exec(), CaptureResult::Failed);
    QVERIFY(!session.overlays().front()->isVisible());
}

QTEST_MAIN(CaptureSessionTest)
#include "tst_capture_session.moc"
