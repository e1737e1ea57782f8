// Why the portal gave no picture: the classification on its own, the reading
// of the permission store and of KDE's backend against stand-ins on the
// test's own session bus (inside dbus-run-session, on a bus that starts
// nothing by itself), and what the person is then told.

#include "CameraDll/api/failure_box.h"
#include "CameraDll/grab/portal_failure.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QTest>
#include <QThread>

using namespace camera;
using Permission = PortalSurroundings::Permission;
using Kind = PortalAnswer::Kind;

namespace {

const QString kStoreService = QStringLiteral("org.freedesktop.impl.portal.PermissionStore");
const QString kStorePath = QStringLiteral("/org/freedesktop/impl/portal/PermissionStore");
using Table = QMap<QString, QStringList>;

// The permission store's Lookup, with the table's entries as the test sets
// them; no table at all answers as xdg-permission-store does.
class FakeStore : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.impl.portal.PermissionStore")
public:
    bool hasTable = true;
    Table entries;

public slots:
    void Lookup(const QString& table, const QString& id, const QDBusMessage& message) {
        message.setDelayedReply(true);
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                            QStringLiteral("fake-store"));
        if (!hasTable || table != QLatin1String("screenshot") ||
            id != QLatin1String("screenshot")) {
            bus.send(
                message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                                         QStringLiteral("No entry for screenshot")));
            return;
        }
        QDBusMessage reply = message.createReply();
        reply << QVariant::fromValue(entries)
              << QVariant::fromValue(QDBusVariant(QVariant::fromValue(QByteArray())));
        bus.send(reply);
    }
};

} // namespace

Q_DECLARE_METATYPE(camera::GrabFailure)
Q_DECLARE_METATYPE(camera::PortalAnswer::Kind)
Q_DECLARE_METATYPE(camera::PortalSurroundings::Permission)

class PortalFailureTest : public QObject {
    Q_OBJECT
private slots:
    void classify_data();
    void classify();
    void permissionStore_data();
    void permissionStore();
    void kdeBackendGone();
    void texts_data();
    void texts();
};

void PortalFailureTest::classify_data() {
    QTest::addColumn<Kind>("answer");
    QTest::addColumn<Permission>("permission");
    QTest::addColumn<bool>("gnome");
    QTest::addColumn<bool>("kde");
    QTest::addColumn<bool>("backendRunning");
    QTest::addColumn<GrabFailure>("failure");

    QTest::newRow("code 2 with the person's no on record")
        << Kind::Refused << Permission::Denied << false << false << true << GrabFailure::Refused;
    QTest::newRow("code 2 with the permission granted: the service failed")
        << Kind::Refused << Permission::Granted << false << false << true
        << GrabFailure::ServiceFailed;
    QTest::newRow("code 2 with no store") << Kind::Refused << Permission::NoStore << false << false
                                          << true << GrabFailure::ServiceFailed;
    QTest::newRow("code 2 on KDE, backend gone: its QML modules")
        << Kind::Refused << Permission::NoStore << false << true << false
        << GrabFailure::ServiceIncomplete;
    QTest::newRow("code 2 on KDE, backend still there")
        << Kind::Refused << Permission::NoStore << false << true << true
        << GrabFailure::ServiceFailed;
    QTest::newRow("a refusal on record outweighs KDE's backend")
        << Kind::Refused << Permission::Denied << false << true << false << GrabFailure::Refused;
    QTest::newRow("silence on GNOME while it asks")
        << Kind::TimedOut << Permission::NotAsked << true << false << true
        << GrabFailure::Unanswered;
    QTest::newRow("silence on GNOME without a store: asked all the same")
        << Kind::TimedOut << Permission::NoStore << true << false << true
        << GrabFailure::Unanswered;
    QTest::newRow("silence elsewhere, nothing on record: wlroots never asks")
        << Kind::TimedOut << Permission::NotAsked << false << false << true
        << GrabFailure::TimedOut;
    QTest::newRow("silence on GNOME with the permission granted")
        << Kind::TimedOut << Permission::Granted << true << false << true << GrabFailure::TimedOut;
    QTest::newRow("silence with the permission granted")
        << Kind::TimedOut << Permission::Granted << false << false << true << GrabFailure::TimedOut;
    QTest::newRow("silence with no store")
        << Kind::TimedOut << Permission::NoStore << false << false << true << GrabFailure::TimedOut;
    QTest::newRow("an answer without a local picture")
        << Kind::Failed << Permission::Granted << false << false << true
        << GrabFailure::ServiceFailed;
    QTest::newRow("the person cancelled") << Kind::Cancelled << Permission::NotAsked << false
                                          << false << true << GrabFailure::Cancelled;
    QTest::newRow("no portal") << Kind::NoPortal << Permission::NoStore << false << true << false
                               << GrabFailure::NoPortal;
}

