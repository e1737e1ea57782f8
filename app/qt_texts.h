#pragma once

class QCoreApplication;

namespace quobel {

// Qt draws a few texts of its own: the message boxes' button, the text box's
// context menu, the capture's file dialog. The program speaks Chinese whatever
// the system's locale, so these come from Qt's Simplified Chinese catalogue.
// Without the catalogue (Debian's qt6-translations-l10n) they stay English and
// the program runs all the same; the result says which it is.
bool InstallQtChineseTexts(QCoreApplication& app);

} // namespace quobel
