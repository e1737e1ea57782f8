#pragma once

#include <QString>

namespace quobel {

// Starts the desktop's browser on the address without waiting for it and
// without a console window. False when the helper could not be started.
bool StartBrowser(const QString& url);

} // namespace quobel
