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

bool PlaceAsCaptureLibrary(const QString& library, const QTemporaryDir& folder) {
    return QFile::copy(library, folder.filePath(QStringLiteral("libCameraDll.so")));
}

} // namespace

class CaptureBindingTest : public QObject {
    Q_OBJECT
private slots:
    void libraryInTheProgramFolderServesEveryCall();
    void missingLibraryFailsAndALaterCallTriesAgain();
    void libraryWithoutTheEntryFails();
    void platformFailureStopsOnlyTheHandler();
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

QTEST_MAIN(CaptureBindingTest)
#include "tst_capture_binding.moc"
