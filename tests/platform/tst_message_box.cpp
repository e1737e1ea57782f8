#include "platform/message_box.h"
#include "platform/qt_platform.h"
#include "platform/run_handler.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProxyStyle>
#include <QTest>
#include <QTimer>

using namespace quobel;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    qint64 okIconKey = 0;
};

// Looks at the box once it is up, notes what it shows, and dismisses it with
// its OK button the way a user would.
void DismissNextBox(QList<SeenBox>& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            DismissNextBox(seen);
            return;
        }
        SeenBox s{box->windowTitle(),
                  box->text(),
                  box->icon(),
                  {},
                  box->button(QMessageBox::Ok)->icon().cacheKey()};
        for (QAbstractButton* button : box->buttons())
            s.buttons << button->text();
        seen << s;
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
}

} // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT
private slots:
    void showMessage_data();
    void showMessage();
    void errorReportCarriesTheApplicationTitle();
    void boxesShareOneButtonIcon();
    void endProgramInsideABoxEndsEverything();
};

void MessageBoxTest::showMessage_data() {
    QTest::addColumn<std::optional<QString>>("title");
    QTest::addColumn<QString>("shownTitle");
    QTest::newRow("no title") << std::optional<QString>() << QStringLiteral("QuobelV3.2.5");
    QTest::newRow("own title") << std::optional<QString>(QStringLiteral("对话"))
                               << QStringLiteral("对话");
}

void MessageBoxTest::showMessage() {
    QFETCH(std::optional<QString>, title);
    QFETCH(QString, shownTitle);
    QtPlatform platform;
    PlatformScope scope(platform);
    QList<SeenBox> seen;
    DismissNextBox(seen);
    // Angle brackets must come out as typed, never as markup.
    ShowMessage(QStringLiteral("你也好啊！！！<b>x</b>"), title);
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].title, shownTitle);
    QCOMPARE(seen[0].text, QStringLiteral("你也好啊！！！<b>x</b>"));
    QCOMPARE(seen[0].icon, QMessageBox::NoIcon);
    QCOMPARE(seen[0].buttons.size(), 1);
}

void MessageBoxTest::errorReportCarriesTheApplicationTitle() {
    QtPlatform platform;
    PlatformScope scope(platform);
    QList<SeenBox> seen;
    DismissNextBox(seen);
    RunHandler([] {
        throw PlatformError(QStringLiteral("无法使用截图库"),
                            PlatformError::Severity::StopsHandler);
    });
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].title, QStringLiteral("QuobelV3.2.5"));
    QCOMPARE(seen[0].text, QStringLiteral("无法使用截图库"));
    QCOMPARE(seen[0].buttons.size(), 1);
    // A handler-stopping failure leaves the program running.
    QVERIFY(!platform.ended());
}

namespace {
// Counts message boxes that actually appear on screen.
class BoxCounter : public QObject {
public:
    int shown = 0;
    BoxCounter() { qApp->installEventFilter(this); }
    ~BoxCounter() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QMessageBox*>(watched))
            ++shown;
        return false;
    }
};
} // namespace

void MessageBoxTest::endProgramInsideABoxEndsEverything() {
    QtPlatform platform;
    PlatformScope scope(platform);
    BoxCounter boxes;
    bool handlerReachedItsEnd = false;
    QTimer::singleShot(0, [&] {
        RunHandler([&] {
            // While the first box's event loop runs, another handler ends the
            // program.
            QTimer::singleShot(0, [] { RunHandler([] { EndProgram(); }); });
            ShowMessage(QStringLiteral("first"));
            ShowMessage(QStringLiteral("second"));
            handlerReachedItsEnd = true;
        });
    });
    // Only if something is left hanging does this fire.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(platform.ended());
    QVERIFY(handlerReachedItsEnd);
    QCOMPARE(boxes.shown, 1);
    QVERIFY(!QApplication::activeModalWidget());
}

// Qt keeps a painted copy of every new button icon in its pixmap cache, so a
// new icon per box makes the program grow with every reply (see
// bench/boxes).
void MessageBoxTest::boxesShareOneButtonIcon() {
    // As on a desktop: offscreen puts no icons on dialog buttons.
    class ButtonsWithIcons : public QProxyStyle {
    public:
        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                      QStyleHintReturn* data) const override {
            return hint == SH_DialogButtonBox_ButtonsHaveIcons
                       ? 1
                       : QProxyStyle::styleHint(hint, option, widget, data);
        }
    };
    QApplication::setStyle(new ButtonsWithIcons);
    QtPlatform platform;
    PlatformScope scope(platform);
    QList<SeenBox> seen;
    for (int i = 0; i < 3; ++i) {
        DismissNextBox(seen);
        ShowMessage(QStringLiteral("你也好啊！！！"), QStringLiteral("对话"));
    }
    DismissNextBox(seen);
    RunHandler([] {
        throw PlatformError(QStringLiteral("无法使用截图库"),
                            PlatformError::Severity::StopsHandler);
    });
    QCOMPARE(seen.size(), 4);
    QVERIFY(seen[0].okIconKey != 0);
    for (const SeenBox& box : seen)
        QCOMPARE(box.okIconKey, seen[0].okIconKey);
}

QTEST_MAIN(MessageBoxTest)
#include "tst_message_box.moc"
