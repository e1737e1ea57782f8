#include "CameraDll/capture_log.h"

Q_LOGGING_CATEGORY(lcCapture, "quobel.capture", QtWarningMsg)