void PortalFailureTest::classify() {
    QFETCH(Kind, answer);
    QFETCH(Permission, permission);
    QFETCH(bool, gnome);
    QFETCH(bool, kde);
    QFETCH(bool, backendRunning);
    QFETCH(GrabFailure, failure);
    QCOMPARE(ClassifyPortalFailure(answer, {permission, gnome, kde, backendRunning}), failure);
}

void PortalFailureTest::permissionStore_data() {
    QTest::addColumn<bool>("serve");
    QTest::addColumn<bool>("hasTable");
    QTest::addColumn<Table>("entries");
    QTest::addColumn<Permission>("permission");
    QTest::newRow("no store on the bus") << false << false << Table{} << Permission::NoStore;
    QTest::newRow("nobody asked yet") << true << false << Table{} << Permission::NotAsked;
    QTest::newRow("granted") << true << true << Table{{"", {"yes"}}} << Permission::Granted;
    QTest::newRow("denied") << true << true << Table{{"", {"no"}}} << Permission::Denied;
    // Another program's answer says nothing of this one's.
    QTest::newRow("only a sandboxed program's answer")
        << true << true << Table{{"org.example.App", {"yes"}}} << Permission::NotAsked;
}

void PortalFailureTest::permissionStore() {
    QFETCH(bool, serve);
    QFETCH(bool, hasTable);
    QFETCH(Table, entries);
    QFETCH(Permission, permission);
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-store"));
    // The store answers from a thread of its own: the lookup blocks this one.
    FakeStore store;
    store.hasTable = hasTable;
    store.entries = entries;
    QThread thread;
    store.moveToThread(&thread);
    thread.start();
    if (serve) {
        QVERIFY(bus.registerService(kStoreService));
        QVERIFY(bus.registerObject(kStorePath, &store, QDBusConnection::ExportAllSlots));
    }
    const PortalSurroundings around = LookAround(QDBusConnection::sessionBus());
    bus.unregisterObject(kStorePath);
    bus.unregisterService(kStoreService);
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-store"));
    thread.quit();
    thread.wait();
    QCOMPARE(around.permission, permission);
}

void PortalFailureTest::kdeBackendGone() {
    const QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP");
    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-kde"));
    QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.impl.portal.desktop.kde")));
    const PortalSurroundings running = LookAround(QDBusConnection::sessionBus());
    // As when the backend crashes: its name leaves the bus.
    QVERIFY(bus.unregisterService(QStringLiteral("org.freedesktop.impl.portal.desktop.kde")));
    const PortalSurroundings gone = LookAround(QDBusConnection::sessionBus());
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    const PortalSurroundings gnome = LookAround(QDBusConnection::sessionBus());
    qputenv("XDG_CURRENT_DESKTOP", desktop);
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-kde"));

    QVERIFY(running.kde && running.kdeBackendRunning);
    QVERIFY(gone.kde && !gone.kdeBackendRunning);
    QVERIFY(!gnome.kde && gnome.gnome && !running.gnome);
}

void PortalFailureTest::texts_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("names");
    QTest::newRow("service failed") << int(kServiceFailed) << "截图服务";
    QTest::newRow("KDE's backend without its modules")
        << int(kServiceIncomplete) << "qml-module-org-kde-kirigami2";
    QTest::newRow("the desktop asked, no answer") << int(kUnanswered) << "允许";
    QTest::newRow("refused") << int(kRefused) << "拒绝";
    QTest::newRow("timed out") << int(kTimedOut) << "30 秒";
}

void PortalFailureTest::texts() {
    QFETCH(int, status);
    QFETCH(QString, names);
    const QString text = FailureMessage(Status(status));
    QVERIFY2(text.contains(names), qPrintable(text));
    // Chinese texts take full-width punctuation; package names keep their
    // hyphens.
    for (const QChar c : QStringLiteral(",.:;!?()\"'"))
        QVERIFY2(!text.contains(c), qPrintable(QStringLiteral("%1 in %2").arg(c).arg(text)));
    // Only the refusal sends the person to the privacy settings.
    QCOMPARE(text.contains(QStringLiteral("隐私")), status == kRefused);
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    qDBusRegisterMetaType<Table>();
    if (!QDBusConnection::sessionBus().isConnected())
        qFatal("run inside dbus-run-session: the test needs a private session bus");
    PortalFailureTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_portal_failure.moc"
