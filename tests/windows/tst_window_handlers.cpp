// What each window does when it loads and when its buttons and menu are
// used, read back from the recording platform in order.

#include "chat/chat_window.h"
#include "chat/transfer_control.h"
#include "layouts/form_builder.h"
#include "log_lines.h"
#include "window_fixtures.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace quobel;
using namespace quobel::testing;

namespace {

const QString kNoIcon = QStringLiteral("ErrorReport(\"no icon\")");
const QString kNoCapture = QStringLiteral("ErrorReport(\"no capture library\")");
const QString kFetchFailed = QStringLiteral("ErrorReport(\"fetch failed\")");
const QString kEnd = QStringLiteral("EndProgram(0)");
const QString kEndAfterError = QStringLiteral("EndProgram(1)");
const QString kCapture = QStringLiteral("CameraSubArea(0)");

QString Minimise(const QString& form) {
    return Op("Minimise", form);
}

} // namespace

class WindowHandlersTest : public QObject {
    Q_OBJECT
private slots:
    void loadSequence_data();
    void loadSequence();
    void chatLoadShowsTheWelcomeWhileHidden_data();
    void chatLoadShowsTheWelcomeWhileHidden();

    void handler_data();
    void handler();
    void buttonsRunTheirOwnHandlers_data();
    void buttonsRunTheirOwnHandlers();
    void refusedExitLeavesTheWindowUsable_data();
    void refusedExitLeavesTheWindowUsable();
    void failedCaptureKeepsTheProgramRunning_data();
    void failedCaptureKeepsTheProgramRunning();
    void chatWindowsLackTheBlogButtonsOnlyWithoutAdvertisements();
};

void WindowHandlersTest::loadSequence_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<bool>("anotherInstance");
    QTest::addColumn<bool>("iconFails");
    QTest::addColumn<QStringList>("operations");

    QTest::newRow("Form1") << "Form1" << false << false << Form1Load();
    QTest::newRow("Form1, second instance")
        << "Form1" << true << false
        << QStringList{"PreviousInstanceRunning()", Box(QStringLiteral("本程序已运行！！！")),
                       kEnd};
    QTest::newRow("Form1, second instance and no icon")
        << "Form1" << true << true
        << QStringList{"PreviousInstanceRunning()", Box(QStringLiteral("本程序已运行！！！")),
                       kEnd};
    QTest::newRow("Form1, no icon: the notice comes first")
        << "Form1" << false << true
        << QStringList{"PreviousInstanceRunning()", NoticeBox(), Op("LoadProgramIcon", "Form1"),
                       kNoIcon, kEndAfterError};
    QTest::newRow("Form2") << "Form2" << false << false << Form2Load();
    QTest::newRow("Form2, no icon")
        << "Form2" << false << true
        << QStringList{Op("LoadProgramIcon", "Form2"), kNoIcon, kEndAfterError};
    QTest::newRow("Form5") << "Form5" << false << false << Form5Load();
    QTest::newRow("Form5, no icon")
        << "Form5" << false << true
        << QStringList{Op("LoadProgramIcon", "Form5"), kNoIcon, kEndAfterError};
    QTest::newRow("Form3") << "Form3" << false << false << Form3Load();
    QTest::newRow("Form3, no icon: the start window stays")
        << "Form3" << false << true
        << QStringList{Op("LoadProgramIcon", "Form3"), kNoIcon, kEndAfterError};
    // The chat windows and the confirmation window never ask the guard.
    QTest::newRow("Form5 with another instance about") << "Form5" << true << false << Form5Load();
}

void WindowHandlersTest::loadSequence() {
    QFETCH(QString, form);
    QFETCH(bool, anotherInstance);
    QFETCH(bool, iconFails);
    QFETCH(QStringList, operations);
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    recorder.anotherInstance = anotherInstance;
    recorder.iconFails = iconFails;
    const auto window = MakeWindow(FormIdFromName(form));
    QVERIFY(RunNamedHandler(*window, QStringLiteral("Form_Load")));
    QCOMPARE(recorder.log, operations);
    QVERIFY(!window->isVisible());

    const bool guardFired = anotherInstance && form == QLatin1String("Form1");
    const bool completed = !guardFired && !iconFails;
    QCOMPARE(window->windowTitle() == kCaption, completed);
    // A completed load leaves no designed caption on any button or label.
    for (const auto* button : window->findChildren<QPushButton*>())
        QCOMPARE(button->text() == button->objectName(), !completed);
    for (const auto* label : window->findChildren<QLabel*>())
        QCOMPARE(label->text() == label->objectName(), !completed);
    // The text box keeps its designed text.
    for (const auto* edit : window->findChildren<QLineEdit*>())
        QCOMPARE(edit->text(), QStringLiteral("Text1"));
}

