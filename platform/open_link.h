#pragma once

#include <QString>

namespace quobel {

// Hands the address to the desktop's browser and returns at once.
void OpenLink(const QString& url);

} // namespace quobel
