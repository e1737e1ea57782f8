"""Click to overlay on the desktops most people use: headless GNOME Shell
through GNOME's portal (permission given ahead), and headless KWin straight
through KWin's screenshots and through KDE's portal, at scale 1 and with two
outputs at scale 2 (started as the end-to-end runs start them, see
tests/e2e/gnome_session.py and kwin_session.py). Each run is a fresh process
of the capture bench program making three calls; the figure is CameraSubArea
called to the overlay painted on screen.

    bench/capture/run-desktops.sh BUILD_DIR [RUNS]

Reports only; no goal.
"""

import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir,
                                os.pardir, "tests", "e2e"))

import gnome_session  # noqa: E402
import kwin_session  # noqa: E402
import sway_session  # noqa: E402
from harness import Failure  # noqa: E402
from sway_session import Scenario  # noqa: E402

RUNS = int(os.environ.get("QUOBEL_BENCH_RUNS", "5"))


def calls(session, backend):
    tool = os.path.join(session.desktop.tools, "quobel_capture_bench")
    library = os.path.join(session.desktop.tools, "libCameraDll.so")
    env = dict(session.env, QT_QPA_PLATFORM="wayland")
    if backend:
        env["QUOBEL_CAPTURE_BACKEND"] = backend
    found = []
    for _ in range(RUNS):
        done = subprocess.run([tool, "--calls", "3", "--library", library], env=env,
                              capture_output=True, text=True, timeout=180,
                              stdin=subprocess.DEVNULL, cwd=session.workdir)
        if done.returncode != 0:
            raise Failure(f"the bench program failed ({done.returncode}): {done.stderr[-2000:]}")
        found += [[float(v) for v in line.split()[1:]] for line in done.stdout.splitlines()
                  if line.startswith("call ")]
    return found


def report(label, figures):
    first = [c[1] for c in figures if c[0] == 1]
    later = [c[1] for c in figures if c[0] > 1]
    print(f"  {label}: call to overlay painted {statistics.median(first):7.0f} ms median first "
          f"call ({min(first):.0f}-{max(first):.0f}), {statistics.median(later):7.0f} ms later "
          f"calls ({min(later):.0f}-{max(later):.0f})", flush=True)


def outputs(session):
    return ", ".join(f"{o.size[0]}x{o.size[1]} at {o.scale}" for o in session.desktop.outputs_made)


def gnome(session, program):
    session.desktop.allow_screenshots()
    print(f"GNOME Shell 43, {outputs(session)}, {RUNS} processes of three calls", flush=True)
    report("portal", calls(session, None))


def kwin(session, program):
    print(f"KWin 5.27, {outputs(session)}, {RUNS} processes of three calls", flush=True)
    report("KWin directly", calls(session, None))
    report("KDE's portal", calls(session, "portal"))


if __name__ == "__main__":
    sway_session.main({
        "gnome_scale_1": Scenario(gnome, True, gnome_session.SCALE_1, gnome_session.GnomeSession),
        "gnome_mixed": Scenario(gnome, True, gnome_session.MIXED, gnome_session.GnomeSession),
        "kwin_scale_1": Scenario(kwin, True, kwin_session.SCALE_1, kwin_session.KWinSession),
        "kwin_scale_2": Scenario(kwin, True, kwin_session.SCALE_2, kwin_session.KWinSession),
    }, __doc__)
