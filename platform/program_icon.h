#pragma once

#include <QString>

class QWidget;

namespace quobel {

// The icon file every window loads: qor.ico in the program's own folder.
QString ProgramIconPath();

// Gives the window the program icon. A missing or unreadable icon file is a
// failure that ends the program.
void LoadProgramIcon(QWidget& window);

} // namespace quobel
