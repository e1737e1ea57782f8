#pragma once

#include <QRect>

#include <cstdint>
#include <vector>

namespace camera {

// A top-level window as the window manager stacks it, in the screen's device
// pixels (the X server's coordinates).
struct StackedWindow {
    std::uint32_t id = 0;
    QRect frame;       // with the window manager's frame around it
    bool shown = true; // false when minimised or not mapped
};

// The topmost shown window whose frame holds the point, from a list in
// stacking order (bottom first); its frame clipped to the screen. Null when
// there is none. The overlays never appear in the list: they bypass the
// window manager.
QRect WindowAt(const std::vector<StackedWindow>& stack, const QPoint& point, const QRect& screen);

// A device rectangle of a screen (origin kept, the rest scaled) in logical
// pixels, rounded outwards so no device pixel of it is lost.
QRect DeviceToLogical(const QRect& device, const QPoint& screenOrigin, qreal scale);

} // namespace camera
