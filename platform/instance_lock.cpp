#include "platform/instance_lock.h"

#include <QDir>
#include <QStandardPaths>

namespace quobel {

InstanceLock::InstanceLock(QString lockPath) : path_(std::move(lockPath)) {}

QString InstanceLock::defaultLockPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("QuobelV3.2.5.lock"));
}

bool InstanceLock::anotherInstanceRunning() {
    if (lock_ && lock_->isLocked())
        return false;
    lock_ = std::make_unique<QLockFile>(path_);
    // Never treat a lock as stale by age: a long-running instance must keep
    // blocking. Stale locks are still found by their dead owner's process id.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return false;
    // Only a live holder counts; if the lock cannot be made at all (no
    // writable folder), refusing to start would lock the user out for good.
    return lock_->error() == QLockFile::LockFailedError;
}

} // namespace quobel
