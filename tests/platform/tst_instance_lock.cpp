#include "platform/instance_lock.h"

#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quobel;

class InstanceLockTest : public QObject {
    Q_OBJECT
private slots:
    void firstInstanceKeepsPassingItsOwnGuard();
    void secondInstanceSeesTheFirst();
    void lockLeftByADeadProcessDoesNotBlock();
    void unwritableFolderDoesNotLockTheUserOut();
};

void InstanceLockTest::firstInstanceKeepsPassingItsOwnGuard() {
    QTemporaryDir dir;
    InstanceLock lock(dir.filePath(QStringLiteral("quobel.lock")));
    QVERIFY(!lock.anotherInstanceRunning());
    // The start window asks again every time it is loaded.
    QVERIFY(!lock.anotherInstanceRunning());
    QVERIFY(!lock.anotherInstanceRunning());
}

void InstanceLockTest::secondInstanceSeesTheFirst() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quobel.lock"));
    auto first = std::make_unique<InstanceLock>(path);
    QVERIFY(!first->anotherInstanceRunning());
    InstanceLock second(path);
    QVERIFY(second.anotherInstanceRunning());
    QVERIFY(second.anotherInstanceRunning());
    // Once the first is gone, the next start goes ahead.
    first.reset();
    InstanceLock third(path);
    QVERIFY(!third.anotherInstanceRunning());
}

void InstanceLockTest::lockLeftByADeadProcessDoesNotBlock() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quobel.lock"));
    // A killed instance leaves its lock file behind. Make a real one, then
    // hand it to a process that has certainly exited.
    {
        QLockFile held(path);
        QVERIFY(held.tryLock(0));
        QFile::copy(path, path + QStringLiteral(".kept"));
    }
    QProcess dead;
    dead.start(QStringLiteral("true"));
    QVERIFY(dead.waitForStarted());
    const qint64 deadPid = dead.processId();
    QVERIFY(dead.waitForFinished());
    QFile kept(path + QStringLiteral(".kept"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = kept.readAll().split('\n');
    lines[0] = QByteArray::number(deadPid);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(lines.join('\n'));
    file.close();
    InstanceLock lock(path);
    QVERIFY(!lock.anotherInstanceRunning());
}

void InstanceLockTest::unwritableFolderDoesNotLockTheUserOut() {
    InstanceLock lock(QStringLiteral("/nonexistent-folder/quobel.lock"));
    QVERIFY(!lock.anotherInstanceRunning());
}

QTEST_GUILESS_MAIN(InstanceLockTest)
#include "tst_instance_lock.moc"
