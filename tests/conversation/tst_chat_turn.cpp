#include "chat/chat_turn_adapter.h"
#include "recording_platform.h"

#include <QTest>

using namespace quobel;
using quobel::testing::RecordingPlatform;

class ChatTurnTest : public QObject {
    Q_OBJECT
private slots:
    void boxes_data();
    void boxes();
    void missingCaptureLibraryStopsAfterTheReminder();
    void sameTextTwiceGivesTheSameBoxesTwice();
};

namespace {
const QString kError =
    RecordingPlatform::Message(QStringLiteral("请输入对话内容！！！"), QStringLiteral("错误"));
const QString kReminder = RecordingPlatform::Message(
    QStringLiteral("请截完图后按保存键，不要按完成键（图形是勾）！！！"), QStringLiteral("提醒"));
QString Dialogue(const char16_t* text) {
    return RecordingPlatform::Message(QString::fromUtf16(text), QStringLiteral("对话"));
}
} // namespace

void ChatTurnTest::boxes_data() {
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<QStringList>("operations");

    QTest::newRow("empty box") << QString() << QStringList{kError};
    QTest::newRow("initial text") << QStringLiteral("Text1") << QStringList{kError};
    QTest::newRow("lower-case text1") << QStringLiteral("text1") << QStringList{};
    QTest::newRow("matches nothing") << QStringLiteral("晚上吃什么") << QStringList{};
    QTest::newRow("two replies in table order")
        << QStringLiteral("你好臭屁")
        << QStringList{Dialogue(u"对，你好臭屁！！！"), Dialogue(u"你也好啊！！！")};
    QTest::newRow("capture after its reminder")
        << QStringLiteral("截图") << QStringList{kReminder, QStringLiteral("CameraSubArea(0)")};
    QTest::newRow("capture is always last")
        << QStringLiteral("截图，你是谁，设置")
        << QStringList{Dialogue(u"我是qor写的人见人爱的机器人啊！！！"),
                       Dialogue(u"什么，你要改写我，我打你的哦！！！"), kReminder,
                       QStringLiteral("CameraSubArea(0)")};
    QTest::newRow("greeting then capture")
        << QStringLiteral("你好，截图")
        << QStringList{Dialogue(u"你也好啊！！！"), kReminder, QStringLiteral("CameraSubArea(0)")};
}

void ChatTurnTest::boxes() {
    QFETCH(QString, sentence);
    QFETCH(QStringList, operations);
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    RunPlatformChatTurn(sentence);
    QCOMPARE(recorder.log, operations);
}

void ChatTurnTest::missingCaptureLibraryStopsAfterTheReminder() {
    RecordingPlatform recorder;
    recorder.captureFails = true;
    PlatformScope scope(recorder);
    QVERIFY_THROWS_EXCEPTION(PlatformError, RunPlatformChatTurn(QStringLiteral("你好截图")));
    QCOMPARE(recorder.log, (QStringList{Dialogue(u"你也好啊！！！"), kReminder,
                                        QStringLiteral("CameraSubArea(0)")}));
}

void ChatTurnTest::sameTextTwiceGivesTheSameBoxesTwice() {
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    RunPlatformChatTurn(QStringLiteral("妈的B"));
    const QStringList once = recorder.log;
    QCOMPARE(once.size(), 2);
    RunPlatformChatTurn(QStringLiteral("妈的B"));
    QCOMPARE(recorder.log, once + once);
}

QTEST_APPLESS_MAIN(ChatTurnTest)
#include "tst_chat_turn.moc"
