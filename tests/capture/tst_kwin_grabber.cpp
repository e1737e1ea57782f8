// The KWin backend against a stand-in for KWin's org.kde.KWin.ScreenShot2,
// served on the test's own session bus (inside dbus-run-session, on a bus
// that starts nothing by itself). Like KWin, the stand-in answers the call
// with the picture's layout and then writes the rows into the caller's pipe
// from another thread, so the two sides really run at once.

#include "CameraDll/grab/fallback_grabber.h"
#include "CameraDll/grab/kwin_grabber.h"
#include "CameraDll/grab/kwin_screenshot.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <thread>

using namespace camera;

namespace {

const QString kService = QStringLiteral("org.kde.KWin");
const QString kPath = QStringLiteral("/org/kde/KWin/ScreenShot2");

enum class Script {
    Picture,
    RowsBeforeAnswer, // the pipe filled before the method's reply is read
    NotAuthorized,
    ShortRows, // the pipe closed halfway
    BadStride, // a stride that cannot hold a row
    Silent,    // no answer at all
};

class FakeKWin : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.KWin.ScreenShot2")
public:
    explicit FakeKWin(QDBusConnection bus) : bus_(std::move(bus)) {}
    ~FakeKWin() override {
        for (std::thread& writer : writers_)
            writer.join();
    }

    Script script = Script::Picture;
    QStringList asked;
    QVariantMap options;

public slots:
    QVariantMap CaptureScreen(const QString& name, const QVariantMap& given,
                              const QDBusUnixFileDescriptor& pipe, const QDBusMessage& message) {
        asked << name;
        options = given;
        message.setDelayedReply(true);
        if (script == Script::NotAuthorized) {
            bus_.send(message.createErrorReply(
                QStringLiteral("org.kde.KWin.ScreenShot2.Error.NoAuthorized"),
                QStringLiteral("The process is not authorized to take a screenshot")));
            return {};
        }
        if (script == Script::Silent)
            return {};
        const QSize size = QGuiApplication::primaryScreen()->geometry().size() *
                           QGuiApplication::primaryScreen()->devicePixelRatio();
        // A padded stride, as GPU buffers have, and a premultiplied format,
        // as KWin's OpenGL read-back gives.
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(20, 40, 60));
        for (int y = 0; y < size.height(); ++y)
            image.setPixelColor(y % size.width(), y, QColor(250, 10, 10));
        const int stride = image.width() * 4 + 64;
        QByteArray rows(stride * image.height(), '\0');
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(rows.data() + qsizetype(y) * stride, image.constScanLine(y),
                        std::size_t(image.width()) * 4);
        QVariantMap answer{{QStringLiteral("type"), QStringLiteral("raw")},
                           {QStringLiteral("format"), quint32(image.format())},
                           {QStringLiteral("width"), quint32(image.width())},
                           {QStringLiteral("height"), quint32(image.height())},
                           {QStringLiteral("stride"), quint32(stride)},
                           {QStringLiteral("scale"), 1.0},
                           {QStringLiteral("screen"), name}};
        if (script == Script::BadStride)
            answer[QStringLiteral("stride")] = quint32(image.width() * 2);
        if (script == Script::ShortRows)
            rows.truncate(rows.size() / 2);
        const int fd = fcntl(pipe.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
        if (script == Script::RowsBeforeAnswer) {
            // Fits the pipe only in part: the writer waits for the reader.
            writers_.emplace_back([fd, rows] { Write(fd, rows); });
            QThread::msleep(50);
            bus_.send(message.createReply(answer));
        } else {
            bus_.send(message.createReply(answer));
            writers_.emplace_back([fd, rows] { Write(fd, rows); });
        }
        return {};
    }

private:
    static void Write(int fd, QByteArray rows) {
        for (qsizetype done = 0; done < rows.size();) {
            const ssize_t wrote = ::write(fd, rows.constData() + done, rows.size() - done);
            if (wrote <= 0)
                break;
            done += wrote;
        }
        ::close(fd);
    }

    QDBusConnection bus_;
    std::vector<std::thread> writers_;
};

