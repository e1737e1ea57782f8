#include "CameraDll/ui/capture_services.h"

#include "CameraDll/desktop/window_stack.h"
#include "CameraDll/recognition/recognizer_choice.h"
#include "CameraDll/ui/kept_windows.h"
#include "CameraDll/ui/pin_window.h"
#include "CameraDll/ui/recognition_window.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>

namespace camera {

namespace {

QString AskSavePath(QWidget* parent, const QString& proposed) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("保存截图"), proposed,
                                        QStringLiteral("PNG 图片 (*.png)"));
}

} // namespace

CaptureServices DefaultServices() {
    CaptureServices services;
    services.askSavePath = AskSavePath;
    services.reportSaveFailure = [](QWidget* parent, const QString& reason) {
        QMessageBox::warning(parent, QStringLiteral("保存失败"),
                             QStringLiteral("截图没有保存：%1").arg(reason));
    };
    services.listWindows = ReadWindowStack;
    services.recognizer = SharedTextRecognizer();
    services.pin = [](const QImage& picture, const QRect& place) {
        KeptWindows::instance().keep(new PinWindow(picture, place, AskSavePath));
    };
    services.readText = [recognizer = services.recognizer](const QImage& picture,
                                                           const QRect& place) {
        KeptWindows::instance().keep(
            new RecognitionWindow(recognizer, picture, place, *QGuiApplication::clipboard()));
    };
    return services;
}

} // namespace camera
