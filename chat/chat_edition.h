#pragma once

#include "layouts/layout_types.h"
#include "platform/control_text.h"
#include "platform/platform.h"

#include <array>
#include <span>

namespace quobel {

// Everything in which the two chat windows differ. The controls a window has
// come from its layout; the rest is here.
struct ChatEdition {
    FormId id;
    const WindowLayout* layout;
    // Set at load after the caption, in this order.
    std::span<const ControlText> loadTexts;
    QStringView aboutText;
    // Loading leaves the start window behind and opens both blog pages after
    // the welcome box.
    bool loadUnloadsStartAndOpensBlogs;
    // "不是退出" opens both blog pages before the program ends.
    bool exitOpensBlogs;
};

inline constexpr QStringView kWelcomeText = u"欢迎使用Quobel！！！";
inline constexpr QStringView kRefuseExitText = u"别想退出！！！";
inline constexpr QStringView kUsageTitle = u"使用说明";
inline constexpr QStringView kUsageText = u"首先打开软件，有小q码点无广告版（目前免费进入），没有的"
                                          u"点免费版，进入后在文本框里输入支持的用语"
                                          u"并按确定，就会弹出窗口回答你哦！！！但如果按确定后没反"
                                          u"应，可能是你输入了不支持的用语，请不要灰心"
                                          u"（谁会灰心啊），查看机器人支持用语，没有请点击下载机器"
                                          u"人支持用语键下载，查看后再输入！！！By：qor";

// The edition of a chat window (Form2 or Form5).
const ChatEdition& EditionOf(FormId id);

} // namespace quobel