void WindowHandlersTest::chatLoadShowsTheWelcomeWhileHidden_data() {
    QTest::addColumn<QString>("form");
    QTest::newRow("Form2") << "Form2";
    QTest::newRow("Form5") << "Form5";
}

void WindowHandlersTest::chatLoadShowsTheWelcomeWhileHidden() {
    QFETCH(QString, form);
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    const auto window = MakeWindow(FormIdFromName(form));
    int boxes = 0;
    recorder.onShowMessage = [&](const QString& text) {
        ++boxes;
        QCOMPARE(text, kWelcome);
        QVERIFY(!window->isVisible());
        // Every text is in place by the time the user is greeted.
        QCOMPARE(FindControl(*window, u"Command11")->property("text").toString(),
                 QStringLiteral("截图（不最小化窗口）"));
    };
    RunNamedHandler(*window, QStringLiteral("Form_Load"));
    QCOMPARE(boxes, 1);
}

void WindowHandlersTest::handler_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("fetchAnswers");
    QTest::addColumn<bool>("captureFails");
    QTest::addColumn<QStringList>("operations");

    const QString none;
    const QStringList noAnswers;
    const auto Row = [](const char* name) -> QTestData& { return QTest::newRow(name); };

    Row("Form1 advertised edition") << "Form1"
                                    << "Command1_Click" << none << noAnswers << false
                                    << QStringList{"LoadForm(Form2)", "ShowForm(Form2)"};
    Row("Form1 plain edition") << "Form1"
                               << "Command2_Click" << none << noAnswers << false
                               << QStringList{"LoadForm(Form3)", "ShowForm(Form3)"};
    Row("Form1 icon tool") << "Form1"
                           << "Command3_Click" << none << noAnswers << false
                           << QStringList{Link(IconToolLink)};
    Row("Form1 bug forum") << "Form1"
                           << "Command4_Click" << none << noAnswers << false
                           << QStringList{Link(BugForumLink)};
    Row("Form3 confirm") << "Form3"
                         << "Command1_Click" << none << noAnswers << false
                         << QStringList{"LoadForm(Form5)", "ShowForm(Form5)", "UnloadForm(Form3)"};
    Row("Form3 back") << "Form3"
                      << "Command2_Click" << none << noAnswers << false
                      << QStringList{"LoadForm(Form1)", "ShowForm(Form1)", "UnloadForm(Form3)"};

    Row("Form2 about") << "Form2"
                       << "Command1_Click" << none << noAnswers << false
                       << QStringList{Box(QStringLiteral("qor第9981次无聊出品！！！")),
                                      Link(BlogLinkA), Link(BlogLinkB)};
    Row("Form5 about: one mark, blogs all the same")
        << "Form5"
        << "Command1_Click" << none << noAnswers << false
        << QStringList{Box(QStringLiteral("qor第9981次无聊出品！")), Link(BlogLinkA),
                       Link(BlogLinkB)};
    Row("Form2 exit refuses") << "Form2"
                              << "Command2_Click" << none << noAnswers << false
                              << QStringList{Box(QStringLiteral("别想退出！！！"))};
    Row("Form5 exit refuses") << "Form5"
                              << "Command2_Click" << none << noAnswers << false
                              << QStringList{Box(QStringLiteral("别想退出！！！"))};
    Row("Form2 real exit opens both blogs first")
        << "Form2"
        << "Command3_Click" << none << noAnswers << false
        << QStringList{Link(BlogLinkA), Link(BlogLinkB), kEnd};
    Row("Form5 real exit at once")
        << "Form5"
        << "Command3_Click" << none << noAnswers << false << QStringList{kEnd};

    for (const char* form : {"Form2", "Form5"}) {
        const QString f = QString::fromLatin1(form);
        QTest::addRow("%s confirm with the designed text", form)
            << f << "Command4_Click"
            << "Text1" << noAnswers << false
            << QStringList{Box(QStringLiteral("请输入对话内容！！！"), QStringLiteral("错误"))};
        QTest::addRow("%s confirm with an empty box", form)
            << f << "Command4_Click"
            << "" << noAnswers << false
            << QStringList{Box(QStringLiteral("请输入对话内容！！！"), QStringLiteral("错误"))};
        QTest::addRow("%s confirm with a greeting", form)
            << f << "Command4_Click"
            << "你好" << noAnswers << false
            << QStringList{Box(QStringLiteral("你也好啊！！！"), QStringLiteral("对话"))};
        QTest::addRow("%s phrase list", form) << f << "Command5_Click" << none << noAnswers << false
                                              << QStringList{Link(PhraseListLink)};
        QTest::addRow("%s usage", form)
            << f << "Command6_Click" << none << noAnswers << false
            << QStringList{Box(
                   QStringLiteral(
                       "首先打开软件，有小q码点无广告版（目前免费进入），没有的点免费版，进入后在"
                       "文本框里输入支持的用语并按确定，就会弹出窗口回答你哦！！！但如果按确定后"
                       "没反应，可能是你输入了不支持的用语，请不要灰心（谁会灰心啊），查看机器人"
                       "支持用语，没有请点击下载机器人支持用语键下载，查看后再输入！！！By：qor"),
                   QStringLiteral("使用说明"))};
        QTest::addRow("%s update found", form)
            << f << "Command7_Click" << none << QStringList{"HTTP/1.1 404 Not Found\r\n\r\n"}
            << false
            << QStringList{Op("FetchPage", UpdateProbeLink),
                           Box(QStringLiteral("啊哈，发现更新了哦，请马上更新！！！"),
                               QStringLiteral("提示")),
                           Link(BlogLinkA), Link(UpdateForumLink)};
        QTest::addRow("%s update check without network", form)
            << f << "Command7_Click" << none << noAnswers << false
            << QStringList{Op("FetchPage", UpdateProbeLink), kFetchFailed};
        QTest::addRow("%s capture after minimising", form)
            << f << "Command10_Click" << none << noAnswers << false
            << QStringList{Minimise(f), kCapture};
        QTest::addRow("%s capture as it is", form)
            << f << "Command11_Click" << none << noAnswers << false << QStringList{kCapture};
        QTest::addRow("%s menu item captures like Command10", form)
            << f << "qory_Click" << none << noAnswers << false
            << QStringList{Minimise(f), kCapture};
        QTest::addRow("%s capture library missing after minimising", form)
            << f << "Command10_Click" << none << noAnswers << true
            << QStringList{Minimise(f), kCapture, kNoCapture};
        QTest::addRow("%s capture library missing", form)
            << f << "Command11_Click" << none << noAnswers << true
            << QStringList{kCapture, kNoCapture};
    }
    Row("Form2 first blog") << "Form2"
                            << "Command8_Click" << none << noAnswers << false
                            << QStringList{Link(BlogLinkA)};
    Row("Form2 second blog") << "Form2"
                             << "Command9_Click" << none << noAnswers << false
                             << QStringList{Link(BlogLinkB)};
}

