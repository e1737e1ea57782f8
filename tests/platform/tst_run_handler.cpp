#include "platform/message_box.h"
#include "platform/run_handler.h"
#include "recording_platform.h"

#include <QTest>

using namespace quobel;
using quobel::testing::RecordingPlatform;

class RunHandlerTest : public QObject {
    Q_OBJECT
private slots:
    void failures_data();
    void failures();
    void nothingRunsAfterEndProgram();
};

void RunHandlerTest::failures_data() {
    QTest::addColumn<int>("severity");
    QTest::addColumn<QStringList>("operations");
    QTest::newRow("stops the handler")
        << int(PlatformError::Severity::StopsHandler)
        << QStringList{RecordingPlatform::Message(QStringLiteral("before")),
                       QStringLiteral("ErrorReport(\"broken\")")};
    QTest::newRow("ends the program")
        << int(PlatformError::Severity::EndsProgram)
        << QStringList{RecordingPlatform::Message(QStringLiteral("before")),
                       QStringLiteral("ErrorReport(\"broken\")"), QStringLiteral("EndProgram(1)")};
}

void RunHandlerTest::failures() {
    QFETCH(int, severity);
    QFETCH(QStringList, operations);
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    RunHandler([&] {
        ShowMessage(QStringLiteral("before"));
        throw PlatformError(QStringLiteral("broken"), PlatformError::Severity(severity));
        ShowMessage(QStringLiteral("after"));
    });
    QCOMPARE(recorder.log, operations);
    // The next handler runs as usual.
    RunHandler([] { ShowMessage(QStringLiteral("next")); });
    QCOMPARE(recorder.log.last(), RecordingPlatform::Message(QStringLiteral("next")));
}

void RunHandlerTest::nothingRunsAfterEndProgram() {
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    RunHandler([] {
        // Nested the way a load handler runs inside a click handler.
        RunHandler([] {
            ShowMessage(QStringLiteral("本程序已运行！！！"));
            EndProgram();
        });
    });
    QCOMPARE(recorder.log,
             (QStringList{RecordingPlatform::Message(QStringLiteral("本程序已运行！！！")),
                          QStringLiteral("EndProgram(0)")}));
}

QTEST_APPLESS_MAIN(RunHandlerTest)
#include "tst_run_handler.moc"
