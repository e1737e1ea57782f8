// Stands in for the capture library: counts its calls, so a test can tell
// whether one loaded copy serves them all.

#include <QtGlobal>

#include <cstdint>

namespace {
std::int32_t calls = 0;
}

extern "C" Q_DECL_EXPORT std::int32_t CameraSubArea(std::int32_t mode) {
    return mode == 0 ? ++calls : -1;
}
