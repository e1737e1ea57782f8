"""A headless KWin (KDE Plasma's compositor) for the end-to-end runs, with
KDE's portal backend.

Debian's kwin_wayland carries the file capability cap_sys_resource, which
this machine's bounding set lacks, so a copy without it runs; KWin takes its
own Qt platform only when its executable is named kwin_wayland. No
plasmashell is needed: swaybg draws the wallpapers over layer-shell.

KWin gives its fake-input protocol and its ScreenShot2 interface only to
executables whose desktop entry lists them; entries are written into the
session's data folder before KWin starts:
- the fake-input tool (tests/tools/fake_input.cpp), which points and types;
- a copy of this Python, which reads the outputs for reference through
  ScreenShot2 (kwin_reference.py); Debian's own python3.11 entry would be
  found first for the original;
- the program, from the entry the build installs with Exec pointing at the
  copy under test, unless the scenario leaves it out to see KWin refuse.
"""

import configparser
import glob
import os
import select
import shutil
import subprocess
import sys

import desktop_session
from desktop_session import Output, check, log, wait_until
from harness import STEP_TIMEOUT, run_tool

# KWin's virtual outputs: their mode in device pixels comes from --width and
# --height times --scale, side by side in logical pixels.
SCALE_1 = (Output("Virtual-0", (1920, 1080), (0, 0), 1),)
SCALE_2 = (Output("Virtual-0", (3840, 2160), (0, 0), 2),
           Output("Virtual-1", (3840, 2160), (1920, 0), 2))

_KEYCODES = {"Return": 28, "Escape": 1, "Tab": 15, "space": 57, "a": 30, "h": 35, "i": 23,
             "n": 49, "o": 24}
ENTRY = "net.example.qorhome.quobel.desktop"


def write_entry(folder, name, exec_path, **keys):
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry["Desktop Entry"] = {"Type": "Application", "Name": name, "Exec": exec_path,
                              "NoDisplay": "true", **keys}
    with open(os.path.join(folder, f"{name}.desktop"), "w") as handle:
        entry.write(handle, space_around_delimiters=False)


class KWinDesktop(desktop_session.FullDesktop):
    desktop_name = "KDE"
    program_entry = True

    def start(self):
        self._prepare()
        env = self.env
        binaries = os.path.join(self.workdir, "kwin")
        os.makedirs(binaries)
        kwin = os.path.join(binaries, "kwin_wayland")
        shutil.copyfile("/usr/bin/kwin_wayland", kwin)  # without the file capability
        os.chmod(kwin, 0o755)
        self.python = os.path.join(binaries, "python3")
        shutil.copyfile(os.path.realpath(sys.executable), self.python)
        os.chmod(self.python, 0o755)
        self._entries()

        first = self.outputs_made[0]
        scale = first.scale
        check(all(o.scale == scale and o.size == first.size for o in self.outputs_made),
              "KWin's virtual outputs all have one mode and scale")
        width, height = desktop_session.logical_size(first)
        self._start("kwin", [kwin, "--virtual", "--width", str(width), "--height", str(height),
                             "--scale", str(scale), "--output-count", str(len(self.outputs_made)),
                             "--no-lockscreen", "--no-global-shortcuts", "--no-kactivities",
                             "--socket", "wl-kwin"])
        env["WAYLAND_DISPLAY"] = "wl-kwin"
        wait_until("KWin's screenshots on the bus",
                   lambda: self.name_owned("org.kde.KWin.ScreenShot2"), timeout=60)
        for output in self.outputs_made:
            self._start(f"swaybg-{output.name}", ["swaybg", "-o", output.name, "-i",
                                                  self.wallpaper(output), "-m", "fill"])
        self._input = subprocess.Popen([os.path.join(self.tools, "quobel_fake_input")],
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                       stderr=subprocess.STDOUT, env=env, text=True)
        self._processes.append(("fake-input", self._input))
        self._answer("ready")
        self._start_session_services([
            ("portal-kde", glob.glob("/usr/lib/*/libexec/xdg-desktop-portal-kde")[0],
             "org.freedesktop.impl.portal.desktop.kde")])
        wait_until("the wallpapers", self.wallpapers_drawn)
        log(f"KWin ready with {[o.name for o in self.outputs_made]}")

    def _entries(self):
        folder = os.path.join(self.env["XDG_DATA_HOME"], "applications")
        os.makedirs(folder)
        write_entry(folder, "quobel-fake-input", os.path.join(self.tools, "quobel_fake_input"),
                    **{"X-KDE-Wayland-Interfaces": "org_kde_kwin_fake_input"})
        write_entry(folder, "quobel-reference-shot", self.python,
                    **{"X-KDE-DBUS-Restricted-Interfaces": "org.kde.KWin.ScreenShot2"})
        if self.program_entry:
            # The build's own entry, pointed at the program under test.
            entry = configparser.ConfigParser(interpolation=None)
            entry.optionxform = str
            entry.read(os.path.join(self.tools, ENTRY), encoding="utf-8")
            program = os.path.basename(entry["Desktop Entry"]["Exec"].split()[0])
            entry["Desktop Entry"]["Exec"] = os.path.join(self.tools, program)
            with open(os.path.join(folder, ENTRY), "w", encoding="utf-8") as handle:
                entry.write(handle, space_around_delimiters=False)
        # The capture benchmark stands in for the program where it runs.
        bench = os.path.join(self.tools, "quobel_capture_bench")
        if os.path.exists(bench):
            write_entry(folder, "quobel-capture-bench", bench,
                        **{"X-KDE-DBUS-Restricted-Interfaces": "org.kde.KWin.ScreenShot2"})
        # KWin reads the entries through KDE's service cache.
        run_tool(["kbuildsycoca5", "--noincremental"], self.env, timeout=60, check_rc=False)

    def _answer(self, expected):
        ready, _, _ = select.select([self._input.stdout], [], [], STEP_TIMEOUT)
        answer = self._input.stdout.readline().strip() if ready else "(nothing)"
        check(answer == expected, f"the fake-input tool answered {answer!r}")

    def _send(self, line):
        self._input.stdin.write(line + "\n")
        self._input.stdin.flush()
        self._answer("ok")

    def pointer(self, command, output=None, x=None, y=None):
        if command == "move":
            self._send(f"move {output.place[0] + x} {output.place[1] + y}")
        else:
            self._send(command)

    def key(self, name):
        self._send(f"key {_KEYCODES[name]}")

    def grab(self, output, path):
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "kwin_reference.py")
        run_tool([self.python, script, output.name, path], self.env, timeout=60)
        return path


class KWinSession(desktop_session.DesktopSession):
    desktop_class = KWinDesktop


class KWinDesktopWithoutEntry(KWinDesktop):
    program_entry = False


class KWinSessionWithoutEntry(desktop_session.DesktopSession):
    """The program installed without its desktop entry: KWin refuses it."""
    desktop_class = KWinDesktopWithoutEntry
