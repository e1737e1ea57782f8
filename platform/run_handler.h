#pragma once

#include <functional>

namespace quobel {

// Runs one event handler. Handlers catch nothing themselves: a failing
// platform step unwinds to here, where the error report is shown, and
// EndProgram unwinds to here too. Every event entry point of the windows goes
// through this, so no exception ever reaches Qt's event loop.
void RunHandler(const std::function<void()>& handler);

} // namespace quobel
