#pragma once

#include "CameraDll/recognition/text_recognizer.h"

#include <QLibrary>
#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>

namespace camera {

struct TesseractApi;

// Tesseract, simplified Chinese and English together, through its C
// interface. The library is loaded when first asked for, not linked: the
// capture works without it, and its languages come as Debian packages of
// their own.
class TesseractRecognizer : public TextRecognizer {
public:
    // Found by bench/recognition: window captures are labels scattered over
    // a window, not a page, and UI text is small.
    struct Settings {
        int pageMode = 11;        // Tesseract's sparse text
        qreal pixelsPerPoint = 3; // upscaled to this many pixels per logical pixel
    };

    TesseractRecognizer();
    explicit TesseractRecognizer(Settings settings);
    ~TesseractRecognizer() override;

    Availability availability() override;
    QString recognize(const QImage& picture, const std::atomic<bool>& stop) override;

    // Where the language data is looked for: $TESSDATA_PREFIX when set,
    // else where Debian's packages put it.
    static QString DataFolder();
    // The Debian packages whose absence stops the recognition, none when
    // everything is there.
    QStringList missingPackages();
    // Whether the dynamic loader would find Tesseract's library, looked up
    // in its folders without loading it.
    static bool LibraryInstalled();

private:
    const TesseractApi* api();

    Settings settings_;
    std::once_flag loading_;
    std::atomic<bool> loadTried_ = false;
    std::unique_ptr<TesseractApi> api_;
    QLibrary library_;
};

} // namespace camera
