"""Runs a real Qt program on a private X desktop and drives it the way a user
(and a screen reader) would.

Every test gets its own Xvfb, openbox, D-Bus session and accessibility bus,
its own HOME and XDG_RUNTIME_DIR, and a stand-in xdg-open that only writes its
argument to a log. Everything started here is stopped by process id at the
end, also when a step fails or the program hangs.

Needs Debian's /usr/bin/python3 (for pyatspi), Xvfb, openbox, xdotool,
wmctrl, xprop and dbus-run-session.
"""

import argparse
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

# Set in the environment of the copy of the script that runs inside
# dbus-run-session.
_INNER_MARK = "QUOBEL_E2E_INNER"

# How long any single wait may take before the step counts as failed. Generous:
# the suite may run two tests at once on two cores, or under AddressSanitizer.
STEP_TIMEOUT = float(os.environ.get("QUOBEL_E2E_STEP_TIMEOUT", "30"))


class Failure(Exception):
    """A check of a scenario failed."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def log(message):
    print(f"[{time.strftime('%H:%M:%S')}] {message}", flush=True)


def wait_until(what, probe, timeout=None, interval=0.1):
    """Polls probe() until it returns something truthy and returns that.

    what names the awaited state for the failure message; a callable is asked
    only then, so it can tell the state at the time of failure."""
    deadline = time.monotonic() + (timeout or STEP_TIMEOUT)
    last_error = None
    while True:
        try:
            result = probe()
            if result:
                return result
        except Failure:
            raise
        except Exception as error:  # a window that vanished mid-walk, say
            last_error = error
        if time.monotonic() > deadline:
            detail = f" (last error: {last_error!r})" if last_error else ""
            try:
                described = what() if callable(what) else what
            except Exception as error:  # the program is gone, say
                described = f"<state unreadable: {error!r}>"
            raise Failure(f"timed out waiting for {described}{detail}")
        time.sleep(interval)


def stop_process(process, name, grace=3.0):
    """Terminates one process started here, by its id, and reaps it."""
    if process is None or process.poll() is not None:
        return
    try:
        process.terminate()
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        log(f"{name} (pid {process.pid}) ignored SIGTERM; killing it")
        process.kill()
        process.wait(timeout=grace)
    except ProcessLookupError:
        pass


def run_tool(argv, env, timeout=10.0, check_rc=True):
    """Runs a short X tool and returns its standard output."""
    try:
        done = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=timeout,
                              stdin=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        raise Failure(f"{argv[0]} did not finish within {timeout} s: {argv}")
    if check_rc and done.returncode != 0:
        raise Failure(f"{argv} failed ({done.returncode}): {done.stderr.strip()}")
    return done.stdout


class Desktop:
    """A private X display with a window manager and an accessibility bus."""

    def __init__(self, workdir):
        self.workdir = workdir
        self.env = None
        self.display = None
        self._processes = []  # (name, Popen), stopped in reverse order

    def _start(self, name, argv, **kwargs):
        logfile = open(os.path.join(self.workdir, f"{name}.log"), "wb")
        process = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=logfile,
                                   stderr=subprocess.STDOUT, **kwargs)
        logfile.close()
        self._processes.append((name, process))
        return process

    def start(self):
        base = dict(os.environ)
        for variable in ("DISPLAY", "WAYLAND_DISPLAY", "AT_SPI_BUS_ADDRESS", "QT_QPA_PLATFORM",
                         "XAUTHORITY", "SESSION_MANAGER"):
            base.pop(variable, None)
        home = os.path.join(self.workdir, "home")
        runtime = os.path.join(self.workdir, "runtime")
        os.makedirs(home, mode=0o700)
        os.makedirs(runtime, mode=0o700)
        base.update(HOME=home, XDG_RUNTIME_DIR=runtime, LC_ALL="C.UTF-8", LANG="C.UTF-8",
                    XDG_CONFIG_HOME=os.path.join(home, ".config"),
                    XDG_CACHE_HOME=os.path.join(home, ".cache"),
                    XDG_DATA_HOME=os.path.join(home, ".local", "share"))

        # -displayfd lets the server pick a free display number itself, so
        # tests running side by side never race for one.
        read_end, write_end = os.pipe()
        # QUOBEL_E2E_XVFB_ARGS: more server options, "-extension MIT-SHM" say.
        extra = os.environ.get("QUOBEL_E2E_XVFB_ARGS", "").split()
        xvfb = self._start("xvfb", ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp",
                                    "-screen", "0", "1280x1024x24", "-noreset", *extra],
                           env=base, pass_fds=[write_end])
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + STEP_TIMEOUT
        while not number.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(remaining, 0))
            if not ready or xvfb.poll() is not None:
                os.close(read_end)
                raise Failure("Xvfb did not start")
            chunk = os.read(read_end, 16)
            if not chunk:
                os.close(read_end)
                raise Failure("Xvfb closed its display pipe without a display number")
            number += chunk
        os.close(read_end)
        self.display = f":{number.decode().strip()}"
        base["DISPLAY"] = self.display
        self.env = base

        self._start("openbox", ["openbox", "--sm-disable"], env=base)
        wait_until("openbox to manage the display", self._window_manager_running)

        self._start("at-spi", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                    env=base)
        # Asking for the bus address before the launcher owns its name would
        # make D-Bus start a second launcher.
        wait_until("the accessibility bus launcher", self._a11y_bus_owned)
        log(f"desktop ready on {self.display}")

    def _window_manager_running(self):
        out = run_tool(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], self.env, check_rc=False)
        return "window id" in out

    def _a11y_bus_owned(self):
        out = run_tool(["dbus-send", "--session", "--print-reply",
                        "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                        "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"],
                       self.env, check_rc=False)
        return "boolean true" in out

    def stop(self):
        for name, process in reversed(self._processes):
            stop_process(process, name)
        self._processes.clear()

    def tail_logs(self):
        for name, _ in self._processes:
            dump_file(os.path.join(self.workdir, f"{name}.log"), name)


def dump_file(path, label, limit=4000):
    try:
        with open(path, "rb") as handle:
            data = handle.read()
    except OSError:
        return
    if data:
        text = data[-limit:].decode("utf-8", "replace")
        print(f"----- {label} (last {limit} bytes) -----\n{text}", flush=True)


class LinkLog:
    """A stand-in xdg-open that records each address the program opens."""

    def __init__(self, workdir):
        self.bindir = os.path.join(workdir, "fakebin")
        self.path = os.path.join(workdir, "xdg-open.log")
        os.makedirs(self.bindir)
        script = os.path.join(self.bindir, "xdg-open")
        # Two links opened in a row start two detached processes that may write
        # in either order; each line carries its process id, which grows in
        # start order, so the log can be read back in the order of opening.
        with open(script, "w") as handle:
            handle.write("#!/bin/sh\n"
                         f"printf '%s %s %s\\n' \"$$\" \"$#\" \"$1\" >> '{self.path}'\n")
        os.chmod(script, 0o755)

    def links(self):
        try:
            with open(self.path, encoding="utf-8") as handle:
                lines = [line.rstrip("\n").split(" ", 2) for line in handle if line.strip()]
        except FileNotFoundError:
            return []
        for pid, count, url in lines:
            check(count == "1", f"xdg-open got {count} arguments, expected one: {url}")
        return [url for _, _, url in sorted(lines, key=lambda line: int(line[0]))]

    def wait_for(self, expected, settle=0.5):
        """Waits until exactly the expected links have been opened, in order."""
        wait_until(lambda: f"links {expected} to open (opened: {self.links()})",
                   lambda: len(self.links()) >= len(expected))
        time.sleep(settle)  # nothing more may follow
        check(self.links() == expected, f"opened links {self.links()}, expected {expected}")


class Session:
    """One scenario's world: the desktop, the link log, the running programs."""

    def __init__(self, workdir):
        self.workdir = workdir
        self.desktop = Desktop(workdir)
        self.links = LinkLog(workdir)
        self.programs = []
        self.output_dir = None
        self._registry = None

    def __enter__(self):
        self.desktop.start()
        return self

    def __exit__(self, kind, value, tb):
        for program in self.programs:
            program.stop()
        self.desktop.stop()
        if kind is not None:
            for program in self.programs:
                program.dump_output()
            self.desktop.tail_logs()
        return False

    @property
    def env(self):
        return self.desktop.env

    def launch(self, executable, label="program"):
        env = dict(self.desktop.env)
        env["PATH"] = self.links.bindir + os.pathsep + env.get("PATH", "/usr/bin:/bin")
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env["QT_QPA_PLATFORM"] = "xcb"
        program = Program(self, executable, env, label)
        self.programs.append(program)
        return program

    @property
    def registry(self):
        if self._registry is None:
            # Imported only now: pyatspi looks for the accessibility bus the
            # first time it is used, which must be inside this session.
            import pyatspi
            self._registry = pyatspi
        return self._registry


