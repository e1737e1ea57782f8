"""Chinese typed into the capture's text tool through a real input method,
ibus (libpinyin) or fcitx5 (pinyin), on the private X desktop of harness.py.

Keys go through XTEST, as a keyboard's would, and reach the input method
before the program. The copy of the selection is compared, pixel for pixel,
with the text tool's text drawn alone over the same selection copied without
text (tests/tools/render_text.cpp): so the text is exactly what was typed,
where it was typed.
"""

import os
import subprocess
import time

import harness
from e2e_capture import clipboard_png, drag, overlay_shown, toolbar_button
from harness import check, log, run_tool, wait_until
from program_steps import CAPTURE_IN_PLACE, chat_without_ads

OVERLAY = "截图"
# The selection, away from the chat window, and where texts are placed in it.
BOX = (640, 560, 1039, 819)
TEXT_AT = (680, 600)
ELSEWHERE = (900, 760)


# --- input methods ----------------------------------------------------------------

def start_ibus(session):
    """ibus with libpinyin, its settings in memory; Qt's ibus plugin finds
    the daemon through the bus file the daemon writes for this display."""
    env = dict(session.env, GSETTINGS_BACKEND="memory")
    session.desktop._start("ibus", ["ibus-daemon", "--xim", "--config",
                                    "/usr/libexec/ibus-memconf", "--emoji-extension", "disable",
                                    "--panel", "disable"], env=env)
    wait_until("the ibus daemon", lambda: run_tool(["ibus", "address"], env,
                                                   check_rc=False).strip() not in ("", "(null)"))
    # "ibus engine NAME" exits 1 even when it worked.
    wait_until("the libpinyin engine", lambda: run_tool(["ibus", "engine", "libpinyin"], env,
                                                        check_rc=False) is not None
               and run_tool(["ibus", "engine"], env, check_rc=False).strip() == "libpinyin")
    return {"QT_IM_MODULE": "ibus"}


def start_fcitx5(session):
    """fcitx5 with pinyin active from the start, on the session bus."""
    config = os.path.join(session.env["XDG_CONFIG_HOME"], "fcitx5")
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "profile"), "w") as handle:
        handle.write("[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=pinyin\n\n"
                     "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
                     "[Groups/0/Items/1]\nName=pinyin\nLayout=\n\n"
                     "[GroupOrder]\n0=Default\n")
    with open(os.path.join(config, "config"), "w") as handle:
        handle.write("[Behavior]\nActiveByDefault=True\nShareInputState=All\n")
    session.desktop._start("fcitx5", [
        "fcitx5", "--disable=wayland,waylandim,kimpanel,notificationitem,clipboard,cloudpinyin,"
                  "notifications,ibusfrontend,spell"], env=session.env)
    wait_until("fcitx5 on the bus", lambda: "boolean true" in run_tool(
        ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
         "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:org.fcitx.Fcitx5"],
        session.env, check_rc=False))
    return {"QT_IM_MODULE": "fcitx"}


# --- steps ------------------------------------------------------------------------

def key(session, name):
    run_tool(["xdotool", "key", "--delay", "80", name], session.env)
    time.sleep(0.3)


def type_keys(session, text):
    run_tool(["xdotool", "type", "--delay", "120", text], session.env, timeout=30)
    time.sleep(0.5)


def click(session, at):
    run_tool(["xdotool", "mousemove", str(at[0]), str(at[1]), "click", "1"], session.env)
    time.sleep(0.3)


def overlay_gone(app):
    wait_until(lambda: f"the overlay to close (on screen: {app.visible_window_names()})",
               lambda: OVERLAY not in app.visible_window_names())


def select(session, app):
    app.press(app.chat, CAPTURE_IN_PLACE)
    overlay_shown(app)
    drag(app, BOX[:2], BOX[2:])


def copy(session, app, label):
    """Enter copies and ends the capture; returns the copy's path."""
    key(session, "Return")
    overlay_gone(app)
    path = os.path.join(session.workdir, f"{label}.png")
    # The previous copy may still be on the clipboard for a moment.
    time.sleep(0.5)
    return clipboard_png(app, path)


def expected_copy(session, tools, background, text, label):
    out = os.path.join(session.workdir, f"{label}-expected.png")
    run_tool([os.path.join(tools, "quobel_render_text"), background, str(BOX[0]), str(BOX[1]),
              str(TEXT_AT[0]), str(TEXT_AT[1]), text, out], session.env, timeout=30)
    return out


