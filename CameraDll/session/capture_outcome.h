#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>

class QClipboard;

namespace camera {

// A free path for the next picture in folder, named after the moment:
// "截图_20240131_235959.png", with "_2", "_3"… added when that name is taken.
QString DefaultSaveFileName(const QString& folder, const QDateTime& now);

// The folder proposed for saving: the user's pictures folder, or the home
// folder when there is none.
QString PicturesFolder();

// The path as chosen, with ".png" added when the name has no suffix.
QString WithPngSuffix(const QString& path);

// Writes the image as PNG, whatever the path's suffix. The file appears only
// once it is complete. On failure returns false with a readable reason.
bool SaveCapture(const QImage& image, const QString& path, QString* error);

// Puts the image on the clipboard.
void CopyCapture(const QImage& image, QClipboard& clipboard);

// A pixel's colour as it is copied: "#RRGGBB".
QString ColourText(QRgb colour);

} // namespace camera