class Program:
    """A running copy of the program under test."""

    def __init__(self, session, executable, env, label):
        self.session = session
        self.label = label
        self.output = os.path.join(session.workdir, f"{label}-{len(session.programs)}.log")
        with open(self.output, "wb") as out:
            self.process = subprocess.Popen([executable], env=env, stdin=subprocess.DEVNULL,
                                            stdout=out, stderr=subprocess.STDOUT,
                                            cwd=session.workdir)
        self.pid = self.process.pid
        log(f"started {label} (pid {self.pid}): {executable}")

    # --- process ---------------------------------------------------------------

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=None):
        try:
            return self.process.wait(timeout=timeout or STEP_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure(f"{self.label} (pid {self.pid}) did not exit; windows: "
                          f"{self.visible_windows()}")

    def expect_exit(self, code, timeout=None):
        rc = self.wait_exit(timeout)
        check(rc == code, f"{self.label} exited with {rc}, expected {code}")
        log(f"{self.label} exited with {rc}")

    def expect_running(self, settle=0.5):
        time.sleep(settle)
        check(self.running(), f"{self.label} ended unexpectedly with {self.process.returncode}")

    def kill(self):
        self.process.kill()
        self.process.wait(timeout=STEP_TIMEOUT)

    def stop(self):
        stop_process(self.process, self.label)

    def peak_memory_kib(self):
        with open(f"/proc/{self.pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        raise Failure("no VmHWM in /proc status")

    def dump_output(self):
        dump_file(self.output, f"{self.label} (pid {self.pid}) output")

    # --- X windows -------------------------------------------------------------

    def visible_windows(self):
        """(window id, name) of every top-level window of the program on screen.

        Minimised windows are unmapped by the window manager and so not listed.
        """
        out = run_tool(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.pid),
                        "--name", ""], self.session.env, check_rc=False)
        windows = []
        for line in out.split():
            name = run_tool(["xdotool", "getwindowname", line], self.session.env,
                            check_rc=False).rstrip("\n")
            windows.append((int(line), name))
        return windows

    def visible_window_names(self):
        return sorted(name for _, name in self.visible_windows())

    def expect_on_screen(self, names, when):
        """Waits until exactly these windows of the program are on screen (the
        accessibility bridge may report a window a moment before X maps it)."""
        wanted = sorted(names)
        wait_until(lambda: f"{wanted} on screen {when} (on screen: "
                           f"{self.visible_window_names()})",
                   lambda: self.visible_window_names() == wanted, timeout=10)

    def x_window(self, name):
        """The one top-level X window of the program with this exact name."""
        return wait_until(f"an X window named {name!r}",
                          lambda: self._single_x_window(name))

    def _single_x_window(self, name):
        out = run_tool(["xdotool", "search", "--all", "--pid", str(self.pid), "--name", ""],
                       self.session.env, check_rc=False)
        found = []
        for line in out.split():
            window = int(line)
            if run_tool(["xdotool", "getwindowname", line], self.session.env,
                        check_rc=False).rstrip("\n") != name:
                continue
            # Skip windows that are not on the screen or minimised: Qt's
            # unmapped helper windows, and a window just unloaded (withdrawn)
            # that the program has yet to destroy.
            if self.wm_state(window) in ("Normal", "Iconic"):
                found.append(window)
        return found[0] if len(found) == 1 else None

    def wm_state(self, window):
        """'Normal', 'Iconic' or 'Withdrawn' from WM_STATE; None if unset."""
        out = run_tool(["xprop", "-id", str(window), "WM_STATE"], self.session.env,
                       check_rc=False)
        for line in out.splitlines():
            line = line.strip()
            if line.startswith("window state:"):
                return line.split(":", 1)[1].strip()
        return None

    def minimised(self, window):
        return self.wm_state(window) == "Iconic"

    def close_window(self, window):
        """Closes a window the way a person does: the window manager sends
        WM_DELETE_WINDOW (xdotool windowclose would destroy it instead)."""
        run_tool(["wmctrl", "-ic", hex(window)], self.session.env)

    def screenshot(self, window, path):
        """Saves a PNG of the window with its window-manager frame."""
        run_tool(["import", "-frame", "-window", str(window), path], self.session.env,
                 timeout=30)
        log(f"screenshot {path}")

    def window_origin(self, window):
        """Top-left corner of the window's client area on the screen."""
        out = run_tool(["xdotool", "getwindowgeometry", "--shell", str(window)],
                       self.session.env)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def screen_pixels(self, x, y, width, height):
        """The colours of a screen area as ImageMagick names them, row by row."""
        out = run_tool(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}",
                        "txt:-"], self.session.env, timeout=30)
        return [line.split()[-1] for line in out.splitlines()[1:] if line.strip()]

    def activate(self, window):
        run_tool(["xdotool", "windowactivate", "--sync", str(window)], self.session.env)

    def type_text(self, window, text):
        self.activate(window)
        run_tool(["xdotool", "type", "--delay", "40", text], self.session.env, timeout=30)

    def key(self, window, keys):
        if window is not None:
            self.activate(window)
        run_tool(["xdotool", "key", keys], self.session.env)

    # --- accessibility ---------------------------------------------------------

    def application(self):
        pyatspi = self.session.registry
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.get_process_id() == self.pid:
                return app
        return None

    def top_levels(self):
        app = self.application()
        if app is None:
            return []
        app.clear_cache()
        return [app.getChildAtIndex(i) for i in range(app.childCount)]

    def _showing(self, node):
        return node.getState().contains(self.session.registry.STATE_SHOWING)

    def alerts(self):
        """(title, text) of every message box of the program on screen."""
        found = []
        for window in self.top_levels():
            if window is None or window.getRoleName() != "alert" or not self._showing(window):
                continue
            found.append((window.name, self._label_text(window)))
        return found

    def _label_text(self, alert):
        texts = [node.name for node in walk(alert) if node.getRoleName() == "label"
                 and node.name]
        return texts[0] if texts else ""

    def wait_alert(self, title=None, text=None, timeout=None):
        """Waits for a message box; checks its title and text when given."""
        def probe():
            shown = self.alerts()
            if not self.running():
                raise Failure(f"{self.label} exited ({self.process.returncode}) while a "
                              f"message box was awaited")
            return shown[0] if len(shown) == 1 else None
        got_title, got_text = wait_until(
            lambda: f"a message box {title!r} {text!r} (boxes: {self.alerts()})", probe, timeout)
        log(f"message box {got_title!r}: {got_text!r}")
        if title is not None:
            check(got_title == title, f"box titled {got_title!r}, expected {title!r}")
        if text is not None:
            check(got_text == text, f"box says {got_text!r}, expected {text!r}")
        return got_title, got_text

    def dismiss_alert(self, title=None, text=None, *, button):
        """Waits for a message box, checks it and presses its one button,
        which must read button."""
        got = self.wait_alert(title, text)
        alert = self._find_top_level(lambda w: w.getRoleName() == "alert" and self._showing(w))
        buttons = [node for node in walk(alert) if node.getRoleName() == "push button"]
        names = [b.name for b in buttons]
        check(names == [button], f"message box buttons {names}, expected [{button!r}]")
        self._press(buttons[0])
        wait_until("the message box to close",
                   lambda: not self.running() or not self._box_still_there(alert))
        return got

    def _box_still_there(self, alert):
        try:
            return self._showing(alert) and any(a is alert or a == alert for a in
                                                self.top_levels())
        except Exception:
            return False

    def _find_top_level(self, predicate):
        for window in self.top_levels():
            if window is not None and predicate(window):
                return window
        raise Failure("window vanished")

    def window(self, caption, with_buttons=()):
        """Waits for a shown window with this caption holding these buttons."""
        def probe():
            for window in self.top_levels():
                if (window is None or window.getRoleName() != "frame"
                        or window.name != caption or not self._showing(window)):
                    continue
                names = {n.name for n in walk(window) if n.getRoleName() == "push button"}
                if all(button in names for button in with_buttons):
                    return window
            return None
        return wait_until(f"window {caption!r} with buttons {list(with_buttons)}", probe)

    def frames(self):
        """Names of the program's shown windows, as the accessibility tree has them."""
        return [w.name for w in self.top_levels()
                if w is not None and w.getRoleName() == "frame" and self._showing(w)]

    def loaded_frames(self):
        """Names of all the program's windows that still exist, hidden or not."""
        return [w.name for w in self.top_levels() if w is not None and w.getRoleName() == "frame"]

    def buttons(self, window):
        return [n.name for n in walk(window) if n.getRoleName() == "push button"]

    def press(self, window, button_name):
        matches = [n for n in walk(window)
                   if n.getRoleName() == "push button" and n.name == button_name]
        check(len(matches) == 1, f"{len(matches)} buttons named {button_name!r} in "
                                 f"{window.name!r}: {self.buttons(window)}")
        self._press(matches[0])

    def _press(self, button):
        log(f"press {button.name!r}")
        action = button.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        check("Press" in names, f"button {button.name!r} offers no Press action: {names}")
        action.doAction(names.index("Press"))

    def text_edit(self, window):
        edits = [n for n in walk(window) if n.getRoleName() == "text"]
        check(len(edits) == 1, f"{len(edits)} text boxes in {window.name!r}")
        return edits[0]

    def focus(self, node):
        """Gives a control the keyboard focus through the accessibility bridge."""
        node.queryComponent().grabFocus()
        focused = self.session.registry.STATE_FOCUSED
        wait_until(f"{node.getRoleName()} {node.name!r} to take the focus",
                   lambda: node.getState().contains(focused))

    def text_of(self, window, name=None):
        """The text of the (only, or named) line edit in the window."""
        edits = [n for n in walk(window) if n.getRoleName() == "text"
                 and (name is None or n.name == name)]
        check(len(edits) == 1, f"{len(edits)} text boxes in {window.name!r}")
        return edits[0].queryText().getText(0, -1)


