// The desktop-portal backend against a stand-in portal served on the test's
// own session bus (run inside dbus-run-session, on a bus that starts nothing
// by itself). The stand-in answers the way the script of each case says.

#include "CameraDll/grab/portal_grabber.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace camera;

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");

enum class Script {
    AnswerAfterReply,
    AnswerBeforeReply,
    OtherHandleFirst, // an answer for someone else's request comes first
    OwnHandle,        // an old portal that names the request itself
    Cancel,
    Refuse,
    Silent,
};

// One Request object, which records being closed.
class FakeRequest : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    explicit FakeRequest(QStringList& closed, QString path)
        : closed_(closed), path_(std::move(path)) {}
public slots:
    void Close() { closed_ << path_; }

private:
    QStringList& closed_;
    QString path_;
};

class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    explicit FakePortal(QDBusConnection bus) : bus_(std::move(bus)) {}

    Script script = Script::AnswerAfterReply;
    QString uri;
    QString otherUri;
    QStringList tokens;
    QVariantMap lastOptions;
    QStringList closed;

public slots:
    QDBusObjectPath Screenshot(const QString&, const QVariantMap& options,
                               const QDBusMessage& message) {
        lastOptions = options;
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        tokens << token;
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        QString path = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
        if (script == Script::OwnHandle)
            path = kPath + QStringLiteral("/request/old_style_1");
        auto* request = new FakeRequest(closed, path);
        request->setParent(this);
        bus_.registerObject(path, request, QDBusConnection::ExportAllSlots);

        message.setDelayedReply(true);
        const QDBusMessage reply = message.createReply(QVariant::fromValue(QDBusObjectPath(path)));
        switch (script) {
        case Script::AnswerBeforeReply:
            respond(path, 0, uri);
            bus_.send(reply);
            break;
        case Script::OtherHandleFirst:
            respond(kPath + QStringLiteral("/request/1_99/someone_else"), 0, otherUri);
            bus_.send(reply);
            QTimer::singleShot(20, this, [this, path] { respond(path, 0, uri); });
            break;
        case Script::Silent:
            bus_.send(reply);
            break;
        default:
            bus_.send(reply);
            const uint code = script == Script::Cancel ? 1 : script == Script::Refuse ? 2 : 0;
            QTimer::singleShot(20, this, [this, path, code] { respond(path, code, uri); });
            break;
        }
        return {};
    }

private:
    void respond(const QString& path, uint code, const QString& file) {
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        QVariantMap results;
        if (code == 0)
            results.insert(QStringLiteral("uri"), file);
        signal << code << results;
        bus_.send(signal);
    }

    QDBusConnection bus_;
};

// The whole desktop at twice the screen's scale, one colour a quadrant, as
// the portal would write it.
QString WritePicture(const QString& path, QColor topLeft) {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QImage picture(screen * 2, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QPainter painter(&picture);
    painter.fillRect(QRect(QPoint(), screen), topLeft);
    painter.end();
    if (!picture.save(path, "PNG"))
        qFatal("cannot write %s", qPrintable(path));
    return QUrl::fromLocalFile(path).toString();
}

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(camera::GrabFailure)

class PortalGrabberTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void picture_data();
    void picture();
    void answersWithoutPicture_data();
    void answersWithoutPicture();
    void timeOutClosesTheRequest();
    void noPortalOnTheBus();
    void filesOutsideTheAllowedFoldersAreKept_data();
    void filesOutsideTheAllowedFoldersAreKept();
    // Last: once the application has quit, no event loop runs again.
    void quittingDuringTheWaitCancelsAndCloses();

private:
    GrabOutcome grab(std::chrono::milliseconds timeout = std::chrono::seconds(10));

    QDBusConnection portalBus_{QString()};
    std::unique_ptr<FakePortal> portal_;
    QTemporaryDir allowed_;
    QTemporaryDir elsewhere_;
};

void PortalGrabberTest::initTestCase() {
    QVERIFY2(QDBusConnection::sessionBus().isConnected(),
             "run inside dbus-run-session: the test needs a private session bus");
    QVERIFY(allowed_.isValid() && elsewhere_.isValid());
}

void PortalGrabberTest::init() {
    // The portal on a connection of its own, as a separate process would be.
    portalBus_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal"));
    portal_ = std::make_unique<FakePortal>(portalBus_);
    QVERIFY(portalBus_.registerService(kService));
    QVERIFY(portalBus_.registerObject(kPath, portal_.get(), QDBusConnection::ExportAllSlots));
}

void PortalGrabberTest::cleanup() {
    portalBus_.unregisterObject(kPath, QDBusConnection::UnregisterTree);
    portalBus_.unregisterService(kService);
    portal_.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
}

GrabOutcome PortalGrabberTest::grab(std::chrono::milliseconds timeout) {
    PortalGrabber grabber(QDBusConnection::sessionBus(), timeout, {allowed_.path()});
    return grabber.grab();
}

void PortalGrabberTest::picture_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("name");
    QTest::newRow("answer after the reply") << Script::AnswerAfterReply << "out.png";
    QTest::newRow("answer before the reply") << Script::AnswerBeforeReply << "out.png";
    QTest::newRow("another request's answer first") << Script::OtherHandleFirst << "out.png";
    QTest::newRow("a request path of the portal's choosing") << Script::OwnHandle << "out.png";
    QTest::newRow("Chinese characters and a space in the path")
        << Script::AnswerAfterReply << "截图 测试.png";
}

