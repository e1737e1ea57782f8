#include "platform/program_icon.h"
#include "platform/qt_platform.h"

#include <QFile>
#include <QTest>
#include <QWidget>

using namespace quobel;

// The icon is looked up beside the running executable, so these cases put
// files next to the test program itself.
class ProgramIconTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(ProgramIconPath()); }
    void cleanup() { QFile::remove(ProgramIconPath()); }
    void presentIconIsSet();
    void unusableIconEndsTheProgram_data();
    void unusableIconEndsTheProgram();
};

void ProgramIconTest::presentIconIsSet() {
    QVERIFY(QFile::copy(QStringLiteral(QUOBEL_ICON_FILE), ProgramIconPath()));
    QtPlatform platform;
    QWidget window;
    platform.loadProgramIcon(window);
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.windowIcon().pixmap(64).size(), QSize(64, 64));
}

void ProgramIconTest::unusableIconEndsTheProgram_data() {
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("not an image") << QByteArray("this is not an icon\n") << true;
    // A valid icon header announcing an image that is not there.
    QTest::newRow("truncated icon")
        << QByteArray::fromHex("000001000100404000000000200000a8") << true;
}

void ProgramIconTest::unusableIconEndsTheProgram() {
    QFETCH(QByteArray, contents);
    QFETCH(bool, exists);
    if (exists) {
        QFile file(ProgramIconPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    QtPlatform platform;
    QWidget window;
    try {
        platform.loadProgramIcon(window);
        QFAIL("an unusable icon file must fail");
    } catch (const PlatformError& error) {
        QCOMPARE(error.severity(), PlatformError::Severity::EndsProgram);
        QVERIFY(error.report().contains(ProgramIconPath()));
    }
    QVERIFY(window.windowIcon().isNull());
}

QTEST_MAIN(ProgramIconTest)
#include "tst_program_icon.moc"