// A backend that answers as told and counts its calls.
class ScriptedGrabber : public ScreenGrabber {
public:
    ScriptedGrabber(GrabFailure failure, int& calls) : failure_(failure), calls_(calls) {}
    const char* name() const override { return "scripted"; }
    GrabOutcome grab() override {
        ++calls_;
        if (failure_ != GrabFailure::None)
            return GrabOutcome::failed(failure_, QStringLiteral("scripted"));
        GrabOutcome outcome;
        outcome.shots.push_back({QRect(0, 0, 4, 4), QPixmap(4, 4), nullptr});
        return outcome;
    }

private:
    GrabFailure failure_;
    int& calls_;
};

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(camera::GrabFailure)

class KWinGrabberTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void picturePerOutput_data();
    void picturePerOutput();
    void noPicture_data();
    void noPicture();
    void noKWinOnTheBus();
    void rawPictureChecks_data();
    void rawPictureChecks();
    void fallback_data();
    void fallback();

private:
    GrabOutcome grab(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        KWinGrabber grabber(QDBusConnection::sessionBus(), timeout);
        return grabber.grab();
    }

    QDBusConnection kwinBus_{QString()};
    std::unique_ptr<FakeKWin> kwin_;
};

void KWinGrabberTest::initTestCase() {
    QVERIFY2(QDBusConnection::sessionBus().isConnected(),
             "run inside dbus-run-session: the test needs a private session bus");
}

void KWinGrabberTest::init() {
    // KWin on a connection of its own, as a separate process would be.
    kwinBus_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-kwin"));
    kwin_ = std::make_unique<FakeKWin>(kwinBus_);
    QVERIFY(kwinBus_.registerService(kService));
    QVERIFY(kwinBus_.registerObject(kPath, kwin_.get(), QDBusConnection::ExportAllSlots));
}

void KWinGrabberTest::cleanup() {
    kwinBus_.unregisterObject(kPath);
    kwinBus_.unregisterService(kService);
    kwin_.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-kwin"));
}

void KWinGrabberTest::picturePerOutput_data() {
    QTest::addColumn<Script>("script");
    QTest::newRow("rows after the answer") << Script::Picture;
    QTest::newRow("rows before the answer") << Script::RowsBeforeAnswer;
}

void KWinGrabberTest::picturePerOutput() {
    QFETCH(Script, script);
    kwin_->script = script;
    const GrabOutcome outcome = grab();
    QVERIFY2(outcome.failure == GrabFailure::None, qPrintable(outcome.detail));

    // Every screen asked for by its output name, without the pointer and
    // at the output's own resolution.
    QStringList names;
    for (QScreen* screen : QGuiApplication::screens())
        names << screen->name();
    QCOMPARE(kwin_->asked, names);
    QCOMPARE(kwin_->options.value(QStringLiteral("include-cursor")), QVariant(false));
    QCOMPARE(kwin_->options.value(QStringLiteral("native-resolution")), QVariant(true));

    QScreen* screen = QGuiApplication::primaryScreen();
    QCOMPARE(outcome.shots.size(), std::size_t(QGuiApplication::screens().size()));
    const ScreenShot& shot = outcome.shots.front();
    QCOMPARE(shot.screen, screen);
    QCOMPARE(shot.geometry, screen->geometry());
    QCOMPARE(shot.pixmap.size(), screen->geometry().size() * screen->devicePixelRatio());
    // The padding between rows is dropped: the diagonal stays a diagonal.
    const QImage image = shot.pixmap.toImage();
    QCOMPARE(image.format(), QImage::Format_RGB32);
    for (int y : {0, 1, 200, image.height() - 1}) {
        QCOMPARE(image.pixelColor(y % image.width(), y), QColor(250, 10, 10));
        QCOMPARE(image.pixelColor((y + 7) % image.width(), y), QColor(20, 40, 60));
    }
}

void KWinGrabberTest::noPicture_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<GrabFailure>("failure");
    // Refused: the portal is then asked instead.
    QTest::newRow("no desktop entry lists the interface")
        << Script::NotAuthorized << GrabFailure::Refused;
    QTest::newRow("the pipe ends halfway") << Script::ShortRows << GrabFailure::NoScreen;
    QTest::newRow("a stride too small for a row") << Script::BadStride << GrabFailure::NoScreen;
    QTest::newRow("no answer") << Script::Silent << GrabFailure::TimedOut;
}

void KWinGrabberTest::noPicture() {
    QFETCH(Script, script);
    QFETCH(GrabFailure, failure);
    kwin_->script = script;
    const GrabOutcome outcome = grab(std::chrono::milliseconds(1500));
    QCOMPARE(outcome.failure, failure);
    QVERIFY(outcome.shots.empty());
    QVERIFY(!outcome.detail.isEmpty());
}

