#pragma once

#include <QGuiApplication>
#include <QString>

namespace camera {

// Qt's Wayland platform comes in several flavours: "wayland",
// "wayland-egl", "wayland-brcm", ...
inline bool IsWaylandPlatform(const QString& platformName) {
    return platformName.startsWith(QLatin1String("wayland"));
}

// Whether this process talks Wayland to its compositor.
inline bool OnWayland() {
    return IsWaylandPlatform(QGuiApplication::platformName());
}

} // namespace camera