def differing(session, a, b):
    done = subprocess.run(["compare", "-metric", "AE", a, b, "null:"], env=session.env,
                          capture_output=True, text=True, timeout=60, stdin=subprocess.DEVNULL)
    return float(done.stderr.split()[0])


def check_text(session, tools, background, copied, text, label):
    wrong = differing(session, expected_copy(session, tools, background, text, label), copied)
    check(wrong == 0, f"{label}: the copy is not the text {text!r} as the text tool draws it "
                      f"({wrong:.0f} pixels differ)")
    log(f"{label}: the copy shows {text!r}, pixel for pixel")


def start_text(session, app):
    toolbar_button(app, "文字")
    click(session, TEXT_AT)


def candidate_window_shown(session, before):
    """fcitx5's candidate window: a window of its own, placed under the
    text cursor, and visible over the overlay."""
    env = session.env
    found = run_tool(["xdotool", "search", "--onlyvisible", "--class", "fcitx"], env,
                     check_rc=False).split()
    check(found, "fcitx5 shows no candidate window")
    out = run_tool(["xdotool", "getwindowgeometry", "--shell", found[-1]], env)
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    x, y, width, height = (int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
    log(f"candidate window at {x},{y} {width}x{height}; the text at {TEXT_AT}")
    # Qt::ImCursorRectangle is the caret after the composition, one line high.
    check(TEXT_AT[0] - 10 <= x <= TEXT_AT[0] + 200 and TEXT_AT[1] <= y <= TEXT_AT[1] + 80,
          f"the candidate window at {x},{y} is not at the text cursor near {TEXT_AT}")
    now = os.path.join(session.workdir, "candidates.png")
    run_tool(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", now], env,
             timeout=30)
    then = os.path.join(session.workdir, "before-candidates.png")
    run_tool(["convert", before, "-crop", f"{width}x{height}+{x}+{y}", "+repage", then], env)
    check(differing(session, now, then) > width * height // 20,
          "the candidate window is hidden behind the overlay")


# --- the scenarios ----------------------------------------------------------------

def typing(session, program, links, start_method, name):
    # Where quobel_render_text is, set by the test's registration.
    tools = os.environ.get("QUOBEL_TEST_TOOLS", os.path.dirname(program))
    session.desktop.env.update(start_method(session))
    app = session.launch(program)
    app.chat = chat_without_ads(app)

    # The selection without text, for the renderings to draw on.
    select(session, app)
    background = copy(session, app, "background")

    # Pinyin and a space: the first candidate, 你好. The text ends with
    # Enter once nothing is composed.
    select(session, app)
    start_text(session, app)
    root = os.path.join(session.workdir, "typing.png")
    run_tool(["import", "-window", "root", root], session.env, timeout=30)
    type_keys(session, "nihao")
    if name == "fcitx5":
        candidate_window_shown(session, root)
    key(session, "space")
    key(session, "Return")
    check_text(session, tools, background, copy(session, app, "space"), "你好", f"{name} space")

    # Still composing when a click elsewhere ends the text: what was
    # composed stays.
    select(session, app)
    start_text(session, app)
    type_keys(session, "nihao")
    click(session, ELSEWHERE)
    shown = session.composed[name]
    check_text(session, tools, background, copy(session, app, "click"), shown, f"{name} click")

    # Enter and Esc while composing reach the input method first, as in
    # every program: Enter commits the letters typed, Esc drops the
    # composition; the text ends with the next one.
    for ending, kept in (("Return", "nihao"), ("Escape", "")):
        select(session, app)
        start_text(session, app)
        type_keys(session, "nihao")
        key(session, ending)
        key(session, ending)
        copied = copy(session, app, ending)
        if kept:
            check_text(session, tools, background, copied, kept, f"{name} {ending}")
        else:
            wrong = differing(session, background, copied)
            check(wrong == 0, f"{name} {ending}: a text remained ({wrong:.0f} pixels)")
            log(f"{name} {ending}: the composition dropped, as the input method does")
    app.expect_running()


def ibus(session, program, links):
    session.composed = {"ibus": "你好"}
    typing(session, program, links, start_ibus, "ibus")


def fcitx5(session, program, links):
    # fcitx5 shows the pinyin itself while composing.
    session.composed = {"fcitx5": "ni hao"}
    typing(session, program, links, start_fcitx5, "fcitx5")


if __name__ == "__main__":
    harness.main({"ibus": ibus, "fcitx5": fcitx5}, __doc__)
