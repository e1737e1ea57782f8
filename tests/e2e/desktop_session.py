"""What the headless GNOME Shell and KWin desktops of the end-to-end runs
share: the session's folders and variables, the accessibility bus, pipewire,
the permission store and the desktop portal with the desktop's own backend,
and the program read through the accessibility bus (these compositors have
no window list to ask).

Each desktop runs as sway_session runs sway: as the user nobody, inside a
private D-Bus session that starts nothing by itself, every process started
here and stopped by its id. An output is described in the compositor's own
layout coordinates (GNOME: device pixels; KWin: logical pixels).
"""

import collections
import os
import signal
import subprocess
import time

import harness
import sway_session
from harness import check, log, run_tool, wait_until

# name: the compositor's name of the output; size: its mode in device pixels;
# place: its top-left corner in the compositor's layout; scale: its scale.
Output = collections.namedtuple("Output", "name size place scale")


def logical_size(output):
    return output.size[0] // output.scale, output.size[1] // output.scale


class FullDesktop(harness.Desktop):
    """A Wayland desktop with its portal backend: what GNOME and KWin have
    in common. Subclasses start the compositor and say how to point, type
    and read the screen."""

    desktop_name = None  # XDG_CURRENT_DESKTOP
    button_mnemonic = ""  # what Qt adds to a message box's button here

    def __init__(self, workdir, tools, portals, outputs):
        super().__init__(workdir)
        self.tools = tools
        self.portals = portals
        self.outputs_made = list(outputs)

    def _start(self, name, argv, env=None, **kwargs):
        return super()._start(name, argv, env=env or self.env, **kwargs)

    def _prepare(self):
        runtime = os.path.join(self.workdir, "runtime")
        home = os.path.join(self.workdir, "home")
        os.makedirs(runtime, mode=0o700)
        os.makedirs(os.path.join(home, "Pictures"), mode=0o700)
        config = os.path.join(home, ".config")
        os.makedirs(config, mode=0o700)
        # GNOME's portal writes its pictures where this says.
        with open(os.path.join(config, "user-dirs.dirs"), "w") as handle:
            handle.write('XDG_PICTURES_DIR="$HOME/Pictures"\n')
        env = dict(os.environ)
        for variable in ("DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "AT_SPI_BUS_ADDRESS",
                         "QT_QPA_PLATFORM", "XAUTHORITY", "QT_SCALE_FACTOR",
                         "DBUS_SYSTEM_BUS_ADDRESS"):
            env.pop(variable, None)
        env.update(HOME=home, XDG_RUNTIME_DIR=runtime, LC_ALL="C.UTF-8", LANG="C.UTF-8",
                   XDG_CONFIG_HOME=config, XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                   XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP=self.desktop_name)
        self.env = env

    def _start_session_services(self, backends):
        """The accessibility bus, pipewire and, when the scenario asks, the
        portal with these backends: (log name, executable, bus name)."""
        self._start("at-spi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        wait_until("the accessibility bus launcher", lambda: self.name_owned("org.a11y.Bus"))
        self._start("pipewire", ["pipewire"])
        socket = os.path.join(self.env["XDG_RUNTIME_DIR"], "pipewire-0")
        wait_until("pipewire's socket", lambda: os.path.exists(socket))
        self._start("wireplumber", ["wireplumber"])
        if not self.portals:
            return
        self._start("permission-store", ["/usr/libexec/xdg-permission-store", "--replace"])
        wait_until("the permission store",
                   lambda: self.name_owned("org.freedesktop.impl.portal.PermissionStore"))
        for name, executable, bus_name in backends:
            self._start(name, [executable])
            wait_until(f"{bus_name} on the bus", lambda: self.name_owned(bus_name))
        self._start("portal", ["/usr/libexec/xdg-desktop-portal"])
        wait_until("the screenshot portal", lambda: sway_session.screenshot_portal_up(self.env))

    def stop(self):
        super().stop()
        # What the desktop started by itself (GNOME Shell its ibus daemon,
        # the session bus the accessibility registry) outlives it: found by
        # this session's runtime folder in their environment, and stopped by
        # their process ids.
        runtime = f"XDG_RUNTIME_DIR={self.env['XDG_RUNTIME_DIR']}".encode() if self.env else None
        for sig in (signal.SIGTERM, signal.SIGKILL):
            left = self._processes_of(runtime) if runtime else []
            for pid in left:
                try:
                    os.kill(pid, sig)
                except ProcessLookupError:
                    pass
            if left:
                time.sleep(1.0)

    @staticmethod
    def _processes_of(marker):
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) == os.getpid():
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as handle:
                    if marker in handle.read().split(b"\0"):
                        found.append(int(entry))
            except OSError:
                continue
        return found

    def name_owned(self, name):
        return sway_session.name_owned(self.env, name)

    def allow_screenshots(self):
        """Grants the screenshot permission ahead, as the README tells
        GNOME's users to."""
        run_tool(["gdbus", "call", "--session", "--dest",
                  "org.freedesktop.impl.portal.PermissionStore", "--object-path",
                  "/org/freedesktop/impl/portal/PermissionStore", "--method",
                  "org.freedesktop.impl.portal.PermissionStore.SetPermission",
                  "screenshot", "true", "screenshot", "", "['yes']"], self.env)

    def screenshot_permission(self):
        out = run_tool(["gdbus", "call", "--session", "--dest",
                        "org.freedesktop.impl.portal.PermissionStore", "--object-path",
                        "/org/freedesktop/impl/portal/PermissionStore", "--method",
                        "org.freedesktop.impl.portal.PermissionStore.Lookup",
                        "screenshot", "screenshot"], self.env, check_rc=False)
        return out.strip()

    def wallpaper(self, output):
        mode = f"{output.size[0]}x{output.size[1]}"
        return sway_session.wallpaper(self.workdir, self.env, output.name, mode,
                                      first=output is self.outputs_made[0])

    def wallpapers_drawn(self):
        for output in self.outputs_made:
            picture = self.grab(output, os.path.join(self.workdir, f"probe-{output.name}.png"))
            if sway_session.image_stddev(picture, self.env) < 0.02:
                return False
        return True

    def clipboard_png(self):
        done = subprocess.run(["wl-paste", "--type", "image/png"], env=self.env,
                              capture_output=True, timeout=20, stdin=subprocess.DEVNULL)
        check(done.returncode == 0, f"wl-paste failed: {done.stderr!r}")
        return done.stdout

    def selection_box(self, output):
        """A selection in logical pixels within the output, in its lower
        left, clear of the program's window (placed further up), the top bar
        and the overlay's hint."""
        width, height = logical_size(output)
        return width // 20, height * 3 // 4, 200, 100

    # What a subclass provides.
    def grab(self, output, path):
        """The output's picture in device pixels, as the compositor reads it."""
        raise NotImplementedError

    def pointer(self, command, output=None, x=None, y=None):
        """move to x, y (logical pixels within the output), press or release
        the left button."""
        raise NotImplementedError

    def key(self, name):
        """Presses and releases a key: Return, Escape, Tab."""
        raise NotImplementedError


