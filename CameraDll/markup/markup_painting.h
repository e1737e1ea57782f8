#pragma once

#include "CameraDll/markup/markup.h"

class QPainter;

namespace camera {

// Draws what is not yet part of the picture: the mark being dragged out, and
// the text being typed with its cursor and the input method's composition
// underlined. The painter works in global logical pixels; under is the
// picture of the screen being painted.
void DrawMarkupInProgress(QPainter& painter, const Markup& markup, const Backdrop& under);

} // namespace camera
