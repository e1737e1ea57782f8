#pragma once

#include <string_view>

namespace quobel {

// One entry of the reply table. Texts are UTF-16 so that a keyword is exactly
// one code unit and comparisons are by code unit, as the chat box delivers them.
struct ReplyRule {
    // Each code unit is one keyword character; empty for a whole-text check.
    std::u16string_view Keywords;
    // Used only when Keywords is empty: the sentence must equal it exactly.
    std::u16string_view WholeText;
    std::u16string_view Reply;
    std::u16string_view Title;
    bool StartsCapture = false;

    constexpr bool IsWholeTextCheck() const { return Keywords.empty(); }
};

} // namespace quobel
