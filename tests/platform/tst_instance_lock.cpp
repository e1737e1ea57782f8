#include "platform/instance_lock.h"

#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

using namespace quobel;

class InstanceLockTest : public QObject {
    Q_OBJECT
private slots:
    void firstInstanceKeepsPassingItsOwnGuard();
    void secondInstanceSeesTheFirst();
    void lockLeftByADeadProcessDoesNotBlock();
    void unwritableFolderDoesNotLockTheUserOut();
    void noRuntimeFolderKeepsOtherUsersOut();
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
    dead.start(QCoreApplication::applicationFilePath(), {QStringLiteral("-functions")});
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

// Without XDG_RUNTIME_DIR, Qt falls back to runtime-<user> in the shared
// temporary folder, and gives up when someone else made that first. Another
// user's instance, holding its lock in the shared folder, must not count as
// this user's.
void InstanceLockTest::noRuntimeFolderKeepsOtherUsersOut() {
#ifndef Q_OS_UNIX
    QSKIP("Windows keeps the lock in the user's own profile folder, never in a shared one");
#else
    QTemporaryDir shared;
    QTemporaryDir home;
    struct SavedVariable {
        const char* name;
        std::optional<QByteArray> value;
        ~SavedVariable() { value ? qputenv(name, *value) : qunsetenv(name); }
    };
    const auto Save = [](const char* name) {
        return SavedVariable{name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                                   : std::nullopt};
    };
    const SavedVariable saved[] = {Save("XDG_RUNTIME_DIR"), Save("TMPDIR"), Save("XDG_CACHE_HOME")};
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", shared.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    // Taken by someone else: here, a plain file where the folder should be.
    const passwd* user = getpwuid(geteuid());
    QVERIFY(user);
    QFile taken(
        shared.filePath(QStringLiteral("runtime-") + QString::fromLocal8Bit(user->pw_name)));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.close();
    QLockFile otherUsers(shared.filePath(QStringLiteral("QuobelV3.2.5.lock")));
    QVERIFY(otherUsers.tryLock(0));

    const QString path = InstanceLock::defaultLockPath();
    InstanceLock mine(path);
    const bool blocked = mine.anotherInstanceRunning();
    // And the guard still works between this user's own instances.
    InstanceLock second(path);
    const bool secondBlocked = second.anotherInstanceRunning();

    QVERIFY2(!blocked, qPrintable(path));
    QVERIFY2(!path.startsWith(shared.path()), qPrintable(path));
    QVERIFY(secondBlocked);
#endif
}

QTEST_GUILESS_MAIN(InstanceLockTest)
#include "tst_instance_lock.moc"
