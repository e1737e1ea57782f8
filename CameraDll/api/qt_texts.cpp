#include "CameraDll/api/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace camera {

namespace {

// Every Qt catalogue translates the standard buttons, so an English "Cancel"
// means the host runs with Qt's built-in texts.
bool HostHasQtCatalogue() {
    return QCoreApplication::translate("QPlatformTheme", "Cancel") != QLatin1String("Cancel");
}

} // namespace

void UseChineseQtTexts() {
    // Owned by the application, so it goes with it.
    static bool tried = false;
    if (tried || HostHasQtCatalogue())
        return;
    tried = true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    // A missing catalogue leaves the dialogs in English; the capture works
    // all the same.
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator))
        delete translator;
}

} // namespace camera
