"""A headless GNOME Shell (mutter) for the end-to-end runs, with GNOME's
portal backend.

gnome-shell needs a system bus, which a second private dbus-daemon gives,
and dconf for its settings. It starts in the overview, which one Escape
leaves. Input goes through mutter's RemoteDesktop interface: absolute pointer
motion is given within a ScreenCast stream of the monitor, made in the same
session. The screen is read through the shell's own Screenshot interface,
which answers only callers owning one of a few well-known names; its
picture of the whole stage is cut into monitors by their places. Monitors
are laid out in device pixels, as GNOME 43 does; the layout and scales are
the shell's stored configuration, written before it starts.
"""

import os

from gi.repository import Gio, GLib

import desktop_session
import sway_session
from desktop_session import Output, check, log, wait_until
from harness import run_tool

# Scale 1; a 4K monitor at scale 2 left of a 1080p one at scale 1 (a laptop
# beside a monitor); and a lone monitor at scale 2.
SCALE_1 = (Output("Meta-0", (1920, 1080), (0, 0), 1),)
MIXED = (Output("Meta-0", (3840, 2160), (0, 0), 2), Output("Meta-1", (1920, 1080), (3840, 0), 1))
LONE_SCALE_2 = (Output("Meta-0", (3840, 2160), (0, 0), 2),)

_SYSTEM_BUS = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""

_MONITORS = """<monitors version="2">
  <configuration>
{logical}  </configuration>
</monitors>
"""

_LOGICAL_MONITOR = """    <logicalmonitor>
      <x>{x}</x>
      <y>{y}</y>
      <scale>{scale}</scale>
      <primary>{primary}</primary>
      <monitor>
        <monitorspec>
          <connector>{connector}</connector>
          <vendor>MetaVendor</vendor>
          <product>MetaVirtualMonitor</product>
          <serial>{serial}</serial>
        </monitorspec>
        <mode>
          <width>{width}</width>
          <height>{height}</height>
          <rate>60.000</rate>
        </mode>
      </monitor>
    </logicalmonitor>
"""

_KEYSYMS = {"Return": 0xff0d, "Escape": 0xff1b, "Tab": 0xff09}
_BTN_LEFT = 0x110


