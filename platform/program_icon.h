#pragma once

#include "platform/platform.h"

#include <QString>

class QWidget;

namespace quobel {

// Gives the window the program icon. A missing or unreadable icon file is a
// failure that ends the program.
inline void LoadProgramIcon(QWidget& window) {
    Platform::current().loadProgramIcon(window);
}

// The icon file every window loads: qor.ico in the program's own folder.
QString ProgramIconPath();

// What the real platform does for LoadProgramIcon: reads every image of the
// icon file and sets them on the window, or throws the failure.
void SetProgramIcon(QWidget& window);

} // namespace quobel
