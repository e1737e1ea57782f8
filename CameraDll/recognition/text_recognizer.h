#pragma once

#include <QImage>
#include <QString>

#include <atomic>

namespace camera {

// Reads the text in a picture. The capture knows only this: which engine does
// the reading is chosen where the capture is put together, and tests pass a
// stand-in.
class TextRecognizer {
public:
    struct Availability {
        bool ready = false;
        // When not ready: what to install, in words for the person.
        QString missing;
    };

    virtual ~TextRecognizer() = default;

    // Asked on the UI thread each time a capture opens: quick, and never
    // loads an engine's data.
    virtual Availability availability() = 0;

    // The text of the picture, line by line, the lines joined by "\n"; empty
    // when it holds none or when stop was set meanwhile. Runs on a worker
    // thread; several may run at once.
    virtual QString recognize(const QImage& picture, const std::atomic<bool>& stop) = 0;
};

} // namespace camera
