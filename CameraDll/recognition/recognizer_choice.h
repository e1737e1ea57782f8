#pragma once

#include "CameraDll/recognition/text_recognizer.h"

#include <memory>

namespace camera {

// The recognizer of this platform, one for the whole process, made when
// first asked for; null where the capture was built without one.
std::shared_ptr<TextRecognizer> SharedTextRecognizer();

} // namespace camera
