#include "chat/chat_edition.h"

#include "layouts/window_layouts.h"

namespace quobel {

namespace {

// The texts both chat windows set at load, in the order they are set. The
// edition without advertisements skips the advertisement section's controls,
// and its Label4 heads the capture section instead of the advertisements.
struct LoadText {
    QStringView control;
    QStringView text;
    // Null: the same text on both editions. Empty: the control exists only
    // on the edition with advertisements.
    QStringView plainText;
};

constexpr QStringView kAdvertisementOnly = u"";

constexpr std::array<LoadText, 17> kLoadTexts{{
    {u"Command2", u"退出", {}},
    {u"Command3", u"不是退出", {}},
    {u"Command1", u"关于", {}},
    {u"Label1", u"如果对话中按确定没有反应，请查看“Quobel支持用语”！！！", {}},
    {u"Command4", u"确定", {}},
    {u"Command5", u"下载Quobel支持用语", {}},
    {u"Command7", u"检查更新", {}},
    {u"Label2", u"其他", {}},
    {u"Label3", u"对话", {}},
    {u"Label4", u"广告", u"截图"},
    {u"Label5", u"qor之家，Quobel的官方网站！！！", kAdvertisementOnly},
    {u"Label6", u"截图", kAdvertisementOnly},
    {u"Command8", u"查看（百度）", kAdvertisementOnly},
    {u"Command9", u"查看（新浪）", kAdvertisementOnly},
    {u"Command6", u"使用说明", {}},
    {u"Command10", u"截图（ctrl+D）", {}},
    {u"Command11", u"截图（不最小化窗口）", {}},
}};

constexpr bool OnPlainEdition(const LoadText& row) {
    return row.plainText.isNull() || !row.plainText.isEmpty();
}

constexpr std::size_t PlainCount() {
    std::size_t count = 0;
    for (const LoadText& row : kLoadTexts)
        count += OnPlainEdition(row) ? 1 : 0;
    return count;
}

constexpr std::array<ControlText, kLoadTexts.size()> AdvertisedTexts() {
    std::array<ControlText, kLoadTexts.size()> texts{};
    for (std::size_t i = 0; i < kLoadTexts.size(); ++i)
        texts[i] = {kLoadTexts[i].control, kLoadTexts[i].text};
    return texts;
}

constexpr std::array<ControlText, PlainCount()> PlainTexts() {
    std::array<ControlText, PlainCount()> texts{};
    std::size_t next = 0;
    for (const LoadText& row : kLoadTexts) {
        if (OnPlainEdition(row))
            texts[next++] = {row.control, row.plainText.isNull() ? row.text : row.plainText};
    }
    return texts;
}

constexpr auto kAdvertisedTexts = AdvertisedTexts();
constexpr auto kPlainTexts = PlainTexts();
static_assert(kPlainTexts.size() == 13);

const ChatEdition kAdvertised{
    FormId::Form2, &layouts::kForm2, kAdvertisedTexts, u"qor第9981次无聊出品！！！", true, true};
const ChatEdition kPlain{
    FormId::Form5, &layouts::kForm5, kPlainTexts, u"qor第9981次无聊出品！", false, false};

} // namespace

const ChatEdition& EditionOf(FormId id) {
    return id == FormId::Form5 ? kPlain : kAdvertised;
}

} // namespace quobel
