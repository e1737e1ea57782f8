#include "conversation/reply_rule_table.h"

#include "conversation/reply_rule_data.h"

namespace quobel {

std::span<const ReplyRule> ReplyRuleTable() {
    return kReplyRules;
}

} // namespace quobel
