#pragma once

namespace quobel {

// True when an earlier instance of the program runs for this user. The
// instance that passed the guard keeps getting false on later asks.
bool PreviousInstanceRunning();

} // namespace quobel
