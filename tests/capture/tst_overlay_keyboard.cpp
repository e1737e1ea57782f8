// The overlay's keyboard grab on a private Xvfb (on-private-x.sh), while
// another X client holds the keyboard: the grab is asked for again once, and
// a second refusal is said in the log.

#include "CameraDll/ui/capture_overlay.h"
#include "CameraDll/ui/capture_view.h"
#include "tests/capture/session_fakes.h"

#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>

using namespace camera;
using namespace camera::testing;

namespace {

// Another program's hold on the keyboard, on a connection of its own.
class OtherClientGrab {
public:
    OtherClientGrab() : connection_(xcb_connect(nullptr, nullptr)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        xcb_grab_keyboard_reply_t* reply =
            xcb_grab_keyboard_reply(connection_,
                                    xcb_grab_keyboard(connection_, 1, root, XCB_CURRENT_TIME,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                    nullptr);
        held_ = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
    }
    ~OtherClientGrab() { xcb_disconnect(connection_); }
    OtherClientGrab(const OtherClientGrab&) = delete;
    OtherClientGrab& operator=(const OtherClientGrab&) = delete;

    bool held() const { return held_; }
    void release() {
        xcb_ungrab_keyboard(connection_, XCB_CURRENT_TIME);
        xcb_flush(connection_);
    }

private:
    xcb_connection_t* connection_;
    bool held_ = false;
};

std::vector<ScreenShot> ScreenOfThisDisplay() {
    return {Shot(QGuiApplication::primaryScreen()->geometry(), 1.0)};
}

} // namespace

class OverlayKeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void grabRetriedOnceTheOtherLetsGo();
    void secondRefusalIsLogged();
};

void OverlayKeyboardTest::initTestCase() {
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "needs an X display");
}

void OverlayKeyboardTest::grabRetriedOnceTheOtherLetsGo() {
    OtherClientGrab other;
    QVERIFY(other.held());
    FakeServices fake;
    CaptureView view(ScreenOfThisDisplay(), fake.services(), *QGuiApplication::clipboard());
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(view.overlays().front().get()));
    // Refused on screen; let go before the retry, as a menu closing a moment
    // later would.
    other.release();
    QTest::failOnWarning(QRegularExpression(QStringLiteral("refused the keyboard")));
    QTest::qWait(300);
    // Held now: a second client cannot take the keyboard.
    OtherClientGrab late;
    QVERIFY(!late.held());
}

void OverlayKeyboardTest::secondRefusalIsLogged() {
    OtherClientGrab other;
    QVERIFY(other.held());
    FakeServices fake;
    CaptureView view(ScreenOfThisDisplay(), fake.services(), *QGuiApplication::clipboard());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("refused the keyboard")));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(view.overlays().front().get()));
    QTest::qWait(300);
}

QTEST_MAIN(OverlayKeyboardTest)
#include "tst_overlay_keyboard.moc"
