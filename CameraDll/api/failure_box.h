#pragma once

#include "CameraDll/api/capture_status.h"

#include <QString>

namespace camera {

// What to tell the person when a capture could not start: why, and what to
// do about it. Empty where nothing needs saying (done, cancelled) or where
// only the host's programmer could act (no application, wrong thread, an
// unknown mode).
QString FailureMessage(Status status);

// Shows the message, if any, in a box of the library's own. The box for a
// capture already under way does not wait: that capture needs the event loop
// the box would hold up.
void ShowFailure(Status status);

} // namespace camera
