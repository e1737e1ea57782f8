#include "CameraDll/grab/portal_failure.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

namespace camera {

namespace {

constexpr int kLookupTimeoutMs = 2000;

PortalSurroundings::Permission LookUpPermission(QDBusConnection& bus) {
    QDBusMessage lookup = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"),
        QStringLiteral("/org/freedesktop/impl/portal/PermissionStore"),
        QStringLiteral("org.freedesktop.impl.portal.PermissionStore"), QStringLiteral("Lookup"));
    lookup << QStringLiteral("screenshot") << QStringLiteral("screenshot");
    const QDBusMessage reply = bus.call(lookup, QDBus::Block, kLookupTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        // A store without the table: nobody has been asked yet.
        return reply.errorName() == QLatin1String("org.freedesktop.portal.Error.NotFound")
                   ? PortalSurroundings::Permission::NotAsked
                   : PortalSurroundings::Permission::NoStore;
    }
    if (reply.arguments().isEmpty())
        return PortalSurroundings::Permission::NoStore;
    // a{sas}: by application id; programs outside a sandbox have "".
    const auto table = qdbus_cast<QMap<QString, QStringList>>(reply.arguments().constFirst());
    const QStringList answer = table.value(QString());
    if (answer.contains(QLatin1String("yes")))
        return PortalSurroundings::Permission::Granted;
    if (answer.contains(QLatin1String("no")))
        return PortalSurroundings::Permission::Denied;
    return PortalSurroundings::Permission::NotAsked;
}

} // namespace

PortalSurroundings LookAround(QDBusConnection bus) {
    PortalSurroundings around;
    if (!bus.isConnected())
        return around;
    around.permission = LookUpPermission(bus);
    const QStringList desktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'));
    around.gnome = desktops.contains(QLatin1String("GNOME"), Qt::CaseInsensitive);
    around.kde = desktops.contains(QLatin1String("KDE"), Qt::CaseInsensitive);
    if (around.kde && bus.interface())
        around.kdeBackendRunning =
            bus.interface()
                ->isServiceRegistered(QStringLiteral("org.freedesktop.impl.portal.desktop.kde"))
                .value();
    return around;
}

GrabFailure ExplainPortalFailure(PortalAnswer::Kind answer, QDBusConnection bus) {
    const bool asks =
        answer == PortalAnswer::Kind::Refused || answer == PortalAnswer::Kind::TimedOut;
    return ClassifyPortalFailure(answer, asks ? LookAround(std::move(bus)) : PortalSurroundings());
}

GrabFailure ClassifyPortalFailure(PortalAnswer::Kind answer, const PortalSurroundings& around) {
    using Permission = PortalSurroundings::Permission;
    switch (answer) {
    case PortalAnswer::Kind::Picture:
        return GrabFailure::None;
    case PortalAnswer::Kind::Cancelled:
        return GrabFailure::Cancelled;
    case PortalAnswer::Kind::NoPortal:
        return GrabFailure::NoPortal;
    case PortalAnswer::Kind::Refused:
        if (around.permission == Permission::Denied)
            return GrabFailure::Refused;
        if (around.kde && !around.kdeBackendRunning)
            return GrabFailure::ServiceIncomplete;
        return GrabFailure::ServiceFailed;
    case PortalAnswer::Kind::TimedOut:
        // Without the store the frontend takes the permission for unset, and
        // asks all the same.
        if (around.gnome &&
            (around.permission == Permission::NotAsked || around.permission == Permission::NoStore))
            return GrabFailure::Unanswered;
        return GrabFailure::TimedOut;
    case PortalAnswer::Kind::Failed:
        return GrabFailure::ServiceFailed;
    }
    return GrabFailure::ServiceFailed;
}

} // namespace camera
