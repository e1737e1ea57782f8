// The host quits with pins and a text being read still open: they go with
// it, before its application object, and the reading thread is stopped and
// joined. Run under the sanitizers, anything left over is a leak and any
// late touch of a window is a use after free.
//
//   tst_kept_windows_at_quit exec     the host leaves its event loop
//   tst_kept_windows_at_quit no-exec  the host ends without ever running one

#include "CameraDll/ui/kept_windows.h"
#include "CameraDll/ui/pin_window.h"
#include "CameraDll/ui/recognition_window.h"
#include "tests/capture/session_fakes.h"

#include <QApplication>
#include <QClipboard>
#include <QTimer>

#include <cstdio>
#include <cstring>

using namespace camera;
using namespace camera::testing;

namespace {

int g_destroyed = 0;

template <typename Window> void Keep(Window* window) {
    QObject::connect(window, &QObject::destroyed, [] { ++g_destroyed; });
    KeptWindows::instance().keep(window);
}

bool Fail(const char* what) {
    std::fprintf(stderr, "FAIL: %s\n", what);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    const bool exec = argc > 1 && std::strcmp(argv[1], "exec") == 0;
    auto recognizer = std::make_shared<StandInRecognizer>();
    recognizer->hold = true; // still reading when the host quits
    {
        QApplication app(argc, argv);
        const QImage picture = Shot(QRect(0, 0, 300, 200), 2).pixmap.toImage();
        Keep(new PinWindow(picture, QRect(10, 10, 300, 200), {}));
        Keep(new PinWindow(picture.copy(0, 0, 100, 100), QRect(400, 10, 50, 50), {}));
        Keep(new RecognitionWindow(recognizer, picture, QRect(10, 10, 300, 200),
                                   *QGuiApplication::clipboard()));
        while (recognizer->calls == 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (exec) {
            bool goneBeforeReturn = false;
            QTimer::singleShot(100, &app, [] { QCoreApplication::quit(); });
            QObject::connect(&app, &QCoreApplication::aboutToQuit, [&] {
                // Connected after the kept windows: they are gone by now.
                goneBeforeReturn = KeptWindows::instance().windows().empty();
            });
            app.exec();
            if (!goneBeforeReturn || g_destroyed != 3)
                return Fail("windows left after the event loop") ? 0 : 1;
        }
    }
    if (g_destroyed != 3)
        return Fail("windows outlived the application") ? 0 : 1;
    if (!recognizer->stopped)
        return Fail("the reading thread was not stopped") ? 0 : 1;
    std::printf("PASS: the windows went with the host (%s)\n", exec ? "exec" : "no exec");
    return 0;
}
