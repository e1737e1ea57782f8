"""The screen capture with the program running natively on a Wayland
desktop: a headless sway with two outputs, the second at scale 2, read
through the compositor's screencopy protocol or through the desktop portal;
selections across the seam of outputs of different scales, and an output
turned a quarter."""

import os
import subprocess
import time

import sway_session
from harness import check, log, run_tool, wait_until
from program_steps import CAPTION, CAPTURE_IN_PLACE, CAPTURE_MINIMISED, EXIT, chat_without_ads
from sway_session import OUTPUTS, Output, Scenario, logical_size

OVERLAY = "截图"
FINISH = "✔"
FAILURE_TITLE = "截图"


# --- pictures ------------------------------------------------------------------

def magick(env, *argv):
    return run_tool(["convert", *argv], env, timeout=60)


def crop(env, path, box, name):
    x, y, width, height = box
    out = os.path.join(os.path.dirname(path), name)
    magick(env, path, "-crop", f"{width}x{height}+{x}+{y}", "+repage", out)
    return out


def mean(env, path):
    return float(magick(env, path, "-format", "%[fx:mean]", "info:"))


def size_of(env, path):
    return run_tool(["identify", "-format", "%wx%h", path], env).strip()


def compare(env, metric, a, b, *options):
    """ImageMagick's compare figure; it writes it to standard error."""
    done = subprocess.run(["compare", "-metric", metric, *options, a, b, "null:"], env=env,
                          capture_output=True, text=True, timeout=60, stdin=subprocess.DEVNULL)
    check(done.returncode in (0, 1), f"compare failed: {done.stderr.strip()}")
    return done.stderr


def differing_pixels(env, a, b, fuzz="3%"):
    return float(compare(env, "AE", a, b, "-fuzz", fuzz).split()[0])


def dimmed_copy_of(env, reference, shot):
    """Whether shot shows reference under a uniform dimming, the way the
    overlay shows the frozen desktop before anything is selected. Returns the
    dimming factor and the remaining difference, for the failure message."""
    factor = mean(env, shot) / max(mean(env, reference), 1e-6)
    scaled = os.path.splitext(shot)[0] + "-expected.ppm"
    magick(env, reference, "-evaluate", "multiply", f"{factor:.4f}", scaled)
    error = float(compare(env, "RMSE", scaled, shot).split("(")[1].split(")")[0])
    return 0.15 < factor < 0.92 and error < 0.04, factor, error


def middle_part(output):
    """A good part of an output in its device pixels, away from the hint the
    overlay shows at its top."""
    width, height = (v * output.scale for v in logical_size(output))
    return width // 4, height // 3, width // 2, height // 3


# --- steps -----------------------------------------------------------------------

def references(session, label):
    desktop = session.desktop
    return {o.name: desktop.grab(o.name, os.path.join(session.workdir, f"{label}-{o.name}.ppm"))
            for o in desktop.outputs_made}


def overlays_up(session, app):
    made = session.desktop.outputs_made
    wait_until(lambda: f"{len(made)} overlays on screen (now {app.sway_windows()})",
               lambda: len([w for w in app.sway_windows(OVERLAY)
                            if w["visible"] and w["fullscreen"]]) == len(made))
    outputs = sorted(w["output"] for w in app.sway_windows(OVERLAY))
    check(outputs == sorted(o.name for o in made), f"overlays on outputs {outputs}")
    # Painting follows mapping.
    time.sleep(1.0)
    log("an overlay on every output")


def overlays_gone(app):
    wait_until(lambda: f"the overlays to go (now {app.sway_windows()})",
               lambda: not [w for w in app.sway_windows(OVERLAY) if w["fullscreen"]])


def check_overlays_show(session, frozen, label):
    """Each output's overlay shows the desktop as it was frozen."""
    env = session.env
    shown = references(session, label)
    for output in session.desktop.outputs_made:
        name = output.name
        area = middle_part(output)
        ok, factor, error = dimmed_copy_of(env, crop(env, frozen[name], area, f"{label}-{name}-ref.ppm"),
                                           crop(env, shown[name], area, f"{label}-{name}-now.ppm"))
        check(ok, f"the overlay on {name} does not show the frozen desktop "
                  f"(dimmed by {factor:.2f}, difference {error:.3f})")
        log(f"overlay on {name} shows the frozen desktop (dimmed by {factor:.2f})")


