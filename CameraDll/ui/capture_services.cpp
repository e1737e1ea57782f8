#include "CameraDll/ui/capture_services.h"

#include "CameraDll/desktop/window_stack.h"

#include <QFileDialog>
#include <QMessageBox>

namespace camera {

CaptureServices DefaultServices() {
    CaptureServices services;
    services.askSavePath = [](QWidget* parent, const QString& proposed) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("保存截图"), proposed,
                                            QStringLiteral("PNG 图片 (*.png)"));
    };
    services.reportSaveFailure = [](QWidget* parent, const QString& reason) {
        QMessageBox::warning(parent, QStringLiteral("保存失败"),
                             QStringLiteral("截图没有保存：%1").arg(reason));
    };
    services.listWindows = ReadWindowStack;
    return services;
}

} // namespace camera