def walk(node, depth=0):
    """Every descendant of an accessible node (the node itself included)."""
    if node is None or depth > 30:
        return
    yield node
    for index in range(node.childCount):
        yield from walk(node.getChildAtIndex(index), depth + 1)


# --- running a scenario --------------------------------------------------------

def run_guarded(timeout, play):
    """Plays a scenario and says whether it passed. An alarm shortly before
    the outer time-out turns a hang into a failure with a traceback, which
    says where it hung; being killed from outside would say nothing."""
    def hung(signum, frame):
        raise Failure(f"scenario did not finish within {timeout} s")

    signal.signal(signal.SIGALRM, hung)
    signal.signal(signal.SIGTERM, lambda s, f: (_ for _ in ()).throw(Failure("terminated")))
    signal.alarm(max(int(timeout) - 10, 10))
    try:
        play()
        return True
    except Failure as error:
        log(f"FAILED: {error}")
        traceback.print_exc()
    except Exception:
        log("FAILED with an error in the test itself")
        traceback.print_exc()
    finally:
        signal.alarm(0)
    return False


def main(scenarios, description):
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--program", required=True, help="the executable under test")
    parser.add_argument("--scenario", required=True, choices=sorted(scenarios))
    parser.add_argument("--timeout", type=float, default=100.0,
                        help="seconds before the whole scenario counts as hung")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    parser.add_argument("--link", action="append", default=[], metavar="NAME=URL",
                        help="a link constant of the build, e.g. BlogLinkA=http://...")
    parser.add_argument("--output-dir", help="where a scenario writes what it makes")
    args = parser.parse_args()

    if os.environ.get(_INNER_MARK) != "1":
        sys.exit(_run_outer(args))

    links = dict(item.split("=", 1) for item in args.link)
    workdir = tempfile.mkdtemp(prefix=f"quobel-e2e-{args.scenario}-")
    log(f"scenario {args.scenario}, work folder {workdir}")

    def play():
        with Session(workdir) as session:
            session.output_dir = args.output_dir and os.path.abspath(args.output_dir)
            scenarios[args.scenario](session, os.path.abspath(args.program), links)

    passed = run_guarded(args.timeout, play)
    if args.keep or not passed:
        log(f"work folder kept: {workdir}")
    else:
        shutil.rmtree(workdir, ignore_errors=True)
    if passed:
        log("PASSED")
    sys.exit(0 if passed else 1)


def _run_outer(args):
    """Runs this script again inside its own D-Bus session and makes sure that
    session, and everything started in it, ends within the time-out."""
    env = dict(os.environ)
    env[_INNER_MARK] = "1"
    for variable in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "DISPLAY"):
        env.pop(variable, None)
    argv = ["dbus-run-session", "--", sys.executable, sys.argv[0], *sys.argv[1:]]
    # A session of its own, so the whole tree can be stopped through the
    # group of the one process started here.
    inner = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, start_new_session=True)
    try:
        return inner.wait(timeout=args.timeout)
    except subprocess.TimeoutExpired:
        print(f"e2e: scenario hung for {args.timeout} s; stopping it", flush=True)
        return 124
    finally:
        _stop_group(inner)


def _stop_group(leader):
    for sig, grace in ((signal.SIGTERM, 5.0), (signal.SIGKILL, 5.0)):
        try:
            os.killpg(leader.pid, sig)
        except ProcessLookupError:
            break
        try:
            leader.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            continue
        # The leader is gone; give its group a moment, then make sure.
        time.sleep(0.2)
    try:
        os.killpg(leader.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
