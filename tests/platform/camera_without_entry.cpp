// A library with the right name but not the entry the program calls.

#include <QtGlobal>

#include <cstdint>

extern "C" Q_DECL_EXPORT std::int32_t CaptureArea(std::int32_t mode) {
    return mode;
}
