#include "CameraDll/grab/grabber_choice.h"

#include <QTest>

using namespace camera;

Q_DECLARE_METATYPE(camera::GrabberKind)

class GrabberChoiceTest : public QObject {
    Q_OBJECT
private slots:
    void choose_data();
    void choose();
};

void GrabberChoiceTest::choose_data() {
    QTest::addColumn<QString>("forced");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<bool>("waylandDisplay");
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<bool>("screencopy");
    QTest::addColumn<GrabberKind>("kind");
    QTest::addColumn<bool>("asksScreencopy");

    QTest::newRow("X11") << ""
                         << "xcb" << false << "" << true << GrabberKind::X11 << false;
    QTest::newRow("wlroots compositor")
        << ""
        << "wayland" << true << "" << true << GrabberKind::Screencopy << true;
    QTest::newRow("GNOME or KDE") << ""
                                  << "wayland" << true << "" << false << GrabberKind::Portal
                                  << true;
    QTest::newRow("wayland-egl plugin name")
        << ""
        << "wayland-egl" << true << "" << false << GrabberKind::Portal << true;
    // XWayland shows X11 clients black where Wayland windows are.
    QTest::newRow("XWayland in a wlroots session")
        << ""
        << "xcb" << true << "" << true << GrabberKind::Screencopy << true;
    QTest::newRow("XWayland elsewhere")
        << ""
        << "xcb" << true << "" << false << GrabberKind::Portal << true;
    QTest::newRow("offscreen") << ""
                               << "offscreen" << false << "" << true << GrabberKind::Qt << false;
    QTest::newRow("Windows") << ""
                             << "windows" << false << "" << false << GrabberKind::Qt << false;
    QTest::newRow("KDE Plasma on Wayland")
        << ""
        << "wayland" << true << "KDE" << false << GrabberKind::KWin << false;
    QTest::newRow("KDE among several desktop names")
        << ""
        << "wayland" << true << "foo:kde" << false << GrabberKind::KWin << false;
    QTest::newRow("XWayland on KDE Plasma")
        << ""
        << "xcb" << true << "KDE" << false << GrabberKind::KWin << false;
    QTest::newRow("KDE Plasma on X11")
        << ""
        << "xcb" << false << "KDE" << false << GrabberKind::X11 << false;
    QTest::newRow("GNOME on Wayland")
        << ""
        << "wayland" << true << "ubuntu:GNOME" << false << GrabberKind::Portal << true;
    QTest::newRow("forced kwin elsewhere")
        << "kwin"
        << "wayland" << true << "sway" << true << GrabberKind::KWin << false;
    QTest::newRow("forced portal on KDE")
        << "portal"
        << "wayland" << true << "KDE" << false << GrabberKind::Portal << false;
    QTest::newRow("forced portal on X11")
        << "portal"
        << "xcb" << false << "" << true << GrabberKind::Portal << false;
    QTest::newRow("forced, any case and spaces")
        << " Screencopy "
        << "xcb" << false << "" << false << GrabberKind::Screencopy << false;
    QTest::newRow("forced qt on Wayland")
        << "qt"
        << "wayland" << true << "" << true << GrabberKind::Qt << false;
    QTest::newRow("unknown name is ignored")
        << "grim"
        << "wayland" << true << "" << true << GrabberKind::Screencopy << true;
}

void GrabberChoiceTest::choose() {
    QFETCH(QString, forced);
    QFETCH(QString, platform);
    QFETCH(bool, waylandDisplay);
    QFETCH(QString, desktop);
    QFETCH(bool, screencopy);
    QFETCH(GrabberKind, kind);
    QFETCH(bool, asksScreencopy);
    if (forced == QLatin1String("grim"))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("names no capture backend"));
    // Asking means connecting to the compositor: only when it decides.
    bool asked = false;
    QCOMPARE(ChooseGrabberKind(forced, platform, waylandDisplay, desktop,
                               [&] {
                                   asked = true;
                                   return screencopy;
                               }),
             kind);
    QCOMPARE(asked, asksScreencopy);
}

QTEST_APPLESS_MAIN(GrabberChoiceTest)
#include "tst_grabber_choice.moc"
