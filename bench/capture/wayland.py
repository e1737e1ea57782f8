"""Capture benchmark on Wayland: a headless sway with one 1920x1080 output
(started the way the end-to-end tests start it, see tests/e2e/sway_session.py),
the capture bench program on Qt's Wayland platform, through the compositor's
screencopy and through the desktop portal.

    bench/capture/run-wayland.sh BUILD_DIR [RUNS]

Each run is a fresh process making three calls. Goals: screencopy, the
median first call to the overlay painted within 150 ms; portal, the overlay
painted within 100 ms of the portal's answer (the portal's own time is
reported beside it). Exits 1 when a goal is missed.
"""

import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir,
                                os.pardir, "tests", "e2e"))

import sway_session  # noqa: E402
from harness import Failure, log  # noqa: E402
from sway_session import Scenario  # noqa: E402

RUNS = int(os.environ.get("QUOBEL_BENCH_RUNS", "7"))
OUTPUT = (sway_session.Output("HEADLESS-1", "1920x1080", (0, 0), 1),)


def calls(session, program, backend):
    """Every "call" line of RUNS fresh bench processes, as lists of numbers."""
    tool = os.path.join(session.desktop.tools, "quobel_capture_bench")
    library = os.path.join(os.path.dirname(program), "libCameraDll.so")
    env = dict(session.env, QT_QPA_PLATFORM="wayland", QUOBEL_CAPTURE_BACKEND=backend)
    found = []
    for _ in range(RUNS):
        done = subprocess.run([tool, "--calls", "3", "--library", library], env=env,
                              capture_output=True, text=True, timeout=120,
                              stdin=subprocess.DEVNULL, cwd=session.workdir)
        if done.returncode != 0:
            raise Failure(f"the bench program failed ({done.returncode}): {done.stderr[-2000:]}")
        found += [[float(v) for v in line.split()[1:]] for line in done.stdout.splitlines()
                  if line.startswith("call ")]
    return found


def bench(session, program):
    missed = False
    screencopy = calls(session, program, "screencopy")
    first = statistics.median(c[1] for c in screencopy if c[0] == 1)
    later = statistics.median(c[1] for c in screencopy if c[0] > 1)
    memory = max(c[2] / c[3] for c in screencopy)
    print(f"CameraSubArea on a 1920x1080 headless sway, {RUNS} fresh processes of three calls each")
    print(f"  screencopy: call to overlay painted {first:8.1f} ms median first call (goal <= 150), "
          f"{later:.1f} ms later calls; memory added up to {memory:.2f} x one screen image")
    missed = missed or first > 150
    portal = calls(session, program, "portal")
    if any(len(c) < 6 for c in portal):
        raise Failure("the bench program never saw the portal's answer")
    own = statistics.median(c[4] for c in portal)
    after = statistics.median(c[5] for c in portal)
    worst = max(c[5] for c in portal)
    total = statistics.median(c[1] for c in portal)
    print(f"  portal: overlay painted {after:8.1f} ms median after the portal's answer "
          f"(goal <= 100, worst {worst:.1f}); the portal itself took {own:.1f} ms median, "
          f"{total:.1f} ms call to overlay in all")
    missed = missed or after > 100
    print("  GOAL MISSED" if missed else "  goal met", flush=True)
    if missed:
        raise Failure("a goal was missed")


if __name__ == "__main__":
    sway_session.main({"bench": Scenario(bench, portals=True, outputs=OUTPUT)}, __doc__)
