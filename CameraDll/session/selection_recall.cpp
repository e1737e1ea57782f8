#include "CameraDll/session/selection_recall.h"

#include "CameraDll/geometry/screen_fit.h"

namespace camera {

SelectionRecall::SelectionRecall(std::vector<QRect> earlier)
    : earlier_(std::move(earlier)), at_(earlier_.size()) {}

QRect SelectionRecall::step(int direction, const std::vector<QRect>& screens) {
    // Forward of the latest there is nothing; back from none is the latest.
    for (std::size_t i = at_; direction < 0 ? i > 0 : i + 1 < earlier_.size();) {
        i = direction < 0 ? i - 1 : i + 1;
        const QRect fitted = FitOnScreens(earlier_[i], screens);
        if (!fitted.isNull()) {
            at_ = i;
            return fitted;
        }
    }
    return {};
}

} // namespace camera
