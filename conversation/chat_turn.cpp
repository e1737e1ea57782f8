#include "conversation/chat_turn.h"

#include "conversation/match_replies.h"

namespace quobel {

void RunChatTurn(std::u16string_view sentence, ChatTurnServices& services) {
    // The sentence cannot change while the turn runs (every box is modal), so
    // matching it once up front answers exactly as testing entry by entry.
    for (const ReplyRule* rule : MatchReplies(sentence)) {
        services.ShowMessage(rule->Reply, rule->Title);
        if (rule->StartsCapture)
            services.CameraSubArea(0);
    }
}

} // namespace quobel
