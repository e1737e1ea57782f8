#pragma once

#include <QString>

namespace quobel {

// The buffer the short form of a path is written into, terminating NUL
// included.
inline constexpr int kShortPathBufferSize = 260;

// The short (8.3) form of a path, or empty text when there is none: for an
// empty path, a path that does not exist, or a result that does not fit the
// buffer in the system's narrow encoding. File systems without short names
// give an existing path back unchanged.
QString ShortPathName(const QString& longPath);

} // namespace quobel
