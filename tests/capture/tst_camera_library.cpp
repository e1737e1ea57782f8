// The built library as the program sees it: loaded with QLibrary, entry
// resolved by its bare name, called inside the caller's QApplication.

#include <QApplication>
#include <QClipboard>
#include <QLibrary>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

using Entry = std::int32_t (*)(std::int32_t);

Entry Resolve(QLibrary& library) {
    library.setFileName(QStringLiteral(CAMERA_LIBRARY_PATH));
    return reinterpret_cast<Entry>(library.resolve("CameraSubArea"));
}

QList<QWidget*> Overlays() {
    QList<QWidget*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QStringLiteral("captureOverlay"))
            found << widget;
    return found;
}

// The library's own boxes that say why a capture could not start.
QList<QWidget*> FailureBoxes() {
    QList<QWidget*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QStringLiteral("captureFailure") && widget->isVisible())
            found << widget;
    return found;
}

QString BoxText(QWidget* box) {
    return static_cast<QMessageBox*>(box)->text();
}

QList<QWidget*> VisibleOverlays() {
    QList<QWidget*> found;
    for (QWidget* widget : Overlays())
        if (widget->isVisible())
            found << widget;
    return found;
}

// An environment variable set for as long as it lives, then as it was.
class EnvironmentChange {
public:
    EnvironmentChange(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), before_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~EnvironmentChange() {
        if (had_)
            qputenv(name_, before_);
        else
            qunsetenv(name_);
    }
    EnvironmentChange(const EnvironmentChange&) = delete;
    EnvironmentChange& operator=(const EnvironmentChange&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray before_;
};

// A host window that counts its paints.
class Host : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::darkCyan);
    }
};

} // namespace

class CameraLibraryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void onlyTheEntryIsExported();
    void escapeEndsTheCall();
    void finishCopiesAndReturnsZero();
    void secondCallWhileCapturingReturnsAtOnce();
    void unknownModeShowsNothing();
    void noPortalIsExplainedInABox();
    void withoutAQApplication_data();
    void withoutAQApplication();
    void hostAllocatorSettingsStay();
    void cleanup();

private:
    QLibrary library_;
    Entry entry_ = nullptr;
};

void CameraLibraryTest::initTestCase() {
    entry_ = Resolve(library_);
    QVERIFY2(entry_, qPrintable(library_.errorString()));
}

void CameraLibraryTest::cleanup() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(Overlays().isEmpty());
}

void CameraLibraryTest::onlyTheEntryIsExported() {
#if defined(Q_OS_WIN)
    QSKIP("the export table of the DLL is read from the zip by windows_zip_contents");
#endif
    // Everything the library defines for the dynamic linker: a host with
    // classes or template instances of the same names must never get ours.
    QProcess nm;
    nm.start(QStringLiteral("nm"),
             {QStringLiteral("--dynamic"), QStringLiteral("--defined-only"),
              QStringLiteral("--format=just-symbols"), QStringLiteral(CAMERA_LIBRARY_PATH)});
    QVERIFY(nm.waitForFinished());
    QCOMPARE(nm.exitCode(), 0);
    QStringList symbols = QString::fromLatin1(nm.readAllStandardOutput())
                              .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Markers the linker itself puts in every shared object.
    for (const char* marker : {"_end", "_edata", "__bss_start"})
        symbols.removeAll(QLatin1String(marker));
    QCOMPARE(symbols, QStringList{QStringLiteral("CameraSubArea")});
}

void CameraLibraryTest::escapeEndsTheCall() {
    Host host;
    host.resize(200, 100);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    const int paintsBefore = host.paints;
    int overlaysSeen = 0;
    int hostPaintsDuring = 0;
    QTimer::singleShot(50, [&] {
        // The host keeps painting while the capture is up.
        host.update();
        QTimer::singleShot(50, [&] {
            hostPaintsDuring = host.paints - paintsBefore;
            overlaysSeen = static_cast<int>(VisibleOverlays().size());
            if (!VisibleOverlays().isEmpty())
                QTest::keyClick(VisibleOverlays().front(), Qt::Key_Escape);
        });
    });
    const QString clipboardBefore = QStringLiteral("host text");
    QGuiApplication::clipboard()->setText(clipboardBefore);
    QCOMPARE(entry_(0), 1);
    QCOMPARE(overlaysSeen, static_cast<int>(QGuiApplication::screens().size()));
    QVERIFY(hostPaintsDuring > 0);
    QVERIFY(VisibleOverlays().isEmpty());
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboardBefore);
    QVERIFY(host.isVisible());
    // Cancelling is the person's own choice: nothing to explain.
    QVERIFY(FailureBoxes().isEmpty());
}

void CameraLibraryTest::finishCopiesAndReturnsZero() {
    QTimer::singleShot(50, [] {
        const QList<QWidget*> overlays = VisibleOverlays();
        if (overlays.isEmpty())
            return;
        QWidget* overlay = overlays.front();
        QTest::mousePress(overlay, Qt::LeftButton, {}, QPoint(10, 20));
        QTest::mouseMove(overlay, QPoint(60, 60));
        QTest::mouseRelease(overlay, Qt::LeftButton, {}, QPoint(69, 59));
        auto* finish = overlay->findChild<QToolButton*>(QStringLiteral("finishButton"));
        if (finish)
            QTest::mouseClick(finish, Qt::LeftButton);
    });
    const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
    QCOMPARE(entry_(0), 0);
    QCOMPARE(QGuiApplication::clipboard()->image().size(), (QSizeF(60, 40) * scale).toSize());
    QVERIFY(VisibleOverlays().isEmpty());
}

