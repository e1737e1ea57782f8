#include "CameraDll/qt_texts.h"

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

QtChineseTexts::QtChineseTexts() {
    if (HostHasQtCatalogue())
        return;
    auto translator = std::make_unique<QTranslator>();
    // A missing catalogue leaves the dialogs in English; the capture works
    // all the same.
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get()))
        translator_ = std::move(translator);
}

QtChineseTexts::~QtChineseTexts() {
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
}

} // namespace camera
