#pragma once

#include "conversation/reply_rule.h"

#include <span>

namespace quobel {

// The fifteen replies in the order they are answered.
std::span<const ReplyRule> ReplyRuleTable();

} // namespace quobel