void CameraLibraryTest::secondCallWhileCapturingReturnsAtOnce() {
    int nested = 0;
    qsizetype overlaysAfterNested = -1;
    QString busyText;
    QTimer::singleShot(50, [&] {
        nested = entry_(0);
        overlaysAfterNested = VisibleOverlays().size();
        // Said in a box that does not hold up the capture under way.
        for (QWidget* box : FailureBoxes()) {
            busyText = BoxText(box);
            box->close();
        }
        if (!VisibleOverlays().isEmpty())
            QTest::keyClick(VisibleOverlays().front(), Qt::Key_Escape);
    });
    QCOMPARE(entry_(0), 1);
    QCOMPARE(nested, -3);
    QCOMPARE(overlaysAfterNested, QGuiApplication::screens().size());
    QVERIFY2(busyText.contains(QStringLiteral("Esc")), qPrintable(busyText));
    // Once over, the next call runs again.
    QTimer::singleShot(50, [] {
        if (!VisibleOverlays().isEmpty())
            QTest::keyClick(VisibleOverlays().front(), Qt::Key_Escape);
    });
    QCOMPARE(entry_(0), 1);
}

void CameraLibraryTest::unknownModeShowsNothing() {
    QCOMPARE(entry_(1), -4);
    QCOMPARE(entry_(-1), -4);
    QVERIFY(Overlays().isEmpty());
}

void CameraLibraryTest::noPortalIsExplainedInABox() {
#ifdef Q_OS_WIN
    QSKIP("the desktop portal is a service of Linux desktops");
#endif
    // A Wayland desktop without the portal: here, the portal forced and no
    // session bus to find one on.
    const EnvironmentChange backend("QUOBEL_CAPTURE_BACKEND", "portal");
    const EnvironmentChange bus("DBUS_SESSION_BUS_ADDRESS",
                                "unix:path=/nonexistent/quobel-test-bus");
    QString text;
    QTimer::singleShot(50, [&text] {
        for (QWidget* box : FailureBoxes()) {
            text = BoxText(box);
            box->close();
        }
    });
    QCOMPARE(entry_(0), -7);
    QVERIFY2(text.contains(QStringLiteral("xdg-desktop-portal")), qPrintable(text));
    QVERIFY(Overlays().isEmpty());
}

void CameraLibraryTest::withoutAQApplication_data() {
    QTest::addColumn<QString>("host");
    QTest::newRow("no application object") << QStringLiteral("--bare");
    QTest::newRow("a QGuiApplication, no widgets") << QStringLiteral("--gui");
}

void CameraLibraryTest::withoutAQApplication() {
    QFETCH(QString, host);
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {host});
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("-1"));
}

void CameraLibraryTest::hostAllocatorSettingsStay() {
#if defined(__SANITIZE_ADDRESS__) || !defined(__GLIBC__)
    QSKIP("glibc's own allocator only");
#else
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--allocator")});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("1 mapped"));
#endif
}

#if defined(__GLIBC__)
// A host that has tuned glibc's allocator: blocks from 64 KiB on get pages
// of their own. After a capture (cancelled) a 256 KiB block must still.
int AllocatorHost(int argc, char** argv) {
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    QApplication app(argc, argv);
    QLibrary library;
    const Entry entry = Resolve(library);
    if (!entry)
        return 2;
    QTimer::singleShot(50, [] {
        if (!VisibleOverlays().isEmpty())
            QTest::keyClick(VisibleOverlays().front(), Qt::Key_Escape);
    });
    const int result = entry(0);
    const std::size_t before = mallinfo2().hblkhd;
    // Kept in sight of the optimiser, which may drop an unused malloc.
    static void* volatile block = nullptr;
    block = std::malloc(256 * 1024);
    const bool mapped = mallinfo2().hblkhd >= before + 256 * 1024;
    std::free(block);
    std::printf("%d %s\n", result, mapped ? "mapped" : "heap");
    return 0;
}
#endif

// Run with --bare or --gui, the test program is a host of that kind: it calls
// the library once and prints the result. With --allocator, see above.
int main(int argc, char** argv) {
    const QByteArray host = argc > 1 ? QByteArray(argv[1]) : QByteArray();
#if defined(__GLIBC__)
    if (host == "--allocator")
        return AllocatorHost(argc, argv);
#endif
    if (host == "--bare" || host == "--gui") {
        std::unique_ptr<QGuiApplication> app;
        if (host == "--gui")
            app = std::make_unique<QGuiApplication>(argc, argv);
        QLibrary library;
        const Entry entry = Resolve(library);
        if (!entry)
            return 2;
        std::printf("%d\n", static_cast<int>(entry(0)));
        return 0;
    }
    QApplication app(argc, argv);
    CameraLibraryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_camera_library.moc"
