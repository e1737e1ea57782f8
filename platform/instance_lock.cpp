#include "platform/instance_lock.h"

#include <QDir>
#include <QStandardPaths>

namespace quobel {

InstanceLock::InstanceLock(QString lockPath) : path_(std::move(lockPath)) {}

QString InstanceLock::defaultLockPath() {
    // Only this user can write either folder. Qt finds no runtime folder
    // when XDG_RUNTIME_DIR is unset and runtime-<user> in the shared
    // temporary folder was made by someone else, as anyone can do; one fixed
    // name in the shared folder would then let another user's instance, or a
    // planted file, keep this user from starting.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        QDir().mkpath(folder);
    }
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
