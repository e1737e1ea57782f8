// The chat window's ShortName: on Windows the short (8.3) form of an
// existing path, where there are no short names the path as it is, and
// everything that would not fit or does not exist gives empty text.

#include "chat/chat_window.h"
#include "chat/short_name.h"
#include "recording_platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace quobel;
using quobel::testing::RecordingPlatform;

namespace {

// Whether a result is the short form of the path: the path itself where
// there are no short names; on Windows one that Windows expands back to it.
bool IsShortFormOf(const QString& result, const QString& path) {
#ifdef Q_OS_WIN
    wchar_t buffer[1024];
    const QString native = QDir::toNativeSeparators(result);
    const DWORD length =
        GetLongPathNameW(reinterpret_cast<const wchar_t*>(native.utf16()), buffer, 1024);
    return length > 0 && length < 1024 &&
           QDir::fromNativeSeparators(QString::fromWCharArray(buffer, int(length)))
                   .compare(path, Qt::CaseInsensitive) == 0 &&
           result.toLocal8Bit().size() < kShortPathBufferSize;
#else
    return result == path;
#endif
}

} // namespace

class ShortNameTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void shortName_data();
    void shortName();
    void bothEditionsAnswerTheSame();

private:
    // An existing file whose full path is exactly `bytes` narrow characters
    // long, each character of its name `unit` (one or more bytes).
    QString FileWithPathLength(int bytes, const QString& unit);

    QTemporaryDir dir_;
};

void ShortNameTest::initTestCase() {
    QVERIFY(dir_.isValid());
    // The path lengths below assume a short temporary folder.
    QVERIFY(dir_.path().toLocal8Bit().size() < 100);
}

QString ShortNameTest::FileWithPathLength(int bytes, const QString& unit) {
    const QByteArray unitBytes = unit.toLocal8Bit();
    // Folder, separator, padding in ASCII, then the multi-byte run: one
    // folder level per 200 bytes keeps every name under the file system's
    // limit on one name.
    QString path = dir_.path();
    int remaining = bytes - int(path.toLocal8Bit().size());
    const int tailUnits = unitBytes.size() > 1 ? 20 : 0;
    const int tailBytes = tailUnits * int(unitBytes.size());
    while (remaining - 1 - tailBytes > 200) {
        path += QLatin1Char('/') + QString(199, QLatin1Char('d'));
        remaining -= 200;
        QDir().mkpath(path);
    }
    const int padding = remaining - 1 - tailBytes;
    if (padding < 0)
        return {};
    path += QLatin1Char('/') + QString(padding, QLatin1Char('f')) + unit.repeated(tailUnits);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    return path;
}

void ShortNameTest::shortName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("found");
    // The narrow length the path was made with, checked so that a row cannot
    // pass on a path of the wrong length; -1 where it does not matter.
    QTest::addColumn<int>("bytes");

    QTest::newRow("empty") << QString() << false << -1;
    QTest::newRow("empty, not null") << QStringLiteral("") << false << -1;
    QTest::newRow("existing folder") << dir_.path() << true << -1;
    QTest::newRow("missing file") << dir_.filePath(QStringLiteral("no such file")) << false << -1;
    QTest::newRow("missing folder on the way")
        << dir_.filePath(QStringLiteral("nowhere/file.txt")) << false << -1;
    QTest::newRow("relative path of nothing") << QStringLiteral("no/such/thing") << false << -1;
    QTest::newRow("name with spaces") << [this] {
        const QString path = dir_.filePath(QStringLiteral("a   b   c.txt"));
        QFile file(path);
        return file.open(QIODevice::WriteOnly) ? path : QString();
    }() << true << -1;
    QTest::newRow("259 narrow characters: fits")
        << FileWithPathLength(kShortPathBufferSize - 1, QStringLiteral("x")) << true << 259;
    QTest::newRow("far too long") << FileWithPathLength(600, QStringLiteral("x")) << false << 600;
    QTest::newRow("259 bytes of Chinese: fits")
        << FileWithPathLength(kShortPathBufferSize - 1, QStringLiteral("图")) << true << 259;
#ifndef Q_OS_WIN
    // Where the result is the path itself, the path's own length decides.
    // (Windows shortens such paths well below the limit.)
    QTest::newRow("260 narrow characters: no room for the NUL")
        << FileWithPathLength(kShortPathBufferSize, QStringLiteral("x")) << false << 260;
    // Fewer than 260 UTF-16 units, but the narrow form is what must fit.
    QTest::newRow("261 bytes of Chinese: does not fit")
        << FileWithPathLength(kShortPathBufferSize + 1, QStringLiteral("图")) << false << 261;
#endif
    QTest::newRow("embedded NUL") << dir_.path() + QChar(0) + QStringLiteral("x") << false << -1;
}

void ShortNameTest::shortName() {
    QFETCH(QString, path);
    QFETCH(bool, found);
    QFETCH(int, bytes);
    if (bytes >= 0) {
        QVERIFY2(!path.isEmpty(), "could not make the file");
        QCOMPARE(path.toLocal8Bit().size(), bytes);
        QVERIFY(QFile::exists(path));
    }
    if (found) {
        QVERIFY2(!path.isEmpty(), "could not make the file");
        QVERIFY(QFile::exists(path));
    }
    const QString result = ShortPathName(path);
    if (found)
        QVERIFY2(IsShortFormOf(result, path), qPrintable(result));
    else
        QCOMPARE(result, QString());
}

void ShortNameTest::bothEditionsAnswerTheSame() {
    RecordingPlatform recorder;
    PlatformScope scope(recorder);
    const ChatWindow advertised(FormId::Form2);
    const ChatWindow plain(FormId::Form5);
    const QString folder = ShortPathName(dir_.path());
    QVERIFY(IsShortFormOf(folder, dir_.path()));
    QCOMPARE(advertised.ShortName(dir_.path()), folder);
    QCOMPARE(plain.ShortName(dir_.path()), folder);
    QCOMPARE(plain.ShortName(QString()), QString());
    // Nothing of the platform is touched.
    QCOMPARE(recorder.log, QStringList{});
}

QTEST_MAIN(ShortNameTest)
#include "tst_short_name.moc"
