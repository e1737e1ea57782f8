#include "app/form_factories.h"
#include "app/qt_texts.h"
#include "platform/qt_platform.h"
#include "platform/run_handler.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    quobel::InstallQtChineseTexts(app);
    int exitCode = 0;
    {
        quobel::QtPlatform platform;
        quobel::PlatformScope scope(platform);
        quobel::RegisterForms(platform.forms());

        // The program has no start-up of its own: the start window's load
        // handler is the first thing that runs.
        quobel::RunHandler([] {
            quobel::LoadForm(quobel::FormId::Form1);
            quobel::ShowForm(quobel::FormId::Form1);
        });
        exitCode = platform.ended() ? platform.exitCode() : app.exec();
    }
    // Unloaded windows are freed from the event loop; when the program ends
    // inside a handler that loop never comes round again.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return exitCode;
}
