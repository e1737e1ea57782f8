#include "conversation/match_replies.h"

#include "conversation/reply_rule_data.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace quobel {
namespace {

// A sentence may be arbitrarily long, so instead of searching it once per
// keyword character the text is scanned once, noting which of the keyword
// characters occur. Each distinct keyword character gets a bit; bit 0 is the
// sink for every other code unit, which keeps the scan free of branches.
using CharSet = std::uint64_t;

struct KeywordIndex {
    std::array<std::uint8_t, 0x10000> bitOf{};
    int distinct = 0;
};

constexpr KeywordIndex BuildKeywordIndex() {
    KeywordIndex index;
    for (const ReplyRule& rule : kReplyRules) {
        for (char16_t c : rule.Keywords) {
            if (index.bitOf[c] == 0)
                index.bitOf[c] = static_cast<std::uint8_t>(++index.distinct);
        }
    }
    return index;
}

constexpr KeywordIndex kIndex = BuildKeywordIndex();
static_assert(kIndex.distinct < 64, "every keyword character needs its own bit");

constexpr CharSet kAllKeywords = ((CharSet{1} << kIndex.distinct) - 1) << 1;

constexpr CharSet MaskOf(std::u16string_view keywords) {
    CharSet mask = 0;
    for (char16_t c : keywords)
        mask |= CharSet{1} << kIndex.bitOf[c];
    return mask;
}

constexpr std::array<CharSet, kReplyRules.size()> BuildRuleMasks() {
    std::array<CharSet, kReplyRules.size()> masks{};
    for (std::size_t i = 0; i < kReplyRules.size(); ++i)
        masks[i] = MaskOf(kReplyRules[i].Keywords);
    return masks;
}

constexpr std::array<CharSet, kReplyRules.size()> kRuleMasks = BuildRuleMasks();

CharSet KeywordsIn(std::u16string_view text) {
    CharSet seen = 0;
    // Checking for "all found" on every code unit would cost more than it
    // saves on ordinary sentences, so it is done once per block.
    constexpr std::size_t kBlock = 4096;
    for (std::size_t start = 0; start < text.size(); start += kBlock) {
        const std::size_t end = std::min(text.size(), start + kBlock);
        for (std::size_t i = start; i < end; ++i)
            seen |= CharSet{1} << kIndex.bitOf[text[i]];
        if ((seen & kAllKeywords) == kAllKeywords)
            break;
    }
    return seen;
}

} // namespace

std::vector<const ReplyRule*> MatchReplies(std::u16string_view text) {
    const CharSet seen = KeywordsIn(text);
    std::vector<const ReplyRule*> replies;
    for (std::size_t i = 0; i < kReplyRules.size(); ++i) {
        const ReplyRule& rule = kReplyRules[i];
        const bool holds = rule.IsWholeTextCheck() ? text == rule.WholeText
                                                   : (seen & kRuleMasks[i]) == kRuleMasks[i];
        if (holds)
            replies.push_back(&rule);
    }
    return replies;
}

} // namespace quobel
