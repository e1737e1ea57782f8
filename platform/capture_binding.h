#pragma once

#include <QLibrary>
#include <QString>

#include <cstdint>
#include <optional>

namespace quobel {

// The binding to the capture library. It is made on the first call, from the
// program's folder first and then the system's library search, and serves
// every later call. A failed binding is not remembered, so a library put in
// place later is found by the next call.
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
