#pragma once

#include <QString>

namespace quobel {

// Runs the chat turn for a sentence with the platform's message box and
// capture library, as both chat windows' confirm buttons do.
void RunPlatformChatTurn(const QString& sentence);

} // namespace quobel
