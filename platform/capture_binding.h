#pragma once

#include "platform/platform.h"

#include <QLibrary>
#include <QString>

#include <cstdint>
#include <optional>

namespace quobel {

// The capture library's one entry. The library is bound on the first call
// and the binding serves the rest of the run; a missing library is a failure
// that stops the calling handler only, and the next call tries again.
inline std::int32_t CameraSubArea(std::int32_t mode) {
    return Platform::current().cameraSubArea(mode);
}

// What the real platform calls through: the binding to the capture library.
// It is made on the first call and serves every later call. On Windows the
// library is taken from the program's folder only; elsewhere from there
// first and then from the folders of the system's library search. A
// file that does not hold all its headers promise is refused before it is
// loaded. A failed binding is not remembered, so a library put in place later
// is found by the next call.
class CaptureLibraryBinding {
public:
#if defined(_WIN32) && !defined(_WIN64)
    using Entry = std::int32_t(__stdcall*)(std::int32_t);
#else
    using Entry = std::int32_t (*)(std::int32_t);
#endif

    explicit CaptureLibraryBinding(QString programFolder);

    // The entry, or nullopt with the reason in error.
    std::optional<Entry> bind(QString* error);
    // Binds if need be and calls the entry. A library that cannot be bound
    // is a failure that stops the calling handler.
    std::int32_t call(std::int32_t mode);
    bool isBound() const {
        return entry_ != nullptr;
    }

    static constexpr const char* kLibraryName = "CameraDll";
    static constexpr const char* kEntryName = "CameraSubArea";

private:
    QString programFolder_;
    QLibrary library_;
    Entry entry_ = nullptr;
};

} // namespace quobel
