#pragma once

#include "platform/platform.h"

#include <QLockFile>

#include <memory>

namespace quobel {

// True when an earlier instance of the program runs for this user. The
// instance that passed the guard keeps getting false on later asks.
inline bool PreviousInstanceRunning() {
    return Platform::current().previousInstanceRunning();
}

// What the real platform asks: a lock file in the user's runtime folder (or
// cache folder, when there is no usable runtime folder). The
// first instance takes the lock and keeps it for its whole run; the lock
// holds the owner's process id, so an instance that was killed or crashed
// leaves a stale lock that the next start takes over.
class InstanceLock {
public:
    explicit InstanceLock(QString lockPath = defaultLockPath());

    // True when another live instance holds the lock. The holder itself gets
    // false every time it asks.
    bool anotherInstanceRunning();

    static QString defaultLockPath();

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace quobel
