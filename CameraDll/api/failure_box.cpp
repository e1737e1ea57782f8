#include "CameraDll/api/failure_box.h"

#include <QMessageBox>

namespace camera {

QString FailureMessage(Status status) {
    switch (status) {
    case kBusy:
        return QStringLiteral("上一次截图还没有结束。\n请先在截图画面中完成，或按 Esc 取消。");
    case kNoScreen:
        return QStringLiteral("截图失败：无法读取屏幕画面。\n"
                              "请确认程序运行在图形桌面中，然后再试一次。");
    case kNoPortal:
        return QStringLiteral(
            "截图失败：当前桌面没有提供截图服务（xdg-desktop-portal）。\n"
            "请安装 xdg-desktop-portal 和适合本桌面的后端"
            "（GNOME 用 xdg-desktop-portal-gnome，KDE 用 xdg-desktop-portal-kde），"
            "然后再试一次。");
    case kRefused:
        return QStringLiteral("截图失败：桌面拒绝了截图请求。\n"
                              "请在系统设置的隐私（截图）选项中允许截图，然后再试一次。");
    case kTimedOut:
        return QStringLiteral("截图失败：桌面的截图服务在 30 秒内没有回应。\n"
                              "请稍后再试；如果一直这样，请重新登录桌面。");
    case kServiceFailed:
        return QStringLiteral(
            "截图失败：桌面的截图服务（xdg-desktop-portal）出错了，没有给出画面。\n"
            "请再试一次；如果一直这样，请重新登录桌面，"
            "或重新安装本桌面的 xdg-desktop-portal 后端。");
    case kServiceIncomplete:
        return QStringLiteral("截图失败：KDE 的截图服务（xdg-desktop-portal-kde）出错退出了，"
                              "很可能是缺少它要用的 QML 模块。\n"
                              "请安装 qml-module-org-kde-kirigami2、qml-module-qtquick-controls2、"
                              "qml-module-qtquick-layouts、qml-module-org-kde-kquickcontrolsaddons "
                              "和 plasma-workspace，然后再试一次。");
    case kUnanswered:
        return QStringLiteral("截图没有开始：桌面在询问是否允许截图，但没有及时得到回答。\n"
                              "请在桌面的对话框中选择“允许”，然后再截一次图。");
    case kFailed:
        return QStringLiteral("截图失败：截图库内部出错。\n请再试一次。");
    case kDone:
    case kCancelled:
    case kNoApplication:
    case kWrongThread:
    case kUnknownMode:
        break;
    }
    return {};
}

void ShowFailure(Status status) {
    const QString text = FailureMessage(status);
    if (text.isEmpty())
        return;
    auto* box =
        new QMessageBox(QMessageBox::Warning, QStringLiteral("截图"), text, QMessageBox::Ok);
    box->setObjectName(QStringLiteral("captureFailure"));
    // A parentless box that is the only window left would end the host when
    // closed (a window hidden for the grab, say).
    box->setAttribute(Qt::WA_QuitOnClose, false);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (status == kBusy) {
        box->show();
        return;
    }
    box->exec();
}

} // namespace camera
