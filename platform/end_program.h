#pragma once

namespace quobel {

// Ends the program at once: every window goes, and nothing after the call
// runs (it unwinds the calling handler).
[[noreturn]] void EndProgram();

} // namespace quobel
