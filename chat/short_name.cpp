#include "chat/short_name.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <QFileInfo>
#endif

namespace quobel {

#ifdef _WIN32

QString ShortPathName(const QString& longPath) {
    if (longPath.isEmpty())
        return {};
    // Qt's local 8-bit encoding on Windows is the ANSI code page, the one the
    // narrow call expects. Characters outside it turn into '?', which names no
    // file, so the call fails cleanly.
    const QByteArray narrow = longPath.toLocal8Bit();
    if (narrow.contains('\0'))
        return {};
    char buffer[kShortPathBufferSize] = {};
    const DWORD length = GetShortPathNameA(narrow.constData(), buffer, kShortPathBufferSize);
    // On success the result is the length without the NUL; when the buffer is
    // too small it is the size needed, NUL included, and nothing is written.
    if (length == 0 || length >= static_cast<DWORD>(kShortPathBufferSize))
        return {};
    return QString::fromLocal8Bit(buffer, static_cast<qsizetype>(length));
}

#else

QString ShortPathName(const QString& longPath) {
    if (longPath.isEmpty())
        return {};
    const QByteArray narrow = longPath.toLocal8Bit();
    // A NUL would cut the name short in any system call; such a path names no
    // file at all.
    if (narrow.contains('\0'))
        return {};
    if (narrow.size() >= kShortPathBufferSize)
        return {};
    if (!QFileInfo::exists(longPath))
        return {};
    return longPath;
}

#endif

} // namespace quobel
