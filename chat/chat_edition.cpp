#include "chat/chat_edition.h"

#include "layouts/window_layouts.h"

namespace quobel {

namespace {

constexpr std::array<ControlText, 17> kAdvertisedTexts{{
    {u"Command2", u"退出"},
    {u"Command3", u"不是退出"},
    {u"Command1", u"关于"},
    {u"Label1", u"如果对话中按确定没有反应，请查看“Quobel支持用语”！！！"},
    {u"Command4", u"确定"},
    {u"Command5", u"下载Quobel支持用语"},
    {u"Command7", u"检查更新"},
    {u"Label2", u"其他"},
    {u"Label3", u"对话"},
    {u"Label4", u"广告"},
    {u"Label5", u"qor之家，Quobel的官方网站！！！"},
    {u"Label6", u"截图"},
    {u"Command8", u"查看（百度）"},
    {u"Command9", u"查看（新浪）"},
    {u"Command6", u"使用说明"},
    {u"Command10", u"截图（ctrl+D）"},
    {u"Command11", u"截图（不最小化窗口）"},
}};

constexpr std::array<ControlText, 13> kPlainTexts{{
    {u"Command2", u"退出"},
    {u"Command3", u"不是退出"},
    {u"Command1", u"关于"},
    {u"Label1", u"如果对话中按确定没有反应，请查看“Quobel支持用语”！！！"},
    {u"Command4", u"确定"},
    {u"Command5", u"下载Quobel支持用语"},
    {u"Command7", u"检查更新"},
    {u"Label2", u"其他"},
    {u"Label3", u"对话"},
    {u"Label4", u"截图"},
    {u"Command6", u"使用说明"},
    {u"Command10", u"截图（ctrl+D）"},
    {u"Command11", u"截图（不最小化窗口）"},
}};

const ChatEdition kAdvertised{
    FormId::Form2, &layouts::kForm2, kAdvertisedTexts, u"qor第9981次无聊出品！！！", true, true};
const ChatEdition kPlain{
    FormId::Form5, &layouts::kForm5, kPlainTexts, u"qor第9981次无聊出品！", false, false};

} // namespace

const ChatEdition& AdvertisedEdition() {
    return kAdvertised;
}

const ChatEdition& PlainEdition() {
    return kPlain;
}

const ChatEdition& EditionOf(FormId id) {
    return id == FormId::Form5 ? kPlain : kAdvertised;
}

} // namespace quobel
