#pragma once

#include <QIcon>
#include <QString>

#include <optional>

namespace quobel {

// Reads every image of an icon file. QIcon(path) alone cannot tell a missing
// or corrupt file from a good one, so the file is decoded here and the reason
// for a failure is put in error.
std::optional<QIcon> ReadIconFile(const QString& path, QString* error);

} // namespace quobel
