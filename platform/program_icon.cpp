#include "platform/program_icon.h"

#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QWidget>

namespace quobel {

QString ProgramIconPath() {
    // A program in the root folder has a folder path that already ends in a
    // separator; filePath joins with exactly one.
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qor.ico"));
}

void SetProgramIcon(QWidget& window) {
    const QString path = ProgramIconPath();
    // QIcon(path) alone cannot tell a missing or corrupt file from a good
    // one, so the file is decoded here. The reader reads the file; it does
    // not map it, so a file cut short is an error, not a crash.
    QImageReader reader(path);
    QIcon icon;
    // An .ico file holds one image per size; keep them all so every place the
    // icon is shown gets a sharp one.
    do {
        const QImage image = reader.read();
        if (image.isNull())
            break;
        icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    if (icon.isNull())
        throw PlatformError(QStringLiteral("无法加载图标文件“%1”（%2）。程序需要图标文件才能运行。")
                                .arg(path, reader.errorString()),
                            PlatformError::Severity::EndsProgram);
    window.setWindowIcon(icon);
}

} // namespace quobel