void WindowHandlersTest::handler() {
    QFETCH(QString, form);
    QFETCH(QString, handler);
    QFETCH(QString, input);
    QFETCH(QStringList, fetchAnswers);
    QFETCH(bool, captureFails);
    QFETCH(QStringList, operations);
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    recorder.fetchAnswers = fetchAnswers;
    recorder.captureFails = captureFails;
    const auto window = MakeWindow(FormIdFromName(form));
    if (!input.isNull())
        qobject_cast<QLineEdit*>(FindControl(*window, u"Text1"))->setText(input);
    QVERIFY(RunNamedHandler(*window, handler));
    QCOMPARE(recorder.log, operations);
    QCOMPARE(window->isMinimized(), operations.contains(Minimise(form)));
    // The sentence stays in the box after the turn.
    if (!input.isNull())
        QCOMPARE(qobject_cast<QLineEdit*>(FindControl(*window, u"Text1"))->text(), input);
}

void WindowHandlersTest::buttonsRunTheirOwnHandlers_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("control");
    for (const char* form : {"Form1", "Form2", "Form3", "Form5"}) {
        const auto window = MakeWindow(FormIdFromName(QString::fromLatin1(form)));
        for (const auto* button : window->findChildren<QPushButton*>())
            QTest::addRow("%s.%s", form, qPrintable(button->objectName()))
                << QString::fromLatin1(form) << button->objectName();
        if (FindMenuItem(*window, u"qory"))
            QTest::addRow("%s.qory", form) << QString::fromLatin1(form) << "qory";
    }
}

