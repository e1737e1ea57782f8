#pragma once

#include "platform/platform.h"

namespace quobel {

// Fetches the address and returns the answer as text (status line, headers,
// blank line, body). Blocks the calling handler, not the screen: windows keep
// repainting, but no user input is taken until it returns. A fetch that gets
// no complete answer is a failure that stops the calling handler.
QString FetchPage(const QString& url, const FetchSettings& settings = {});

} // namespace quobel
