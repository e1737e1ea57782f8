#pragma once

#include "CameraDll/grab/screen_grabber.h"

#include <functional>
#include <memory>

namespace camera {

// One backend first and another where the first cannot serve: KWin's own
// screenshots, then the portal. The second is made only when needed, and
// not when the person said no in the desktop's dialog: asking again
// elsewhere would only ask again.
class FallbackGrabber : public ScreenGrabber {
public:
    FallbackGrabber(std::unique_ptr<ScreenGrabber> first,
                    std::function<std::unique_ptr<ScreenGrabber>()> second);

    const char* name() const override;
    GrabOutcome grab() override;

private:
    std::unique_ptr<ScreenGrabber> first_;
    std::function<std::unique_ptr<ScreenGrabber>()> makeSecond_;
    std::unique_ptr<ScreenGrabber> second_;
};

} // namespace camera
