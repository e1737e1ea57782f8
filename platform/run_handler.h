#pragma once

#include "platform/platform.h"

#include <functional>

namespace quobel {

// Runs one event handler. Handlers catch nothing themselves: a failing
// platform step unwinds to here, where the error report is shown, and
// EndProgram unwinds to here too. Every event entry point of the windows goes
// through this, so no exception ever reaches Qt's event loop.
void RunHandler(const std::function<void()>& handler);

// Ends the program at once: every window goes, and nothing after the call
// runs (it unwinds the calling handler to RunHandler).
[[noreturn]] inline void EndProgram() {
    Platform::current().endProgram(0);
    throw ProgramEnded();
}

} // namespace quobel
