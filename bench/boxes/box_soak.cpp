// Memory over many reply boxes: shows message boxes one after the other the
// way the chat turn does, each dismissed with its OK button as soon as it is
// up, and prints how much the resident memory grew per 1,000 boxes once the
// first few hundred have warmed every cache up.
//
//   box_soak [--boxes N] [--bare | --errors]
// --bare shows each box as a plain QMessageBox on the stack instead of through
// the program's platform, as the yardstick; --errors shows error reports.

#include "platform/message_box.h"
#include "platform/qt_platform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>

namespace {

long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Presses OK on the box once it is on the screen, as a user would.
void DismissWhenUp() {
    QTimer::singleShot(1, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->windowHandle() || !box->windowHandle()->isExposed()) {
            DismissWhenUp();
            return;
        }
        box->button(QMessageBox::Ok)->click();
    });
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int boxes = 2000;
    bool bare = false;
    bool errors = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bare") == 0)
            bare = true;
        else if (std::strcmp(argv[i], "--errors") == 0)
            errors = true;
        else if (std::strcmp(argv[i], "--boxes") == 0 && i + 1 < argc)
            boxes = std::atoi(argv[++i]);
    }
    const int warmUp = boxes / 10;

    quobel::QtPlatform platform;
    quobel::PlatformScope scope(platform);
    long atWarmUp = 0;
    for (int i = 0; i < boxes; ++i) {
        if (i == warmUp)
            atWarmUp = ResidentKiB();
        DismissWhenUp();
        if (bare) {
            QMessageBox box(QMessageBox::NoIcon, QStringLiteral("对话"),
                            QStringLiteral("你也好啊！！！"), QMessageBox::Ok);
            box.exec();
        } else if (errors) {
            quobel::ReportRuntimeError(QStringLiteral("无法使用截图库“CameraDll”"));
        } else {
            quobel::ShowMessage(QStringLiteral("你也好啊！！！"), QStringLiteral("对话"));
        }
    }
    const long atEnd = ResidentKiB();
    const int counted = boxes - warmUp;
    std::printf("%s: %d boxes, resident %ld KiB after %d, %ld KiB at the end: %+.1f KiB per 1,000 "
                "boxes\n",
                bare     ? "bare QMessageBox"
                : errors ? "ReportRuntimeError"
                         : "ShowMessage",
                boxes, atWarmUp, warmUp, atEnd, double(atEnd - atWarmUp) * 1000.0 / counted);
    return 0;
}
