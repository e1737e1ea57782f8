// The capture library's dialogs speak Chinese in a host that left Qt's texts
// English, and leave a host's own choice of catalogue alone. The Chinese
// catalogue goes in once: every change of catalogue makes Qt tell each of the
// host's widgets that the language changed.

#include <QApplication>
#include <QLibrary>
#include <QLibraryInfo>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <cstdint>
#include <functional>

namespace {

using Entry = std::int32_t (*)(std::int32_t);

QString Cancel() {
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}

// A widget of the host's, counting the language changes it is told of.
class HostWidget : public QWidget {
public:
    int languageChanges = 0;

protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::LanguageChange)
            ++languageChanges;
        QWidget::changeEvent(event);
    }
};

} // namespace

class CaptureQtTextsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void dialogTexts_data();
    void dialogTexts();

private:
    QLibrary library_{QStringLiteral(CAMERA_LIBRARY_PATH)};
    Entry entry_ = nullptr;
};

void CaptureQtTextsTest::initTestCase() {
    entry_ = reinterpret_cast<Entry>(library_.resolve("CameraSubArea"));
    QVERIFY2(entry_, qPrintable(library_.errorString()));
}

void CaptureQtTextsTest::dialogTexts_data() {
    QTest::addColumn<QString>("hostCatalogue");
    QTest::addColumn<QString>("hostCancel");
    QTest::addColumn<QString>("captureCancel");
    QTest::addColumn<int>("languageChanges");
    // The German host first: the Chinese catalogue, once in, stays.
    QTest::newRow("host with Qt's German") << "qtbase_de"
                                           << "Abbrechen"
                                           << "Abbrechen" << 0;
    QTest::newRow("host with Qt's English") << QString() << "Cancel"
                                            << "取消" << 1;
}

void CaptureQtTextsTest::dialogTexts() {
    QFETCH(QString, hostCatalogue);
    QFETCH(QString, hostCancel);
    QFETCH(QString, captureCancel);
    QFETCH(int, languageChanges);
    QTranslator host;
    if (!hostCatalogue.isEmpty()) {
        QVERIFY(host.load(hostCatalogue, QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QVERIFY(QCoreApplication::installTranslator(&host));
    }
    QCOMPARE(Cancel(), hostCancel);
    HostWidget hostWidget;
    QCoreApplication::sendPostedEvents();
    hostWidget.languageChanges = 0;
    QString during;
    // Read once the capture is on screen, then end it.
    std::function<void()> readAndEscape = [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->objectName() == QLatin1String("captureOverlay")) {
                during = Cancel();
                QTest::keyClick(widget, Qt::Key_Escape);
                return;
            }
        }
        QTimer::singleShot(20, readAndEscape);
    };
    for (int capture = 0; capture < 2; ++capture) {
        QTimer::singleShot(0, readAndEscape);
        QCOMPARE(entry_(0), 1);
        QCOMPARE(during, captureCancel);
        QCOMPARE(Cancel(), captureCancel);
    }
    QCoreApplication::sendPostedEvents();
    QCOMPARE(hostWidget.languageChanges, languageChanges);
    QCoreApplication::removeTranslator(&host);
}

QTEST_MAIN(CaptureQtTextsTest)
#include "tst_capture_qt_texts.moc"