def drag(session, start, end):
    pointer = session.desktop.pointer
    pointer("move", *start)
    pointer("press")
    for step in (1, 2, 3, 4):
        pointer("move", start[0] + (end[0] - start[0]) * step // 4,
                start[1] + (end[1] - start[1]) * step // 4)
    pointer("release")


def press_finish(app):
    """The check mark on whichever overlay shows the toolbar."""
    def finish_button():
        for window in app.top_levels():
            if window is None or window.name != OVERLAY or not app._showing(window):
                continue
            for node in sway_session.harness.walk(window):
                if (node.getRoleName() == "push button" and node.name == FINISH
                        and app._showing(node)):
                    return node
        return None
    app._press(wait_until("the finish button on an overlay", finish_button))


def check_clipboard(session, frozen, output, box):
    """The clipboard holds the selection in the output's device pixels,
    pixel for pixel as the output showed it."""
    env = session.env
    clip = os.path.join(session.workdir, "clipboard.png")
    types = run_tool(["wl-paste", "--list-types"], env)
    check("image/png" in types.split(), f"clipboard offers {types.split()}")
    with open(clip, "wb") as handle:
        handle.write(run_clipboard(env))
    expected = crop(env, frozen[output], box, "clipboard-expected.ppm")
    check(size_of(env, clip) == f"{box[2]}x{box[3]}",
          f"clipboard image is {size_of(env, clip)}, expected {box[2]}x{box[3]}")
    wrong = differing_pixels(env, expected, clip)
    check(wrong == 0, f"{wrong:.0f} pixels of the clipboard image differ from {output}")
    log(f"clipboard: {box[2]}x{box[3]} device pixels, as {output} showed them")


def run_clipboard(env):
    done = subprocess.run(["wl-paste", "--type", "image/png"], env=env, capture_output=True,
                          timeout=20, stdin=subprocess.DEVNULL)
    check(done.returncode == 0, f"wl-paste failed: {done.stderr!r}")
    return done.stdout


def close_only_button(app, title):
    """Presses the one button of the message box with this title, whatever
    its text (Qt's, in the language of the day)."""
    boxes = [w for w in app.top_levels() if w is not None and w.getRoleName() == "alert"
             and w.name == title]
    check(len(boxes) == 1, f"{len(boxes)} boxes titled {title!r}")
    buttons = [n for n in sway_session.harness.walk(boxes[0])
               if n.getRoleName() == "push button"]
    check(len(buttons) == 1, f"box {title!r} has buttons {[b.name for b in buttons]}")
    app._press(buttons[0])
    wait_until(f"the box {title!r} to close", lambda: not app.alerts())


def escape(session):
    run_tool(["wtype", "-s", "300", "-k", "Escape"], session.env)


def chat_rect(app):
    found = [w for w in app.sway_windows(CAPTION) if w["visible"]]
    check(len(found) == 1, f"chat windows on screen: {found}")
    rect = found[0]["rect"]
    return found[0]["output"], (rect["x"], rect["y"], rect["width"], rect["height"])


def capture_and_copy(session, app, output=OUTPUTS[1]):
    """Capture in place, check the overlays, select 200x100 logical pixels on
    the given output, finish, and check the clipboard."""
    frozen = references(session, "frozen")
    app.press(app.chat, CAPTURE_IN_PLACE)
    overlays_up(session, app)
    check_overlays_show(session, frozen, "overlay")
    (ox, oy), scale = output.position, output.scale
    drag(session, (ox + 180, oy + 300), (ox + 379, oy + 399))
    press_finish(app)
    overlays_gone(app)
    check_clipboard(session, frozen, output.name,
                    (180 * scale, 300 * scale, 200 * scale, 100 * scale))
    app.expect_running()


def clipboard_picture(session, name):
    path = os.path.join(session.workdir, name)
    with open(path, "wb") as handle:
        handle.write(run_clipboard(session.env))
    return path


def check_seam(session, app, box):
    """A selection of the logical box across the seam of two outputs of
    different scales comes out as grim reads the same region: the whole at
    the larger scale, each part from its own output, the smaller scale's
    pixels doubled."""
    env = session.env
    outputs = session.desktop.outputs_made
    scale = max(o.scale for o in outputs)
    frozen = references(session, "frozen")
    region = session.desktop.grab_region(box, scale, os.path.join(session.workdir, "grim.ppm"))
    app.press(app.chat, CAPTURE_IN_PLACE)
    overlays_up(session, app)
    x, y, width, height = box
    drag(session, (x, y), (x + width - 1, y + height - 1))
    press_finish(app)
    overlays_gone(app)
    clip = clipboard_picture(session, "seam.png")
    check(size_of(env, clip) == f"{width * scale}x{height * scale}",
          f"the selection came out {size_of(env, clip)}, not {width * scale}x{height * scale}")
    for output in outputs:
        (ox, oy), (ow, oh) = output.position, logical_size(output)
        left, top = max(x, ox), max(y, oy)
        right, bottom = min(x + width, ox + ow), min(y + height, oy + oh)
        if right <= left or bottom <= top:
            continue
        part = (right - left, bottom - top)
        ours = crop(env, clip, ((left - x) * scale, (top - y) * scale,
                                part[0] * scale, part[1] * scale), f"seam-{output.name}.ppm")
        if output.scale != scale:
            magick(env, ours, "-sample", f"{100 * output.scale // scale}%", ours)
        theirs = crop(env, frozen[output.name],
                      ((left - ox) * output.scale, (top - oy) * output.scale,
                       part[0] * output.scale, part[1] * output.scale),
                      f"seam-{output.name}-expected.ppm")
        wrong = differing_pixels(env, theirs, ours, fuzz="0%")
        check(wrong == 0, f"{wrong:.0f} pixels of the part from {output.name} differ")
        log(f"the part from {output.name} is its pixels at scale {output.scale}")
    # grim interpolates where we double pixels: close, not equal.
    wrong = differing_pixels(env, region, clip, fuzz="20%")
    share = wrong / (width * height * scale * scale)
    check(share < 0.02, f"{share:.1%} of the pixels differ from grim's picture of the region")
    log(f"the selection across the seam matches grim's ({share:.2%} of pixels beyond 20%)")
    app.expect_running()


def capture_minimised(session, app, empty):
    """Ctrl+D's button: the chat window stays out of the frozen picture even
    though sway ignores minimising, and is back once the capture ends."""
    output, (x, y, width, height) = chat_rect(app)
    origin = next(o.position for o in session.desktop.outputs_made if o.name == output)
    box = (x - origin[0], y - origin[1], width, height)
    app.press(app.chat, CAPTURE_MINIMISED)
    overlays_up(session, app)
    env = session.env
    shown = references(session, "minimised")
    ok, factor, error = dimmed_copy_of(env, crop(env, empty[output], box, "desktop-where-chat.ppm"),
                                       crop(env, shown[output], box, "overlay-where-chat.ppm"))
    check(ok, f"the chat window is in the frozen picture (dimmed by {factor:.2f}, "
              f"difference {error:.3f})")
    log("the chat window is out of the frozen picture")
    escape(session)
    overlays_gone(app)
    wait_until(lambda: f"the chat window back on screen (now {app.sway_windows()})",
               lambda: any(w["visible"] for w in app.sway_windows(CAPTION)))
    app.expect_running()


def start(session, program, extra_env=None):
    empty = references(session, "empty")
    app = session.launch(program, extra_env)
    app.chat = chat_without_ads(app)
    return app, empty


def finish(app):
    app.press(app.chat, EXIT)
    app.expect_exit(0)


# --- scenarios -------------------------------------------------------------------

def screencopy(session, program):
    app, empty = start(session, program)
    capture_and_copy(session, app)
    capture_minimised(session, app, empty)
    finish(app)


def portal(session, program):
    app, empty = start(session, program, {"QUOBEL_CAPTURE_BACKEND": "portal"})
    capture_and_copy(session, app)
    # The portal's picture went into a temporary folder; the capture leaves
    # none behind.
    check(not os.path.exists("/tmp/out.png"), "the portal's picture was left in /tmp")
    capture_minimised(session, app, empty)
    finish(app)


def without_portal(session, program):
    app, _ = start(session, program, {"QUOBEL_CAPTURE_BACKEND": "portal"})
    app.press(app.chat, CAPTURE_IN_PLACE)
    title, text = app.wait_alert(FAILURE_TITLE)
    check("xdg-desktop-portal" in text, f"the box does not say what is missing: {text!r}")
    check(not [w for w in app.sway_windows(OVERLAY) if w["fullscreen"]],
          "an overlay came up without a picture")
    close_only_button(app, FAILURE_TITLE)
    app.expect_running()
    check(any(w["visible"] for w in app.sway_windows(CAPTION)), "the chat window went away")
    finish(app)


# The scaled output left of the plain one: in logical pixels the scaled
# output's device pixels reach far past the seam.
SCALED_LEFT = (Output("HEADLESS-1", "2560x1440", (0, 0), 2),
               Output("HEADLESS-2", "1920x1080", (1280, 0), 1))
# A portrait monitor beside a landscape one.
TURNED = (Output("HEADLESS-1", "1920x1080", (0, 0), 1),
          Output("HEADLESS-2", "1920x1080", (1920, 0), 1, "90"))


def seam_scaled_left(session, program):
    app, _ = start(session, program)
    check_seam(session, app, (1180, 300, 200, 100))
    finish(app)


def seam_scaled_right(session, program):
    app, _ = start(session, program)
    check_seam(session, app, (1820, 300, 200, 100))
    finish(app)


def turned_output(session, program):
    app, _ = start(session, program)
    capture_and_copy(session, app, TURNED[1])
    finish(app)


if __name__ == "__main__":
    sway_session.main({"screencopy": Scenario(screencopy),
                       "portal": Scenario(portal, portals=True),
                       "without_portal": Scenario(without_portal),
                       "seam_scaled_left": Scenario(seam_scaled_left, outputs=SCALED_LEFT),
                       "seam_scaled_right": Scenario(seam_scaled_right),
                       "turned_output": Scenario(turned_output, outputs=TURNED)}, __doc__)