class DesktopProgram(harness.Program):
    """The program on a desktop without a window list: its windows are
    read from the accessibility bus alone."""

    def dismiss_alert(self, title=None, text=None, *, button):
        # Under GNOME's platform theme Qt gives its buttons a mnemonic.
        return super().dismiss_alert(title, text,
                                     button=button + self.session.desktop.button_mnemonic)

    def visible_windows(self):
        return [(0, window.name) for window in self.top_levels()
                if window is not None and self._showing(window)]

    def overlays(self, name):
        return [window for window in self.top_levels()
                if window is not None and window.name == name and window.getRoleName() != "alert"
                and self._showing(window)]


class DesktopSession(harness.Session):
    """One scenario's world on such a desktop."""

    desktop_class = None

    def __init__(self, workdir, tools, portals, outputs):
        super().__init__(workdir)
        self.desktop = self.desktop_class(workdir, tools, portals, outputs)

    def __enter__(self):
        try:
            return super().__enter__()
        except BaseException:
            # A desktop that did not come up is stopped and explained here:
            # the with block that would do it has not begun.
            self.desktop.stop()
            self.desktop.tail_logs()
            raise

    def launch(self, executable, extra_env=None, label="program"):
        env = dict(self.desktop.env)
        env["PATH"] = self.links.bindir + os.pathsep + env.get("PATH", "/usr/bin:/bin")
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env["QT_QPA_PLATFORM"] = "wayland"
        env["QT_LOGGING_RULES"] = "quobel.capture.debug=true"
        env.update(extra_env or {})
        program = DesktopProgram(self, executable, env, label)
        self.programs.append(program)
        return program


def log_lines(program, text):
    """Lines of the program's output holding text."""
    with open(program.output, encoding="utf-8", errors="replace") as handle:
        return [line.rstrip("\n") for line in handle if text in line]

