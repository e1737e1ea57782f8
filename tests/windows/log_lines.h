#pragma once

// The recorder's log lines for what the windows do, spelled once for all the
// window tests.

#include "platform/links.h"
#include "recording_platform.h"

#include <QString>

namespace quobel::testing {

inline const QString kCaption = QStringLiteral("QuobelV3.2.5跟进版");
inline const QString kNotice = QStringLiteral(
    "必须将存放本程序的压缩包的所有文件放在同一目录！！！必须要个图标，否则无法打开!!!");
inline const QString kWelcome = QStringLiteral("欢迎使用Quobel！！！");

inline QString Box(const QString& text) {
    return RecordingPlatform::Message(text);
}
inline QString Box(const QString& text, const QString& title) {
    return RecordingPlatform::Message(text, title);
}
inline QString Op(const char* name, const QString& argument) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name), argument);
}
inline QString Link(const QString& url) {
    return Op("OpenLink", url);
}
inline QString Caption(const QString& form) {
    return QStringLiteral("SetCaption(%1, \"%2\")").arg(form, kCaption);
}
inline QString Text(const QString& control, const QString& text) {
    return QStringLiteral("SetText(%1, \"%2\")").arg(control, text);
}
inline QString NoticeBox() {
    return Box(kNotice, QStringLiteral("使用须知"));
}

inline QStringList Form1Load() {
    return {QStringLiteral("PreviousInstanceRunning()"),
            NoticeBox(),
            Op("LoadProgramIcon", "Form1"),
            Caption("Form1"),
            Text("Command1", QStringLiteral("免费版（有广告，点我支持小q）")),
            Text("Command2", QStringLiteral("免费版（无广告）")),
            Text("Command3", QStringLiteral("制作图标")),
            Text("Command4", QStringLiteral("BUG反馈"))};
}

inline QStringList Form3Load() {
    return {Op("LoadProgramIcon", "Form3"),
            Caption("Form3"),
            Text("Label1", QStringLiteral("为了感谢小q的努力，希望大家用免费版（有广告）！！")),
            Text("Command1", QStringLiteral("确定使用无广告版")),
            Text("Command2", QStringLiteral("返回")),
            Op("UnloadForm", "Form1")};
}

// The texts both chat windows set before the edition-specific ones.
inline QStringList ChatTextsHead(const QString& label4) {
    return {
        Text("Command2", QStringLiteral("退出")),
        Text("Command3", QStringLiteral("不是退出")),
        Text("Command1", QStringLiteral("关于")),
        Text("Label1", QStringLiteral("如果对话中按确定没有反应，请查看“Quobel支持用语”！！！")),
        Text("Command4", QStringLiteral("确定")),
        Text("Command5", QStringLiteral("下载Quobel支持用语")),
        Text("Command7", QStringLiteral("检查更新")),
        Text("Label2", QStringLiteral("其他")),
        Text("Label3", QStringLiteral("对话")),
        Text("Label4", label4)};
}

inline QStringList ChatTextsTail() {
    return {Text("Command6", QStringLiteral("使用说明")),
            Text("Command10", QStringLiteral("截图（ctrl+D）")),
            Text("Command11", QStringLiteral("截图（不最小化窗口）"))};
}

inline QStringList Form2Load() {
    return QStringList{Op("LoadProgramIcon", "Form2"), Caption("Form2")} +
           ChatTextsHead(QStringLiteral("广告")) +
           QStringList{Text("Label5", QStringLiteral("qor之家，Quobel的官方网站！！！")),
                       Text("Label6", QStringLiteral("截图")),
                       Text("Command8", QStringLiteral("查看（百度）")),
                       Text("Command9", QStringLiteral("查看（新浪）"))} +
           ChatTextsTail() +
           QStringList{Op("UnloadForm", "Form1"), Box(kWelcome), Link(BlogLinkA), Link(BlogLinkB)};
}

inline QStringList Form5Load() {
    return QStringList{Op("LoadProgramIcon", "Form5"), Caption("Form5")} +
           ChatTextsHead(QStringLiteral("截图")) + ChatTextsTail() + QStringList{Box(kWelcome)};
}

} // namespace quobel::testing
