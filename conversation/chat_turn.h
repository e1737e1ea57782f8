#pragma once

#include <cstdint>
#include <string_view>

namespace quobel {

// What a chat turn needs from the outside world. Both chat windows hand in
// the same platform operations, so the turn is written once.
class ChatTurnServices {
public:
    virtual ~ChatTurnServices() = default;
    // Blocks until the user has dismissed the box.
    virtual void ShowMessage(std::u16string_view text, std::u16string_view title) = 0;
    virtual void CameraSubArea(std::int32_t mode) = 0;
};

// Answers one press of the confirm button: one box per matching reply, in
// table order, and the capture after the capture reminder.
void RunChatTurn(std::u16string_view sentence, ChatTurnServices& services);

} // namespace quobel
