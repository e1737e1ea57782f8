#pragma once

// The table itself lives in a header so that the matcher can build its lookup
// tables from it at compile time.

#include "conversation/reply_rule.h"

#include <array>

namespace quobel {

inline constexpr std::u16string_view kDialogueTitle = u"对话";
inline constexpr std::u16string_view kReminderTitle = u"提醒";
inline constexpr std::u16string_view kErrorTitle = u"错误";
inline constexpr std::u16string_view kEmptyInputReply = u"请输入对话内容！！！";

inline constexpr std::array<ReplyRule, 15> kReplyRules{{
    {u"你臭屁", {}, u"对，你好臭屁！！！", kDialogueTitle},
    {u"阿柘人怎么样", {}, u"他是个鹤立鸡群的好孩子！！！", kDialogueTitle},
    {u"医生的话", {}, u"快去缴费！！！", kDialogueTitle},
    {u"你好", {}, u"你也好啊！！！", kDialogueTitle},
    {u"日期", {}, u"今天是2012年7月32日，农历我不会算！！！", kDialogueTitle},
    {u"天气", {}, u"今天天气晕，气温100肚！", kDialogueTitle},
    {u"妈的", {}, u"生活如此烦躁，你却如此美好（反了吧）", kDialogueTitle},
    {u"妈B", {}, u"生活如此高温，你却如此烦躁（这很正常吧）", kDialogueTitle},
    // A press of the confirm button with nothing typed: either an empty box
    // or the box's initial text.
    {{}, u"", kEmptyInputReply, kErrorTitle},
    {{}, u"Text1", kEmptyInputReply, kErrorTitle},
    {u"我失恋了", {}, u"太好啦，哈哈！！！", kDialogueTitle},
    {u"你讨厌", {}, u"哇，你居然说你自己讨厌，真勇敢啊！！！", kDialogueTitle},
    {u"你是谁", {}, u"我是qor写的人见人爱的机器人啊！！！", kDialogueTitle},
    {u"设置", {}, u"什么，你要改写我，我打你的哦！！！", kDialogueTitle},
    {u"截图", {}, u"请截完图后按保存键，不要按完成键（图形是勾）！！！", kReminderTitle, true},
}};

} // namespace quobel