// A click or a menu choice runs the handler of that very control, once,
// with failures handled on the way out.
void WindowHandlersTest::buttonsRunTheirOwnHandlers() {
    QFETCH(QString, form);
    QFETCH(QString, control);
    const FormId id = FormIdFromName(form);

    RecordingPlatform direct;
    {
        PlatformScope scope(direct);
        const auto window = MakeWindow(id);
        QVERIFY(RunNamedHandler(*window, control + QStringLiteral("_Click")));
    }
    QVERIFY(!direct.log.isEmpty());

    RecordingPlatform clicked;
    PlatformScope scope(clicked);
    const auto window = MakeWindow(id);
    if (control == QLatin1String("qory"))
        FindMenuItem(*window, control)->trigger();
    else
        qobject_cast<QPushButton*>(FindControl(*window, control))->click();
    QCOMPARE(clicked.log, direct.log);
}

void WindowHandlersTest::refusedExitLeavesTheWindowUsable_data() {
    QTest::addColumn<QString>("form");
    QTest::newRow("Form2") << "Form2";
    QTest::newRow("Form5") << "Form5";
}

void WindowHandlersTest::refusedExitLeavesTheWindowUsable() {
    QFETCH(QString, form);
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    const auto window = MakeWindow(FormIdFromName(form));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* exit = qobject_cast<QPushButton*>(FindControl(*window, u"Command2"));
    QTest::mouseClick(exit, Qt::LeftButton);
    QTest::mouseClick(exit, Qt::LeftButton);
    QCOMPARE(recorder.log, QStringList(2, Box(QStringLiteral("别想退出！！！"))));
    QVERIFY(window->isVisible());
    QVERIFY(exit->isEnabled());
    QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(*window, u"Command5")),
                      Qt::LeftButton);
    QCOMPARE(recorder.log.last(), Link(PhraseListLink));
}

void WindowHandlersTest::failedCaptureKeepsTheProgramRunning_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("trigger");
    for (const char* form : {"Form2", "Form5"}) {
        QTest::addRow("%s Command10", form) << form << "Command10";
        QTest::addRow("%s Command11", form) << form << "Command11";
        QTest::addRow("%s Ctrl+D", form) << form << "Ctrl+D";
    }
}

// Without the capture library each attempt reports and the window goes on;
// the next attempt tries again.
void WindowHandlersTest::failedCaptureKeepsTheProgramRunning() {
    QFETCH(QString, form);
    QFETCH(QString, trigger);
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    recorder.captureFails = true;
    const auto window = MakeWindow(FormIdFromName(form));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (trigger == QLatin1String("Ctrl+D"))
            QTest::keyClick(window.get(), Qt::Key_D, Qt::ControlModifier);
        else
            qobject_cast<QPushButton*>(FindControl(*window, trigger))->click();
    }
    const QStringList once = trigger == QLatin1String("Command11")
                                 ? QStringList{kCapture, kNoCapture}
                                 : QStringList{Minimise(form), kCapture, kNoCapture};
    QCOMPARE(recorder.log, once + once);
    QVERIFY(!recorder.log.contains(kEnd));
    QVERIFY(!recorder.log.contains(kEndAfterError));
}

void WindowHandlersTest::chatWindowsLackTheBlogButtonsOnlyWithoutAdvertisements() {
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    ChatWindow advertised(FormId::Form2);
    ChatWindow plain(FormId::Form5);
    for (const char16_t* name : {u"Command8", u"Command9", u"Label5", u"Label6"}) {
        QVERIFY(FindControl(advertised, QStringView(name)));
        QVERIFY(!FindControl(plain, QStringView(name)));
    }
    QVERIFY(advertised.Inet1);
    QVERIFY(plain.Inet1);
    QCOMPARE(advertised.Inet1->objectName(), QStringLiteral("Inet1"));
    QCOMPARE(advertised.Inet1->parent(), &advertised);
}

QTEST_MAIN(WindowHandlersTest)
#include "tst_window_handlers.moc"
