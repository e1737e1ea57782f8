#pragma once

#include <memory>

class QTranslator;

namespace camera {

// While it lives, Qt's own texts in the capture's dialogs (the save dialog,
// the buttons of a failure report) come from Qt's Simplified Chinese
// catalogue, like the rest of the capture. A host that has put a Qt catalogue
// in place keeps it: its language is then the host's choice. The host's
// catalogues are as they were once the object is gone.
class QtChineseTexts {
public:
    QtChineseTexts();
    ~QtChineseTexts();
    QtChineseTexts(const QtChineseTexts&) = delete;
    QtChineseTexts& operator=(const QtChineseTexts&) = delete;

private:
    std::unique_ptr<QTranslator> translator_;
};

} // namespace camera
