#pragma once

#include <QString>

namespace camera {

// An engine's text made fit to read and to paste:
//  - a line per line of text, none empty, none with spaces at either end;
//  - no spaces between Chinese characters, nor beside Chinese punctuation,
//    which engines put there as between the words of English;
//  - the ASCII punctuation an engine reads among Chinese in its full-width
//    form, as Chinese is written: "确定!" becomes "确定！";
//  - no frames of buttons and boxes read as "|" at a line's ends, and no
//    line that holds nothing but such marks.
QString TidyRecognizedText(const QString& raw);

} // namespace camera
