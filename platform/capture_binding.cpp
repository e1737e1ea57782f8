#include "platform/capture_binding.h"

#include <QDir>

namespace quobel {

CaptureLibraryBinding::CaptureLibraryBinding(QString programFolder)
    : programFolder_(std::move(programFolder)) {}

std::optional<CaptureLibraryBinding::Entry> CaptureLibraryBinding::bind(QString* error) {
    if (entry_)
        return entry_;
    // QLibrary adds the platform's prefix and suffix (libCameraDll.so,
    // CameraDll.dll) to a name without them.
    const QString candidates[] = {QDir(programFolder_).filePath(QLatin1String(kLibraryName)),
                                  QLatin1String(kLibraryName)};
    // The reason the program folder's copy failed is the one worth telling:
    // that is where the library belongs.
    QString besideProgram;
    for (const QString& candidate : candidates) {
        library_.setFileName(candidate);
        if (library_.load())
            break;
        if (besideProgram.isEmpty())
            besideProgram = library_.errorString();
    }
    if (!library_.isLoaded()) {
        if (error)
            *error = QStringLiteral("程序目录“%1”中没有可用的截图库，系统中也找不到（%2）")
                         .arg(QDir::toNativeSeparators(programFolder_), besideProgram);
        return std::nullopt;
    }
    entry_ = reinterpret_cast<Entry>(library_.resolve(kEntryName));
    if (!entry_) {
        if (error)
            *error = QStringLiteral("“%1”中没有入口 %2")
                         .arg(library_.fileName(), QLatin1String(kEntryName));
        library_.unload();
        return std::nullopt;
    }
    return entry_;
}

std::int32_t CaptureLibraryBinding::call(std::int32_t mode) {
    QString reason;
    const auto entry = bind(&reason);
    if (!entry)
        throw PlatformError(
            QStringLiteral("无法使用截图库“%1”：%2").arg(QLatin1String(kLibraryName), reason),
            PlatformError::Severity::StopsHandler);
    return (*entry)(mode);
}

} // namespace quobel
