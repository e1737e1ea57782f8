#pragma once

#include <cstdint>

namespace quobel {

// The capture library's one entry. The library is bound on the first call
// and the binding serves the rest of the run; a missing library is a failure
// that stops the calling handler only, and the next call tries again.
std::int32_t CameraSubArea(std::int32_t mode);

} // namespace quobel
