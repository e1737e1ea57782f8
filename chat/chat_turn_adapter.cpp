#include "chat/chat_turn_adapter.h"

#include "conversation/chat_turn.h"
#include "platform/capture_binding.h"
#include "platform/message_box.h"

namespace quobel {

namespace {

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

class PlatformChatServices : public ChatTurnServices {
public:
    void ShowMessage(std::u16string_view text, std::u16string_view title) override {
        quobel::ShowMessage(ToQString(text), ToQString(title));
    }
    void CameraSubArea(std::int32_t mode) override { quobel::CameraSubArea(mode); }
};

} // namespace

void RunPlatformChatTurn(const QString& sentence) {
    PlatformChatServices services;
    RunChatTurn(std::u16string_view(reinterpret_cast<const char16_t*>(sentence.utf16()),
                                    static_cast<std::size_t>(sentence.size())),
                services);
}

} // namespace quobel
