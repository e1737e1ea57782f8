#pragma once

#include <QRect>

#include <vector>

namespace camera {

// The selections of earlier captures, walked back and forth from the latest,
// as "," and "." do in a new capture.
class SelectionRecall {
public:
    // earlier: the latest last.
    explicit SelectionRecall(std::vector<QRect> earlier);

    // The selection one capture further back (direction -1) or forward (+1)
    // from the one brought back last, fitted to the screens; one now off
    // every screen is passed over. Null when there is none further.
    QRect step(int direction, const std::vector<QRect>& screens);

private:
    std::vector<QRect> earlier_;
    std::size_t at_; // the one brought back last; earlier_.size() before any
};

} // namespace camera
