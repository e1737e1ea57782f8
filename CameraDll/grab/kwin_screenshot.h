#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <chrono>
#include <vector>

namespace camera {

// One output's picture as KWin's org.kde.KWin.ScreenShot2 gave it, or why not.
struct KWinScreen {
    enum class Result {
        Picture,
        NotAllowed, // KWin knows no desktop entry of this program that lists the interface
        NoService,  // no KWin, or its screenshot effect is not loaded
        Failed,     // KWin answered with an error, or with a picture that does not add up
        TimedOut,
    };
    QString output;
    Result result = Result::Failed;
    QImage image; // device pixels, opaque
    QString detail;
};

// Asks KWin for every named output at once, each through a pipe of its own:
// the pointer left out, in the output's own (native) resolution. KWin
// answers each call with the picture's size, stride and format, and then
// writes the raw rows into the pipe. Waits in a local event loop, at most
// for the time-out in all.
std::vector<KWinScreen> CaptureKWinScreens(QDBusConnection bus, const QStringList& outputs,
                                           std::chrono::milliseconds timeout);

// The picture from KWin's answer and the bytes read from its pipe; null,
// with the reason in error, when they do not make a picture: an unknown
// format, a stride too small for the width or not a multiple of four, fewer
// bytes than stride × height, or a size beyond what a QImage can hold.
QImage RawScreenImage(const QVariantMap& answer, QByteArray data, QString* error);

} // namespace camera
