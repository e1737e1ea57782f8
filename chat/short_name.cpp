#include "chat/short_name.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QFileInfo>
#endif

namespace quobel {

namespace {

#ifdef _WIN32

QString SystemShortName(const QString&, const QByteArray& narrow) {
    char buffer[kShortPathBufferSize] = {};
    const DWORD length = GetShortPathNameA(narrow.constData(), buffer, kShortPathBufferSize);
    // On success the result is the length without the NUL; when the buffer is
    // too small it is the size needed, NUL included, and nothing is written.
    if (length == 0 || length >= static_cast<DWORD>(kShortPathBufferSize))
        return {};
    return QString::fromLocal8Bit(buffer, static_cast<qsizetype>(length));
}

#else

// No short names here: an existing path is its own short form, as long as it
// fits the buffer.
QString SystemShortName(const QString& longPath, const QByteArray& narrow) {
    if (narrow.size() >= kShortPathBufferSize)
        return {};
    return QFileInfo::exists(longPath) ? longPath : QString();
}

#endif

} // namespace

QString ShortPathName(const QString& longPath) {
    if (longPath.isEmpty())
        return {};
    // The narrow call takes the system's code page (Qt's local 8-bit
    // encoding). Characters outside it turn into '?', which names no file, so
    // the call fails cleanly; a NUL would cut the name short in any system
    // call, so such a path names no file at all.
    const QByteArray narrow = longPath.toLocal8Bit();
    if (narrow.contains('\0'))
        return {};
    return SystemShortName(longPath, narrow);
}

} // namespace quobel
