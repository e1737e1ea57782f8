#include "platform/capture_binding.h"
#include "platform/qt_platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quobel;

namespace {

const QString kFakeCamera = QStringLiteral(QUOBEL_FAKE_CAMERA);
const QString kCameraWithoutEntry = QStringLiteral(QUOBEL_CAMERA_WITHOUT_ENTRY);
const QString kCaptureLibrary = QStringLiteral(QUOBEL_CAPTURE_LIBRARY);

// The name the program looks for.
#ifdef Q_OS_WIN
const QString kLibraryFile = QStringLiteral("CameraDll.dll");
#else
const QString kLibraryFile = QStringLiteral("libCameraDll.so");
#endif

bool PlaceAsCaptureLibrary(const QString& library, const QTemporaryDir& folder) {
    return QFile::copy(library, folder.filePath(kLibraryFile));
}

} // namespace

class CaptureBindingTest : public QObject {
    Q_OBJECT
private slots:
    void libraryInTheProgramFolderServesEveryCall();
    void missingLibraryFailsAndALaterCallTriesAgain();
    void libraryWithoutTheEntryFails();
    void libraryPlantedElsewhereIsNeverLoaded();
    void platformFailureStopsOnlyTheHandler();
    void brokenLibraryIsRefusedBeforeLoading_data();
    void brokenLibraryIsRefusedBeforeLoading();
};

void CaptureBindingTest::libraryInTheProgramFolderServesEveryCall() {
    QTemporaryDir folder;
    QVERIFY(PlaceAsCaptureLibrary(kFakeCamera, folder));
    CaptureLibraryBinding binding(folder.path());
    QString error;
    const auto entry = binding.bind(&error);
    QVERIFY2(entry, qPrintable(error));
    QCOMPARE((*entry)(0), 1);
    // Later binds hand back the same loaded copy: its call count goes on.
    const auto again = binding.bind(&error);
    QVERIFY(again);
    QCOMPARE((*again)(0), 2);
}

void CaptureBindingTest::missingLibraryFailsAndALaterCallTriesAgain() {
    QTemporaryDir folder;
    CaptureLibraryBinding binding(folder.path());
    QString error;
    QVERIFY(!binding.bind(&error));
    // The report points at the folder the library belongs in.
    QVERIFY2(error.contains(QDir::toNativeSeparators(folder.path())), qPrintable(error));
    QVERIFY(!binding.isBound());
    QVERIFY(PlaceAsCaptureLibrary(kFakeCamera, folder));
    QVERIFY2(binding.bind(&error), qPrintable(error));
}

void CaptureBindingTest::libraryWithoutTheEntryFails() {
    QTemporaryDir folder;
    QVERIFY(PlaceAsCaptureLibrary(kCameraWithoutEntry, folder));
    CaptureLibraryBinding binding(folder.path());
    QString error;
    QVERIFY(!binding.bind(&error));
    QVERIFY2(error.contains(QLatin1String("CameraSubArea")), qPrintable(error));
}

void CaptureBindingTest::libraryPlantedElsewhereIsNeverLoaded() {
    // Anyone who can write to the folder the program is started from, or to
    // one on PATH, must not get code into it: LoadLibrary searches both for a
    // bare name.
    QTemporaryDir program;
    QTemporaryDir planted;
    QVERIFY(PlaceAsCaptureLibrary(kFakeCamera, planted));
    const QString startFolder = QDir::currentPath();
    const QByteArray path = qgetenv("PATH");
    QVERIFY(QDir::setCurrent(planted.path()));
    qputenv("PATH", QDir::toNativeSeparators(planted.path()).toLocal8Bit() +
                        QDir::listSeparator().toLatin1() + path);
    CaptureLibraryBinding binding(program.path());
    QString error;
    const bool bound = binding.bind(&error).has_value();
    QDir::setCurrent(startFolder);
    qputenv("PATH", path);
    QVERIFY2(!bound, "a capture library outside the program folder was loaded");
    QVERIFY2(error.contains(QDir::toNativeSeparators(program.path())), qPrintable(error));
}

void CaptureBindingTest::platformFailureStopsOnlyTheHandler() {
    // The test program's own folder holds no capture library, and the
    // system search finds none either.
    QtPlatform platform;
    try {
        platform.cameraSubArea(0);
        QFAIL("a missing capture library must fail");
    } catch (const PlatformError& error) {
        QCOMPARE(error.severity(), PlatformError::Severity::StopsHandler);
        QVERIFY(error.report().contains(QLatin1String("CameraDll")));
    }
    QVERIFY(!platform.ended());
}

void CaptureBindingTest::brokenLibraryIsRefusedBeforeLoading_data() {
    QTest::addColumn<QByteArray>("contents");
    QFile library(kCaptureLibrary);
    QVERIFY(library.open(QIODevice::ReadOnly));
    const QByteArray whole = library.readAll();
    // The loader maps segments that reach past the end of a file cut short,
    // and the process dies of SIGBUS at the first touch.
    QTest::newRow("first 12 KiB") << whole.left(12 * 1024);
    QTest::newRow("header without program headers") << whole.left(64);
    QTest::newRow("program headers without segments") << whole.left(4096);
    QTest::newRow("part of the header") << whole.left(20);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a library") << QByteArray("#!/bin/sh\necho CameraSubArea\n");
}

void CaptureBindingTest::brokenLibraryIsRefusedBeforeLoading() {
    QFETCH(QByteArray, contents);
    QTemporaryDir folder;
    QFile placed(folder.filePath(kLibraryFile));
    QVERIFY(placed.open(QIODevice::WriteOnly));
    placed.write(contents);
    placed.close();
    CaptureLibraryBinding binding(folder.path());
    QString error;
    QVERIFY(!binding.bind(&error));
    QVERIFY2(error.contains(placed.fileName()) ||
                 error.contains(QDir::toNativeSeparators(folder.path())),
             qPrintable(error));
    // Reported like a missing library: the next call tries again.
    QVERIFY(QFile::remove(placed.fileName()));
    QVERIFY(PlaceAsCaptureLibrary(kFakeCamera, folder));
    QVERIFY2(binding.bind(&error), qPrintable(error));
}

QTEST_MAIN(CaptureBindingTest)
#include "tst_capture_binding.moc"
