"""Runs the program natively on a headless sway and drives it the way a user
and a screen reader would.

sway refuses to run as root, so when the test runs as root everything below
runs as the ordinary user nobody (uid 65534): the outer run copies the
program, its library, the test tools and these scripts into a fresh folder
that user can read, and starts this script again as that user inside a
private D-Bus session. The inner run starts sway with its own runtime folder,
the accessibility bus, a virtual pointer and, when asked, pipewire and the
desktop portals, all stopped by process id at the end; the outer run stops
the whole process group if the scenario hangs.

Needs sway, swaybg, grim, wl-clipboard, wtype, ImageMagick, dbus-run-session,
setpriv, Debian's /usr/bin/python3 with pyatspi, and Qt's Wayland platform.
"""

import argparse
import collections
import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

import harness
from harness import check, log, run_tool, wait_until

_INNER_MARK = "QUOBEL_SWAY_INNER"
NOBODY = 65534

# An output of the headless desktop: its mode in device pixels, its place in
# the logical layout, its scale and its transform (sway's "90", "flipped", ...).
Output = collections.namedtuple("Output", "name mode position scale transform",
                                defaults=("normal",))

# Two outputs side by side, the second at scale 2.
OUTPUTS = (Output("HEADLESS-1", "1920x1080", (0, 0), 1),
           Output("HEADLESS-2", "2560x1440", (1920, 0), 2))


def logical_size(output):
    """The output's size in the logical layout: turned a quarter, its width
    and height swap."""
    width, height = (int(v) for v in output.mode.split("x"))
    if output.transform.endswith(("90", "270")):
        width, height = height, width
    return width // output.scale, height // output.scale

# A scenario: its function (session, program), whether the desktop portals
# run, the outputs, and the session class (None: sway's) that makes its
# desktop.
Scenario = collections.namedtuple("Scenario", "run portals outputs session",
                                  defaults=(False, OUTPUTS, None))


def layout_size(outputs):
    """The layout's bounding box in logical pixels (outputs start at 0,0)."""
    def extent(output):
        width, height = logical_size(output)
        return output.position[0] + width, output.position[1] + height
    return tuple(max(extent(o)[i] for o in outputs) for i in (0, 1))


