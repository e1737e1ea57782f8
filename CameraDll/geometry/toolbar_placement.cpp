#include "CameraDll/geometry/toolbar_placement.h"

#include <algorithm>

namespace camera {

QPoint PlaceToolbar(const QRect& selection, const QSize& toolbar, const QRect& screen, int gap) {
    const int selectionEnd = selection.y() + selection.height();
    const int screenEnd = screen.y() + screen.height();
    int y = selectionEnd + gap;
    if (y + toolbar.height() > screenEnd) {
        y = selection.y() - gap - toolbar.height();
        if (y < screen.y())
            y = selectionEnd - gap - toolbar.height();
    }
    int x = selection.x() + selection.width() - toolbar.width();
    // A toolbar wider or taller than the screen keeps its top-left corner on it.
    x = std::max(std::min(x, screen.x() + screen.width() - toolbar.width()), screen.x());
    y = std::max(std::min(y, screenEnd - toolbar.height()), screen.y());
    return {x, y};
}

int ToolbarScreen(const QRect& selection, const std::vector<QRect>& screens) {
    const QPoint corner = selection.bottomRight();
    for (std::size_t i = 0; i < screens.size(); ++i)
        if (screens[i].contains(corner))
            return static_cast<int>(i);
    int best = -1;
    long long bestArea = 0;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const QRect common = selection & screens[i];
        const long long area = static_cast<long long>(common.width()) * common.height();
        if (best < 0 || area > bestArea) {
            best = static_cast<int>(i);
            bestArea = area;
        }
    }
    return best;
}

} // namespace camera
