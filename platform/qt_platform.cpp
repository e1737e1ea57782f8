#include "platform/qt_platform.h"

#include <QApplication>

namespace quobel {

QtPlatform::QtPlatform() : capture_(QCoreApplication::applicationDirPath()) {
    // Windows are handed over while none is visible (a welcome box between
    // unloading one window and showing the next), so Qt's automatic quit on
    // the last window would end the program by accident. The program ends
    // instead when the user closes the last loaded window, or by EndProgram.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&forms_, &FormRegistry::lastWindowClosedByUser, [this] { endProgram(0); });
}

QtPlatform::~QtPlatform() = default;

} // namespace quobel
