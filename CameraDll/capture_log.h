#pragma once

#include <QLoggingCategory>

// What the capture does and how long it takes, for troubleshooting:
// QT_LOGGING_RULES="quobel.capture.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcCapture)
