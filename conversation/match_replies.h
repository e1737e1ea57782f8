#pragma once

#include "conversation/reply_rule.h"

#include <string_view>
#include <vector>

namespace quobel {

// Every entry of the reply table that holds for the sentence, in table order.
std::vector<const ReplyRule*> MatchReplies(std::u16string_view text);

} // namespace quobel