class SwayDesktop(harness.Desktop):
    """A headless sway with its outputs, wallpapers, accessibility bus and
    virtual pointer; optionally pipewire and the desktop portals. Processes
    are started, stopped and their logs shown as on the X11 desktop."""

    def __init__(self, workdir, tools, portals, outputs):
        super().__init__(workdir)
        self.tools = tools
        self.portals = portals
        self.outputs_made = outputs

    def _start(self, name, argv, env=None, **kwargs):
        return super()._start(name, argv, env=env or self.env, **kwargs)

    def start(self):
        runtime = os.path.join(self.workdir, "runtime")
        home = os.path.join(self.workdir, "home")
        os.makedirs(runtime, mode=0o700)
        os.makedirs(os.path.join(home, "Pictures"), mode=0o700)
        env = dict(os.environ)
        for variable in ("DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "AT_SPI_BUS_ADDRESS",
                         "QT_QPA_PLATFORM", "XAUTHORITY", "QT_SCALE_FACTOR"):
            env.pop(variable, None)
        env.update(HOME=home, XDG_RUNTIME_DIR=runtime, LC_ALL="C.UTF-8", LANG="C.UTF-8",
                   XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP="sway",
                   WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1")
        self.env = env

        config = os.path.join(self.workdir, "sway.config")
        with open(config, "w") as handle:
            # Floating keeps the windows at their designed sizes; XWayland
            # would take the first free X display, which cannot be chosen.
            handle.write("xwayland disable\n"
                         "for_window [shell=\"xdg_shell\"] floating enable\n")
            for output in self.outputs_made[:1]:
                handle.write(self._output_command(output) + "\n")
        # Without composition sway hands a full-screen window's buffer
        # straight to an output without a cursor; the headless backend then
        # copies stale frames to screencopy clients (grim), so the overlay on
        # the other output would look unpainted.
        self._start("sway", ["sway", "-D", "noscanout", "-c", config])
        socket = wait_until("sway's Wayland socket", lambda: self._socket(runtime, "wayland-"))
        ipc = wait_until("sway's IPC socket", lambda: self._socket(runtime, "sway-ipc."))
        env.update(WAYLAND_DISPLAY=socket, SWAYSOCK=os.path.join(runtime, ipc))
        # Headless sway starts with one output; the second must be made and
        # configured at once (later changes of scale do not take).
        for output in self.outputs_made[1:]:
            self.swaymsg("create_output")
            self.swaymsg(self._output_command(output))
        wait_until("every output up", lambda: sorted(o["name"] for o in self.outputs())
                   == sorted(o.name for o in self.outputs_made))

        self._pointer = subprocess.Popen([os.path.join(self.tools, "quobel_virtual_pointer")],
                                         stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         stderr=subprocess.STDOUT, env=self.env, text=True)
        self._processes.append(("pointer", self._pointer))
        self._pointer_answer("ready")

        self._start("at-spi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        wait_until("the accessibility bus launcher", self._a11y_bus_owned)
        if self.portals:
            self._start_portals()
        # Every wallpaper drawn before anyone takes pictures.
        wait_until("the wallpapers", self._wallpapers_drawn)
        log(f"sway ready on {socket}")

    def _output_command(self, output):
        x, y = output.position
        return (f"output {output.name} resolution {output.mode} position {x} {y} "
                f"scale {output.scale} transform {output.transform} "
                f"background {self._wallpaper(output)} fill")

    def _start_portals(self):
        # Started here rather than by the bus, which finds no services in
        # these tests: so they get this desktop's environment, and each is
        # stopped by its process id. The wlr backend exits at start without
        # pipewire; portal 1.16 offers Screenshot only beside an Access
        # backend, which -gtk brings.
        self._start("pipewire", ["pipewire"])
        socket = os.path.join(self.env["XDG_RUNTIME_DIR"], "pipewire-0")
        wait_until("pipewire's socket", lambda: os.path.exists(socket))
        self._start("portal-wlr", ["/usr/libexec/xdg-desktop-portal-wlr"])
        self._start("portal-gtk", ["/usr/libexec/xdg-desktop-portal-gtk"])
        for backend in ("org.freedesktop.impl.portal.desktop.wlr",
                        "org.freedesktop.impl.portal.desktop.gtk"):
            wait_until(f"{backend} on the bus", lambda: name_owned(self.env, backend))
        self._start("portal", ["/usr/libexec/xdg-desktop-portal"])
        wait_until("the screenshot portal", lambda: screenshot_portal_up(self.env))

    def _wallpaper(self, output):
        """The output's wallpaper in the size it is seen at (see wallpaper)."""
        width, height = logical_size(output)
        size = f"{width * output.scale}x{height * output.scale}"
        return wallpaper(self.workdir, self.env, output.name, size,
                         first=output.name.endswith("1"))

    def _wallpapers_drawn(self):
        for output in self.outputs_made:
            picture = self.grab(output.name,
                                os.path.join(self.workdir, f"probe-{output.name}.ppm"))
            if image_stddev(picture, self.env) < 0.05:
                return False
        return True

    @staticmethod
    def _socket(runtime, prefix):
        for entry in sorted(os.listdir(runtime)):
            if entry.startswith(prefix) and not entry.endswith(".lock"):
                return entry
        return None

    def _pointer_answer(self, expected):
        ready, _, _ = select.select([self._pointer.stdout], [], [], harness.STEP_TIMEOUT)
        answer = self._pointer.stdout.readline().strip() if ready else "(nothing)"
        check(answer == expected, f"the virtual pointer answered {answer!r}")

    def _a11y_bus_owned(self):
        return name_owned(self.env, "org.a11y.Bus")

    def swaymsg(self, command, kind=None):
        argv = ["swaymsg"] + (["-t", kind] if kind else []) + ([command] if command else [])
        return run_tool(argv, self.env)

    def outputs(self):
        return [o for o in json.loads(self.swaymsg(None, "get_outputs")) if o.get("active")]

    def tree(self):
        return json.loads(self.swaymsg(None, "get_tree"))

    def grab(self, output, path):
        """The output's picture as grim reads it; PPM, which is quick to
        write and to read back."""
        run_tool(["grim", "-t", "ppm", "-o", output, path], self.env, timeout=30)
        return path

    def grab_region(self, box, scale, path):
        """A logical region of the layout as grim reads it, at the given
        scale."""
        x, y, width, height = box
        run_tool(["grim", "-t", "ppm", "-s", str(scale), "-g", f"{x},{y} {width}x{height}", path],
                 self.env, timeout=30)
        return path

    def pointer(self, command, *arguments):
        """move X Y (logical layout pixels), press or release the left button."""
        if command == "move":
            arguments = (*arguments, *layout_size(self.outputs_made))
        self._pointer.stdin.write(" ".join(str(a) for a in (command, *arguments)) + "\n")
        self._pointer.stdin.flush()
        self._pointer_answer("ok")



def name_owned(env, name):
    """Whether name has an owner on the session bus of env."""
    out = run_tool(["dbus-send", "--session", "--print-reply",
                    "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                    "org.freedesktop.DBus.NameHasOwner", f"string:{name}"],
                   env, check_rc=False)
    return "boolean true" in out


def screenshot_portal_up(env):
    """Whether the desktop portal answers for its Screenshot interface."""
    if not name_owned(env, "org.freedesktop.portal.Desktop"):
        return False
    out = run_tool(["dbus-send", "--session", "--print-reply",
                    "--dest=org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                    "org.freedesktop.DBus.Properties.Get",
                    "string:org.freedesktop.portal.Screenshot", "string:version"],
                   env, check_rc=False)
    return "uint32" in out


def wallpaper(workdir, env, name, mode, first):
    """A picture with edges everywhere and no two rows alike, so that pixels
    taken from the wrong place or at the wrong scale show: a checkerboard
    over a gradient, different on the first output and the others."""
    path = os.path.join(workdir, f"wallpaper-{name}-{mode}.png")
    if not os.path.exists(path):
        colours = "#3060b0-#f0a040" if first else "#40b060-#9040e0"
        run_tool(["convert", "-size", mode, f"gradient:{colours}", "(", "-size", mode,
                  "tile:pattern:checkerboard", ")", "-compose", "multiply", "-composite",
                  path], env, timeout=60)
    return path


def windows(tree, pid=None):
    """Every window in a sway tree: dicts with name, pid, rect, visible,
    fullscreen and output."""
    found = []

    def walk(node, output):
        if node.get("type") == "output":
            output = node.get("name")
        if node.get("pid") is not None and node.get("type") in ("con", "floating_con"):
            found.append({"name": node.get("name"), "pid": node["pid"], "rect": node["rect"],
                          "visible": node.get("visible", False),
                          "fullscreen": node.get("fullscreen_mode", 0) != 0, "output": output})
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            walk(child, output)

    walk(tree, None)
    return [w for w in found if pid is None or w["pid"] == pid]


def image_stddev(path, env):
    return float(run_tool(["convert", path, "-colorspace", "gray", "-format",
                           "%[fx:standard_deviation]", "info:"], env, timeout=30))


class WaylandProgram(harness.Program):
    """The program under test on sway: windows are read from sway's tree
    instead of the X server, the rest through the accessibility bus."""

    def visible_windows(self):
        return [(0, w["name"]) for w in windows(self.session.desktop.tree(), self.pid)
                if w["visible"]]

    def sway_windows(self, name=None):
        return [w for w in windows(self.session.desktop.tree(), self.pid)
                if name is None or w["name"] == name]


class SwaySession(harness.Session):
    """One scenario's world on sway: harness.Session with a sway desktop."""

    def __init__(self, workdir, tools, portals, outputs):
        super().__init__(workdir)
        self.desktop = SwayDesktop(workdir, tools, portals, outputs)

    def launch(self, executable, extra_env=None, label="program"):
        env = dict(self.desktop.env)
        env["PATH"] = self.links.bindir + os.pathsep + env.get("PATH", "/usr/bin:/bin")
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env["QT_QPA_PLATFORM"] = "wayland"
        env.update(extra_env or {})
        program = WaylandProgram(self, executable, env, label)
        self.programs.append(program)
        return program


# --- running a scenario --------------------------------------------------------

def main(scenarios, description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--program", required=True, help="the executable under test")
    parser.add_argument("--tools", required=True, help="the folder with quobel_virtual_pointer")
    parser.add_argument("--scenario", required=True, choices=sorted(scenarios))
    parser.add_argument("--timeout", type=float, default=150.0)
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    parser.add_argument("--also", action="append", default=[], metavar="FILE",
                        help="another file the scenario runs, copied beside the tools")
    parser.add_argument("--world", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if os.environ.get(_INNER_MARK) == "1":
        sys.exit(_run_inner(args, scenarios))
    sys.exit(_run_outer(args, scenarios))


def _sanitizer_options(env, world):
    """A sanitized build reads its leak suppressions from a file nobody may
    not be able to read: a copy goes into the world. Qt's Wayland platform and
    the graphics libraries beneath it lack frame pointers, so leaks are
    traced the slow way, or suppressions could not see whose they are."""
    options = env.get("LSAN_OPTIONS")
    if options:
        parts = []
        for part in options.split(":"):
            if part.startswith("suppressions="):
                copy = os.path.join(world, "lsan.supp")
                shutil.copy2(part.split("=", 1)[1], copy)
                part = f"suppressions={copy}"
            parts.append(part)
        env["LSAN_OPTIONS"] = ":".join(parts)
    if env.get("ASAN_OPTIONS"):
        env["ASAN_OPTIONS"] += ":fast_unwind_on_malloc=0"


def _run_outer(args, scenarios):
    """Copies what the scenario needs where the user nobody can read it and
    runs the scenario as that user in a D-Bus session of its own."""
    as_root = os.geteuid() == 0
    world = tempfile.mkdtemp(prefix=f"quobel-sway-{args.scenario}-")
    os.chmod(world, 0o755)
    log(f"scenario {args.scenario}, world folder {world}")
    binaries = os.path.join(world, "bin")
    scripts = os.path.join(world, "e2e")
    work = os.path.join(world, "work")
    os.makedirs(binaries)
    os.makedirs(work, mode=0o700)
    source = os.path.dirname(os.path.abspath(args.program))
    for name in (os.path.basename(args.program), "libCameraDll.so", "qor.ico"):
        shutil.copy2(os.path.join(source, name), binaries)
    for path in [os.path.join(args.tools, "quobel_virtual_pointer"), *args.also]:
        shutil.copy2(path, binaries)
    here = os.path.dirname(os.path.abspath(__file__))
    shutil.copytree(here, scripts, ignore=shutil.ignore_patterns("__pycache__", "*.txt", "*.md"))
    # A scenario kept elsewhere (a benchmark) runs beside these modules.
    shutil.copy2(os.path.abspath(sys.argv[0]), scripts)
    for root, folders, files in os.walk(world):
        for name in folders + files:
            path = os.path.join(root, name)
            if not path.startswith(work):
                os.chmod(path, 0o755)
    if as_root:
        os.chown(work, NOBODY, NOBODY)

    env = dict(os.environ)
    env[_INNER_MARK] = "1"
    env["PYTHONDONTWRITEBYTECODE"] = "1"
    for variable in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "DISPLAY",
                     "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "SWAYSOCK"):
        env.pop(variable, None)
    if as_root:
        env.update(HOME=work, USER="nobody", LOGNAME="nobody")
    _sanitizer_options(env, world)
    # A session bus that starts nothing on demand: a scenario without portals
    # has none, and whatever runs was started here and is stopped by its id.
    bus_config = os.path.join(world, "session-bus.conf")
    shutil.copy2(os.path.join(here, os.pardir, "support", "session-bus.conf"), bus_config)
    script = os.path.join(scripts, os.path.basename(sys.argv[0]))
    program = os.path.join(binaries, os.path.basename(args.program))
    inner = ["dbus-run-session", f"--config-file={bus_config}", "--", sys.executable, script, "--program", program,
             "--tools", binaries, "--scenario", args.scenario, "--timeout", str(args.timeout),
             "--world", work]
    if as_root:
        inner = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + inner
    process = subprocess.Popen(inner, env=env, stdin=subprocess.DEVNULL, cwd=work,
                               start_new_session=True)
    try:
        code = process.wait(timeout=args.timeout)
    except subprocess.TimeoutExpired:
        print(f"e2e: scenario hung for {args.timeout} s; stopping it", flush=True)
        code = 124
    finally:
        harness._stop_group(process)
    if code == 0 and not args.keep:
        shutil.rmtree(world, ignore_errors=True)
    else:
        log(f"world folder kept: {world}")
    return code


def _run_inner(args, scenarios):
    scenario = scenarios[args.scenario]

    def play():
        make = scenario.session or SwaySession
        with make(args.world, args.tools, scenario.portals, scenario.outputs) as session:
            scenario.run(session, os.path.abspath(args.program))

    passed = harness.run_guarded(args.timeout, play)
    if passed:
        log("PASSED")
    return 0 if passed else 1
