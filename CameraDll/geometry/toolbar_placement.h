#pragma once

#include <QRect>
#include <QSize>

#include <vector>

namespace camera {

// Where the toolbar goes: right-aligned just below the selection, above it
// when the screen ends below, inside its bottom corner when neither side has
// room; always wholly on the screen.
QPoint PlaceToolbar(const QRect& selection, const QSize& toolbar, const QRect& screen, int gap);

// Index of the screen that hosts the toolbar: the one holding the selection's
// bottom-right corner, else the one sharing the most area with it; -1 when
// there are no screens.
int ToolbarScreen(const QRect& selection, const std::vector<QRect>& screens);

} // namespace camera