class GnomeDesktop(desktop_session.FullDesktop):
    desktop_name = "GNOME"
    button_mnemonic = "(O)"

    def start(self):
        self._prepare()
        env = self.env
        runtime = env["XDG_RUNTIME_DIR"]
        # An empty system bus: without one the shell aborts at start.
        socket = os.path.join(runtime, "system_bus_socket")
        config = os.path.join(self.workdir, "system-bus.conf")
        with open(config, "w") as handle:
            handle.write(_SYSTEM_BUS.format(socket=socket))
        self._start("system-bus", ["dbus-daemon", "--nofork", f"--config-file={config}"])
        wait_until("the system bus", lambda: os.path.exists(socket))
        env["DBUS_SYSTEM_BUS_ADDRESS"] = f"unix:path={socket}"

        self._write_monitors()
        self._start("dconf", ["/usr/libexec/dconf-service"])
        wait_until("dconf", lambda: self.name_owned("ca.desrt.dconf"))

        argv = ["gnome-shell", "--headless", "--wayland", "--no-x11", "--wayland-display=wl-gnome"]
        for output in self.outputs_made:
            argv.append(f"--virtual-monitor={output.size[0]}x{output.size[1]}")
        self._start("gnome-shell", argv)
        env["WAYLAND_DISPLAY"] = "wl-gnome"
        wait_until("GNOME Shell on the bus", lambda: os.path.exists(os.path.join(runtime, "wl-gnome"))
                   and all(self.name_owned(name) for name in (
                       "org.gnome.Shell", "org.gnome.Mutter.DisplayConfig",
                       "org.gnome.Mutter.RemoteDesktop", "org.gnome.Mutter.ScreenCast",
                       "org.gnome.Shell.Screenshot")), timeout=60)
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        # The shell answers screenshots only to a few well-known names.
        self._call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                   "RequestName", GLib.Variant("(su)", ("org.gnome.Screenshot", 4)))
        wait_until("the monitors at their scales", self._scales_applied)
        self._settings()
        self._start_session_services([
            ("portal-gnome", "/usr/libexec/xdg-desktop-portal-gnome",
             "org.freedesktop.impl.portal.desktop.gnome"),
            ("portal-gtk", "/usr/libexec/xdg-desktop-portal-gtk",
             "org.freedesktop.impl.portal.desktop.gtk")])
        self._remote_desktop()
        # The shell starts in the overview.
        self.key("Escape")
        wait_until("the overview to close", lambda: not self._overview_active())
        wait_until("the wallpapers", self.wallpapers_drawn)
        log(f"GNOME Shell ready with {[o.name for o in self.outputs_made]}")

    def _settings(self):
        width = max(o.place[0] + o.size[0] for o in self.outputs_made)
        height = max(o.place[1] + o.size[1] for o in self.outputs_made)
        # The picture zoomed to fill each monitor: the monitors differ in
        # size, so they still differ in pixels.
        picture = sway_session.wallpaper(self.workdir, self.env, "gnome", f"{width}x{height}",
                                         first=True)
        for schema, key, value in (
                ("org.gnome.desktop.background", "picture-uri", f"'file://{picture}'"),
                ("org.gnome.desktop.background", "picture-options", "'zoom'"),
                ("org.gnome.desktop.interface", "enable-animations", "false"),
                ("org.gnome.desktop.interface", "cursor-blink", "false")):
            run_tool(["gsettings", "set", schema, key, value], self.env)

    def _call(self, service, path, interface, method, parameters=None, reply=None,
              timeout=30000, fds=None):
        if fds is not None:
            result, _ = self.bus.call_with_unix_fd_list_sync(
                service, path, interface, method, parameters,
                GLib.VariantType(reply) if reply else None, Gio.DBusCallFlags.NONE, timeout, fds,
                None)
            return result
        return self.bus.call_sync(service, path, interface, method, parameters,
                                  GLib.VariantType(reply) if reply else None,
                                  Gio.DBusCallFlags.NONE, timeout, None)

    def _overview_active(self):
        value = self._call("org.gnome.Shell", "/org/gnome/Shell",
                           "org.freedesktop.DBus.Properties", "Get",
                           GLib.Variant("(ss)", ("org.gnome.Shell", "OverviewActive")))
        return value.unpack()[0]

    def _write_monitors(self):
        """The layout and scales as the shell's stored configuration, read at
        start. (Set through DisplayConfig once the shell is up instead, a
        monitor now and then stays grey for good.)"""
        logical = []
        for index, o in enumerate(self.outputs_made):
            # Mutter's virtual monitors: connector Meta-N, serial 0xNN.
            logical.append(_LOGICAL_MONITOR.format(
                x=o.place[0], y=o.place[1], scale=o.scale, primary="yes" if index == 0 else "no",
                connector=o.name, serial=f"0x{index:02x}", width=o.size[0], height=o.size[1]))
        with open(os.path.join(self.env["XDG_CONFIG_HOME"], "monitors.xml"), "w") as handle:
            handle.write(_MONITORS.format(logical="".join(logical)))

    def _scales_applied(self):
        _, _, logical, _ = self._call("org.gnome.Mutter.DisplayConfig",
                                      "/org/gnome/Mutter/DisplayConfig",
                                      "org.gnome.Mutter.DisplayConfig",
                                      "GetCurrentState").unpack()
        found = {monitors[0][0]: (x, y, scale) for x, y, scale, _, _, monitors, _ in logical}
        return all(found.get(o.name) == (o.place[0], o.place[1], o.scale)
                   for o in self.outputs_made)

    def _remote_desktop(self):
        """A RemoteDesktop session with one screen-cast stream per monitor,
        which absolute pointer motion is given against."""
        path = self._call("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                          "org.gnome.Mutter.RemoteDesktop", "CreateSession").unpack()[0]
        self._remote = path
        session_id = self._call("org.gnome.Mutter.RemoteDesktop", path,
                                "org.freedesktop.DBus.Properties", "Get",
                                GLib.Variant("(ss)", ("org.gnome.Mutter.RemoteDesktop.Session",
                                                      "SessionId"))).unpack()[0]
        cast = self._call("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast",
                          "org.gnome.Mutter.ScreenCast", "CreateSession",
                          GLib.Variant("(a{sv})", ({"remote-desktop-session-id":
                                                    GLib.Variant("s", session_id)},))).unpack()[0]
        self._streams = {}
        for output in self.outputs_made:
            self._streams[output.name] = self._call(
                "org.gnome.Mutter.ScreenCast", cast, "org.gnome.Mutter.ScreenCast.Session",
                "RecordMonitor", GLib.Variant("(sa{sv})", (output.name, {}))).unpack()[0]
        self._call("org.gnome.Mutter.RemoteDesktop", path,
                   "org.gnome.Mutter.RemoteDesktop.Session", "Start")

    def _notify(self, method, signature, values):
        self._call("org.gnome.Mutter.RemoteDesktop", self._remote,
                   "org.gnome.Mutter.RemoteDesktop.Session", method,
                   GLib.Variant(signature, values))

    def pointer(self, command, output=None, x=None, y=None):
        if command == "move":
            # Within the monitor's stream, which is in device pixels.
            # Within the monitor's stream, in device pixels. Mutter 43 checks
            # them against the monitor's logical size, though: on a scaled
            # monitor only its top-left part can be reached (see
            # selection_box).
            self._notify("NotifyPointerMotionAbsolute", "(sdd)",
                         (self._streams[output.name], float(x * output.scale),
                          float(y * output.scale)))
        else:
            self._notify("NotifyPointerButton", "(ib)", (_BTN_LEFT, command == "press"))

    def selection_box(self, output):
        if output.scale == 1:
            return super().selection_box(output)
        # Within the part of a scaled monitor the pointer can reach, right of
        # where the shell puts the program's window.
        width, height = desktop_session.logical_size(output)
        return width // 4 + 20, height // 4 + 30, 200, 100

    def key(self, name):
        for pressed in (True, False):
            self._notify("NotifyKeyboardKeysym", "(ub)", (_KEYSYMS[name], pressed))

    def grab(self, output, path):
        # The whole stage, cut: the shell's ScreenshotArea takes areas in
        # another space than the stage's device pixels, and refuses most of
        # those on a scaled monitor.
        whole = os.path.join(self.workdir, "stage.png")
        ok, _ = self._call("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                           "org.gnome.Shell.Screenshot", "Screenshot",
                           GLib.Variant("(bbs)", (False, False, whole))).unpack()
        check(ok, "the shell took no screenshot")
        (x, y), (width, height) = output.place, output.size
        run_tool(["convert", whole, "-crop", f"{width}x{height}+{x}+{y}", "+repage", path],
                 self.env, timeout=60)
        return path


class GnomeSession(desktop_session.DesktopSession):
    desktop_class = GnomeDesktop
