#include "CameraDll/recognition/recognizer_choice.h"

#if defined(QUOBEL_CAPTURE_TESSERACT)
#include "CameraDll/recognition/tesseract_recognizer.h"
#endif

namespace camera {

std::shared_ptr<TextRecognizer> SharedTextRecognizer() {
#if defined(QUOBEL_CAPTURE_TESSERACT)
    // One for the process: it loads Tesseract once, and a capture opening
    // while another's text is still being read shares it.
    static const std::shared_ptr<TextRecognizer> recognizer =
        std::make_shared<TesseractRecognizer>();
    return recognizer;
#else
    return nullptr;
#endif
}

} // namespace camera
