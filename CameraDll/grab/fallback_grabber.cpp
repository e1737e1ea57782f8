#include "CameraDll/grab/fallback_grabber.h"

#include "CameraDll/capture_log.h"

namespace camera {

FallbackGrabber::FallbackGrabber(std::unique_ptr<ScreenGrabber> first,
                                 std::function<std::unique_ptr<ScreenGrabber>()> second)
    : first_(std::move(first)), makeSecond_(std::move(second)) {}

const char* FallbackGrabber::name() const {
    return second_ ? second_->name() : first_->name();
}

GrabOutcome FallbackGrabber::grab() {
    GrabOutcome outcome = first_->grab();
    if (outcome.failure == GrabFailure::None || outcome.failure == GrabFailure::Cancelled)
        return outcome;
    qCDebug(lcCapture, "%s could not grab (%s); trying the next way", first_->name(),
           qPrintable(outcome.detail));
    second_ = makeSecond_();
    return second_->grab();
}

} // namespace camera