void KWinGrabberTest::noKWinOnTheBus() {
    cleanup();
    QCOMPARE(grab().failure, GrabFailure::NoPortal);
    init();
}

void KWinGrabberTest::rawPictureChecks_data() {
    QTest::addColumn<uint>("format");
    QTest::addColumn<qint64>("width");
    QTest::addColumn<qint64>("height");
    QTest::addColumn<qint64>("stride");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("valid");
    const uint rgb32 = QImage::Format_RGB32;
    QTest::newRow("exact rows") << rgb32 << 3ll << 2ll << 12ll << 24ll << true;
    QTest::newRow("padded rows, more bytes than needed")
        << rgb32 << 3ll << 2ll << 16ll << 40ll << true;
    QTest::newRow("RGBX from a GLES read-back")
        << uint(QImage::Format_RGBX8888) << 3ll << 2ll << 12ll << 24ll << true;
    QTest::newRow("16-bit pixels")
        << uint(QImage::Format_RGB16) << 3ll << 2ll << 12ll << 24ll << false;
    QTest::newRow("no format") << 0u << 3ll << 2ll << 12ll << 24ll << false;
    QTest::newRow("a format Qt does not know") << 999u << 3ll << 2ll << 12ll << 24ll << false;
    QTest::newRow("stride below a row") << rgb32 << 3ll << 2ll << 8ll << 24ll << false;
    QTest::newRow("stride not a multiple of four") << rgb32 << 3ll << 2ll << 14ll << 28ll << false;
    QTest::newRow("a byte short") << rgb32 << 3ll << 2ll << 12ll << 23ll << false;
    QTest::newRow("no width") << rgb32 << 0ll << 2ll << 12ll << 24ll << false;
    // 2^31 bytes would wrap in an int.
    QTest::newRow("beyond 2 GiB") << rgb32 << 32768ll << 16384ll << 131072ll << 24ll << false;
}

void KWinGrabberTest::rawPictureChecks() {
    QFETCH(uint, format);
    QFETCH(qint64, width);
    QFETCH(qint64, height);
    QFETCH(qint64, stride);
    QFETCH(qint64, bytes);
    QFETCH(bool, valid);
    QByteArray data(bytes, '\x7f');
    const QVariantMap answer{{QStringLiteral("format"), format},
                             {QStringLiteral("width"), quint32(width)},
                             {QStringLiteral("height"), quint32(height)},
                             {QStringLiteral("stride"), quint32(stride)}};
    QString error;
    const QImage image = RawScreenImage(answer, data, &error);
    QCOMPARE(!image.isNull(), valid);
    QCOMPARE(error.isEmpty(), valid);
    if (valid) {
        QCOMPARE(image.size(), QSize(int(width), int(height)));
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QCOMPARE(qAlpha(image.pixel(int(width) - 1, int(height) - 1)), 255);
    }
}

void KWinGrabberTest::fallback_data() {
    QTest::addColumn<GrabFailure>("first");
    QTest::addColumn<int>("secondCalls");
    QTest::newRow("first gives the picture") << GrabFailure::None << 0;
    QTest::newRow("first refused") << GrabFailure::Refused << 1;
    QTest::newRow("first not there") << GrabFailure::NoPortal << 1;
    QTest::newRow("first gave a broken picture") << GrabFailure::NoScreen << 1;
    // The person said no in the desktop's dialog: not asked twice.
    QTest::newRow("cancelled by the person") << GrabFailure::Cancelled << 0;
}

void KWinGrabberTest::fallback() {
    QFETCH(GrabFailure, first);
    QFETCH(int, secondCalls);
    int firstCalls = 0, calls = 0, made = 0;
    FallbackGrabber grabber(std::make_unique<ScriptedGrabber>(first, firstCalls), [&] {
        ++made;
        return std::make_unique<ScriptedGrabber>(GrabFailure::None, calls);
    });
    const GrabOutcome outcome = grabber.grab();
    QCOMPARE(firstCalls, 1);
    QCOMPARE(calls, secondCalls);
    QCOMPARE(made, secondCalls); // made only when needed
    QCOMPARE(outcome.failure, secondCalls ? GrabFailure::None : first);
}

int main(int argc, char** argv) {
    // A writer whose reader gave up gets EPIPE, as KWin's does, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    KWinGrabberTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kwin_grabber.moc"
