#pragma once

namespace camera {

// From the first capture on, Qt's own texts in the capture's dialogs (the
// save dialog, the buttons of a failure report) come from Qt's Simplified
// Chinese catalogue, like the rest of the capture. A host that has put a Qt
// catalogue in place keeps it: its language is then the host's choice.
// Installed once and kept: every installation and removal tells each of the
// host's widgets that the language changed, and the library is never
// unloaded.
void UseChineseQtTexts();

} // namespace camera
