#include "CameraDll/geometry/window_pick.h"

#include <cmath>

namespace camera {

QRect WindowAt(const std::vector<StackedWindow>& stack, const QPoint& point, const QRect& screen) {
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        if (it->shown && it->frame.contains(point))
            return it->frame & screen;
    return {};
}

QRect DeviceToLogical(const QRect& device, const QPoint& screenOrigin, qreal scale) {
    const auto low = [&](int value, int origin) {
        return origin + static_cast<int>(std::floor((value - origin) / scale));
    };
    const auto high = [&](int value, int origin) {
        return origin + static_cast<int>(std::ceil((value - origin) / scale));
    };
    const int left = low(device.x(), screenOrigin.x());
    const int top = low(device.y(), screenOrigin.y());
    const int right = high(device.x() + device.width(), screenOrigin.x());
    const int bottom = high(device.y() + device.height(), screenOrigin.y());
    return {left, top, right - left, bottom - top};
}

} // namespace camera