void PortalGrabberTest::picture() {
    QFETCH(Script, script);
    QFETCH(QString, name);
    const QString file = allowed_.filePath(name);
    portal_->script = script;
    portal_->uri = WritePicture(file, Qt::red);
    portal_->otherUri = WritePicture(elsewhere_.filePath(QStringLiteral("other.png")), Qt::blue);

    const GrabOutcome outcome = grab();
    QCOMPARE(outcome.failure, GrabFailure::None);
    // No dialog, and a token of its own for every call.
    QCOMPARE(portal_->lastOptions.value(QStringLiteral("interactive")), QVariant(false));
    QCOMPARE(portal_->tokens.size(), 1);
    QVERIFY(!portal_->tokens.front().isEmpty());
    QVERIFY(portal_->closed.isEmpty());

    QScreen* screen = QGuiApplication::primaryScreen();
    QCOMPARE(outcome.shots.size(), std::size_t(QGuiApplication::screens().size()));
    const ScreenShot& shot = outcome.shots.front();
    QCOMPARE(shot.geometry, screen->geometry());
    QCOMPARE(shot.screen, screen);
    // The picture came at twice the scale; the shot is in the screen's own.
    QCOMPARE(shot.pixmap.size(), screen->geometry().size() * screen->devicePixelRatio());
    const QImage image = shot.pixmap.toImage();
    QCOMPARE(image.pixelColor(10, 10), QColor(Qt::red)); // not the other request's blue
    QCOMPARE(image.pixelColor(image.width() - 10, image.height() - 10), QColor(Qt::darkGreen));
    // A capture leaves no picture behind.
    QVERIFY(!QFile::exists(file));
}

void PortalGrabberTest::answersWithoutPicture_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<GrabFailure>("failure");
    QTest::newRow("code 1: the person cancelled") << Script::Cancel << GrabFailure::Cancelled;
    // Code 2 is a refusal only where the person's no is on record (no store here).
    QTest::newRow("code 2: the service failed") << Script::Refuse << GrabFailure::ServiceFailed;
}

void PortalGrabberTest::answersWithoutPicture() {
    QFETCH(Script, script);
    QFETCH(GrabFailure, failure);
    portal_->script = script;
    const GrabOutcome outcome = grab();
    QCOMPARE(outcome.failure, failure);
    QVERIFY(outcome.shots.empty());
    QVERIFY(portal_->closed.isEmpty());
}

void PortalGrabberTest::timeOutClosesTheRequest() {
    portal_->script = Script::Silent;
    const GrabOutcome outcome = grab(std::chrono::milliseconds(300));
    QCOMPARE(outcome.failure, GrabFailure::TimedOut);
    QCOMPARE(portal_->tokens.size(), 1);
    // The request the portal made for this call, and no other.
    QTRY_COMPARE(portal_->closed.size(), 1);
    QVERIFY(portal_->closed.front().endsWith(QLatin1Char('/') + portal_->tokens.front()));
}

void PortalGrabberTest::noPortalOnTheBus() {
    cleanup();
    QCOMPARE(grab().failure, GrabFailure::NoPortal);
    init();
}

void PortalGrabberTest::filesOutsideTheAllowedFoldersAreKept_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("in another folder") << "elsewhere";
    QTest::newRow("reached from an allowed folder through ..") << "dotdot";
    QTest::newRow("through a link in an allowed folder") << "link";
    QTest::newRow("a link in an allowed folder to a picture there") << "link inside";
}

void PortalGrabberTest::filesOutsideTheAllowedFoldersAreKept() {
    QFETCH(QString, how);
    QString file = elsewhere_.filePath(QStringLiteral("keep-%1.png").arg(how));
    portal_->uri = WritePicture(file, Qt::red);
    if (how == QLatin1String("dotdot")) {
        portal_->uri = QUrl::fromLocalFile(allowed_.path() + QStringLiteral("/../") +
                                           QFileInfo(elsewhere_.path()).fileName() +
                                           QLatin1Char('/') + QFileInfo(file).fileName())
                           .toString();
    }
    QString link;
    if (how.startsWith(QLatin1String("link"))) {
        if (how == QLatin1String("link inside")) {
            QVERIFY(QFile::rename(file, allowed_.filePath(QStringLiteral("inside.png"))));
            file = allowed_.filePath(QStringLiteral("inside.png"));
        }
        link = allowed_.filePath(QStringLiteral("link-%1.png").arg(how));
        QVERIFY(QFile::link(file, link));
        portal_->uri = QUrl::fromLocalFile(link).toString();
    }
    const GrabOutcome outcome = grab();
    QCOMPARE(outcome.failure, GrabFailure::None);
    QCOMPARE(outcome.shots.front().pixmap.toImage().pixelColor(10, 10), QColor(Qt::red));
    QVERIFY(QFile::exists(file));
    if (!link.isEmpty())
        QVERIFY(QFileInfo(link).isSymLink());
}

void PortalGrabberTest::quittingDuringTheWaitCancelsAndCloses() {
    portal_->script = Script::Silent;
    QTimer::singleShot(200, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    QCOMPARE(grab().failure, GrabFailure::Cancelled);
    QCOMPARE(portal_->tokens.size(), 1);
    QTRY_COMPARE(portal_->closed.size(), 1);
    QVERIFY(portal_->closed.front().endsWith(QLatin1Char('/') + portal_->tokens.front()));
    // Asked again after the quit, it does not wait at all.
    QCOMPARE(grab().failure, GrabFailure::Cancelled);
}

int main(int argc, char** argv) {
    // The offscreen platform, whatever the environment says: the test needs
    // screens, not a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    PortalGrabberTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_portal_grabber.moc"
