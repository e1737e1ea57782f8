"""The screen capture from the chat window, with the capture library beside
the program and without it."""

import os
import subprocess
import time

import harness
from harness import check, log, wait_until
from program_steps import (APP_TITLE, BOX_BUTTON, CAPTION, CAPTURE_IN_PLACE, CAPTURE_MINIMISED, OK,
                           chat_without_ads, copy_program, enter_text, no_alert_follows)

OVERLAY = "截图"
REMINDER_TITLE = "提醒"
REMINDER = "请截完图后按保存键，不要按完成键（图形是勾）！！！"


def overlay_shown(app):
    wait_until(lambda: f"the capture overlay (on screen: {app.visible_window_names()})",
               lambda: OVERLAY in app.visible_window_names())
    log("capture overlay on screen")


def capture_over_chat_window(session, program):
    """The program started into its chat window without advertisements and a
    capture started from it in place: the program, the window and where the
    window is."""
    app = session.launch(program)
    chat_without_ads(app)
    window = app.x_window(CAPTION)
    x, y = app.window_origin(window)
    app.press(app.window(CAPTION), CAPTURE_IN_PLACE)
    overlay_shown(app)
    return app, window, x, y


def escape_overlay(app):
    # The overlay holds the keyboard, so the key needs no target window.
    app.key(None, "Escape")
    wait_until(lambda: f"the overlay to close (on screen: {app.visible_window_names()})",
               lambda: OVERLAY not in app.visible_window_names())
    no_alert_follows(app, settle=0.5)
    app.expect_running()


def check_minimised(app, window, expected):
    if expected:
        wait_until("the chat window to be minimised", lambda: app.minimised(window))
    else:
        time.sleep(0.5)  # a minimise would have reached the window manager by now
        check(not app.minimised(window), f"chat window is {app.wm_state(window)}")


def window_background_area(app, window):
    """A patch of bare window background: left of every control."""
    x, y = app.window_origin(window)
    return x + 4, y + 120, 12, 12


def check_window_left_the_picture(app, area, before):
    # In the frozen picture the patch where the window stood must look like
    # bare desktop, sampled far away in the screen's bottom-right corner,
    # and no longer like the window's background.
    during = set(app.screen_pixels(*area))
    desktop = set(app.screen_pixels(1280 - 20, 1024 - 20, 12, 12))
    check(during == desktop,
          f"the minimised window is still in the frozen picture: {during} vs desktop {desktop}")
    check(during != set(before), f"the patch still shows the window background {during}")


def restore(app, window):
    app.activate(window)
    wait_until("the chat window to come back", lambda: app.wm_state(window) == "Normal")


def capture_triggers(session, program, links):
    app = session.launch(program)
    chat = chat_without_ads(app)
    window = app.x_window(CAPTION)

    # Ctrl+D with the focus where the window put it (a button). The window is
    # out of the picture the overlay freezes.
    area = window_background_area(app, window)
    before = app.screen_pixels(*area)
    app.key(window, "ctrl+d")
    overlay_shown(app)
    check_minimised(app, window, True)
    check_window_left_the_picture(app, area, before)
    escape_overlay(app)
    restore(app, window)

    app.press(chat, CAPTURE_MINIMISED)
    overlay_shown(app)
    check_minimised(app, window, True)
    escape_overlay(app)
    check(app.minimised(window), "the window came back by itself after the capture")
    restore(app, window)

    # Ctrl+D reaches the menu even while the text box has the focus.
    enter_text(app, chat, "你好")
    app.key(window, "ctrl+d")
    overlay_shown(app)
    check_minimised(app, window, True)
    escape_overlay(app)
    restore(app, window)
    check(app.text_of(chat) == "你好", f"Text1 now {app.text_of(chat)!r}")

    app.press(chat, CAPTURE_IN_PLACE)
    overlay_shown(app)
    check_minimised(app, window, False)
    escape_overlay(app)
    check_minimised(app, window, False)

    # The chat turn: the reminder first, the capture once it is dismissed.
    enter_text(app, chat, "截图")
    app.press(chat, OK)
    app.wait_alert(REMINDER_TITLE, REMINDER)
    check(OVERLAY not in app.visible_window_names(), "capture started before the reminder")
    app.dismiss_alert(REMINDER_TITLE, REMINDER, button=BOX_BUTTON)
    overlay_shown(app)
    check_minimised(app, window, False)
    escape_overlay(app)

    # Several captures in one run, and the program still chats afterwards.
    app.press(chat, CAPTURE_IN_PLACE)
    overlay_shown(app)
    escape_overlay(app)
    enter_text(app, chat, "你好")
    app.press(chat, OK)
    app.dismiss_alert("对话", "你也好啊！！！", button=BOX_BUTTON)
    app.close_window(window)
    app.expect_exit(0)


def drag(app, start, end, steps=6):
    """Drags with the left button held, in steps so the overlay sees the moves."""
    env = app.session.env
    harness.run_tool(["xdotool", "mousemove", str(start[0]), str(start[1])], env)
    harness.run_tool(["xdotool", "mousedown", "1"], env)
    for step in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * step // steps
        y = start[1] + (end[1] - start[1]) * step // steps
        harness.run_tool(["xdotool", "mousemove", str(x), str(y)], env)
        time.sleep(0.05)
    harness.run_tool(["xdotool", "mouseup", "1"], env)


def toolbar_button(app, name):
    """Clicks a button of the capture toolbar through its accessible action."""
    def find():
        for window in app.top_levels():
            for node in harness.walk(window):
                # Qt shows a checkable tool button as a check box.
                if node.name == name and node.getRoleName() in ("push button", "check box"):
                    return node
        return None
    def shown():
        return [(n.name, n.getRoleName()) for w in app.top_levels() for n in harness.walk(w)
                if n.name][:60]
    button = wait_until(lambda: f"the toolbar button {name!r} (named: {shown()})", find)
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    usable = [n for n in ("Press", "Toggle", "Click") if n in names]
    check(usable, f"toolbar button {name!r} offers no press: {names}")
    log(f"toolbar {name!r}")
    action.doAction(names.index(usable[0]))


def clipboard_png(app, path):
    """The clipboard's image as PNG, read the way another program reads it."""
    def read():
        done = subprocess.run(["xclip", "-selection", "clipboard", "-t", "image/png", "-o"],
                              env=app.session.env, capture_output=True, timeout=30,
                              stdin=subprocess.DEVNULL)
        return done.stdout if done.returncode == 0 and done.stdout.startswith(b"\x89PNG") else None
    data = wait_until("an image on the clipboard", read)
    with open(path, "wb") as handle:
        handle.write(data)
    return path


def png_pixels(app, path):
    """{(x, y): '#RRGGBB'} of a PNG file, through ImageMagick."""
    out = harness.run_tool(["convert", path, "-alpha", "off", "-depth", "8", "txt:-"],
                           app.session.env, timeout=60)
    pixels = {}
    for line in out.splitlines()[1:]:
        where, _, rest = line.partition(":")
        x, y = where.split(",")
        pixels[(int(x), int(y))] = rest.split()[1][:7].upper()
    return pixels


def capture_markup(session, program, links):
    app = session.launch(program)
    chat = chat_without_ads(app)
    app.press(chat, CAPTURE_IN_PLACE)
    overlay_shown(app)

    # The selection, then a rectangle and an arrow in the default red.
    left, top = 700, 150
    drag(app, (left, top), (left + 399, top + 299))
    toolbar_button(app, "矩形")
    drag(app, (750, 200), (900, 350))
    toolbar_button(app, "箭头")
    drag(app, (950, 400), (1050, 250))
    app.key(None, "Return")
    wait_until(lambda: f"the overlay to close (on screen: {app.visible_window_names()})",
               lambda: OVERLAY not in app.visible_window_names())

    path = clipboard_png(app, os.path.join(session.workdir, "clipboard.png"))
    pixels = png_pixels(app, path)
    size = (max(x for x, _ in pixels) + 1, max(y for _, y in pixels) + 1)
    check(size == (400, 300), f"the copied image is {size[0]}x{size[1]}, not 400x300")
    red = {point for point, colour in pixels.items() if colour == "#FF0000"}
    # The rectangle's left and bottom edges, 4 pixels wide around x = 750 and
    # y = 350; a point on the arrow's shaft and one at its head.
    expected = [(50, 120), (48, 180), (51, 60), (120, 200), (120, 198), (300, 175), (345, 108)]
    missing = [p for p in expected if p not in red]
    check(not missing, f"not red in the copy: {[(p, pixels[p]) for p in missing]}")
    inside = [(x, y) for x in range(60, 190) for y in range(60, 190)]
    check(not any(p in red for p in inside), "red inside the rectangle, where nothing was drawn")
    check(len(red) > 2000, f"only {len(red)} red pixels: marks missing")
    log(f"clipboard image 400x300 with {len(red)} red pixels")

    app.expect_running()
    app.close_window(app.x_window(CAPTION))
    app.expect_exit(0)


READ_TEXT = "文字识别"
PIN = "贴图"


def xclip_text(app):
    """The clipboard's text, read the way another program reads it."""
    done = subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=app.session.env,
                          capture_output=True, timeout=30, stdin=subprocess.DEVNULL)
    return done.stdout.decode("utf-8") if done.returncode == 0 else None


def capture_read_text(session, program, links):
    """The chat window picked with a click, its text read, copied and pasted
    elsewhere."""
    app, window, x, y = capture_over_chat_window(session, program)
    # Before the first drag a click takes the window under the pointer.
    harness.run_tool(["xdotool", "mousemove", str(x + 100), str(y + 200)], session.env)
    time.sleep(0.3)
    harness.run_tool(["xdotool", "click", "1"], session.env)
    toolbar_button(app, READ_TEXT)
    wait_until(lambda: f"the overlay to close (on screen: {app.visible_window_names()})",
               lambda: OVERLAY not in app.visible_window_names())

    reader = app.window(READ_TEXT, with_buttons=("复制",))
    box = app.text_edit(reader)
    text = wait_until("the recognised text",
                      lambda: box.queryText().getText(0, -1).strip() or None, timeout=60)
    log(f"recognised: {text!r}")
    lines = text.split("\n")
    for label in ("截图", "对话", "确定", "其他", "关于", "检查更新", "使用说明"):
        check(label in lines, f"{label!r} is not a line of its own in {lines}")
    check("如果对话中按确定没有反应" in text, f"the long label is missing from {text!r}")
    check(not any(" " in line for line in lines if any("\u4e00" <= c <= "\u9fff" for c in line)),
          f"spaces among the Chinese in {lines}")

    app.press(reader, "复制")
    pasted = wait_until("the text on the clipboard", lambda: xclip_text(app) == text or None)
    check(pasted, "the clipboard does not hold the recognised text")
    log(f"clipboard holds the {len(lines)} lines")

    # The reader outlives the capture call; the host goes on and closes it.
    app.expect_running()
    app.close_window(app.x_window(READ_TEXT))
    wait_until("the reader to close", lambda: READ_TEXT not in app.visible_window_names())
    app.close_window(app.x_window(CAPTION))
    app.expect_exit(0)


def net_wm_state(app, window):
    return harness.run_tool(["xprop", "-id", str(window), "_NET_WM_STATE"], app.session.env,
                            check_rc=False)


def capture_pin(session, program, links):
    """A part of the chat window pinned: above the window even when that is
    raised and moved under it, showing the pixels as they were, gone on Esc."""
    app = session.launch(program)
    chat_without_ads(app)
    window = app.x_window(CAPTION)
    x, y = app.window_origin(window)
    area = (x + 40, y + 140, 240, 120)  # the text box and the button under it
    before = app.screen_pixels(*area)

    app.press(app.window(CAPTION), CAPTURE_IN_PLACE)
    overlay_shown(app)
    drag(app, (area[0], area[1]), (area[0] + area[2] - 1, area[1] + area[3] - 1))
    toolbar_button(app, PIN)
    pin = app.x_window(PIN)
    check(OVERLAY not in app.visible_window_names(), "the overlay stayed")
    # Away from the pin, whose frame shows while the pointer is on it.
    harness.run_tool(["xdotool", "mousemove", "5", "1000"], session.env)
    check("_NET_WM_STATE_ABOVE" in net_wm_state(app, pin),
          f"the pin is not kept above: {net_wm_state(app, pin)!r}")
    geometry = harness.run_tool(["xdotool", "getwindowgeometry", "--shell", str(pin)],
                                session.env)
    values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
    placed = (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))
    check(placed == area, f"the pin is at {placed}, the selection was at {area}")
    wait_until("the pin to show the captured pixels", lambda: app.screen_pixels(*area) == before)

    # The chat window raised and moved under the pin: the pin stays on top,
    # with what the capture froze.
    app.activate(window)
    harness.run_tool(["xdotool", "windowmove", str(window), str(x - 60), str(y + 30)],
                     session.env)
    time.sleep(0.8)
    check(app.screen_pixels(*area) == before, "the pin no longer shows the captured pixels")
    app.expect_running()

    # A click gives it the keyboard; Esc closes it.
    harness.run_tool(["xdotool", "mousemove", str(area[0] + 20), str(area[1] + 20), "click", "1"],
                     session.env)
    time.sleep(0.5)
    app.key(None, "Escape")
    wait_until(lambda: f"the pin to close (on screen: {app.visible_window_names()})",
               lambda: PIN not in app.visible_window_names())
    app.expect_running()
    app.close_window(window)
    app.expect_exit(0)


def capture_report(app):
    title, text = app.wait_alert()
    check(title == APP_TITLE, f"error report titled {title!r}")
    check("CameraDll" in text, f"the report does not name the library: {text!r}")
    return text


def capture_without_library(session, program, links):
    copy = copy_program(program, os.path.join(session.workdir, "no-library"), with_icon=True)
    app = session.launch(copy)
    chat = chat_without_ads(app)
    window = app.x_window(CAPTION)

    app.press(chat, CAPTURE_MINIMISED)
    capture_report(app)
    check(app.minimised(window), "the report came before the window was minimised")
    app.dismiss_alert(APP_TITLE, button=BOX_BUTTON)
    no_alert_follows(app, settle=0.5)
    app.expect_running()
    restore(app, window)

    app.press(chat, CAPTURE_IN_PLACE)
    capture_report(app)
    check(not app.minimised(window), "the in-place capture minimised the window")
    app.dismiss_alert(APP_TITLE, button=BOX_BUTTON)
    app.expect_running()

    # The chat turn: the reminder, then the report; chatting still works.
    enter_text(app, chat, "截图")
    app.press(chat, OK)
    app.dismiss_alert(REMINDER_TITLE, REMINDER, button=BOX_BUTTON)
    capture_report(app)
    app.dismiss_alert(APP_TITLE, button=BOX_BUTTON)
    no_alert_follows(app, settle=0.5)
    enter_text(app, chat, "你好")
    app.press(chat, OK)
    app.dismiss_alert("对话", "你也好啊！！！", button=BOX_BUTTON)
    app.expect_running()
    check(session.links.links() == [], f"links opened: {session.links.links()}")
    app.close_window(window)
    app.expect_exit(0)


def capture_with_truncated_library(session, program, links):
    """A capture library cut short after 12 KiB is reported like a missing one;
    loading it as it is would kill the program inside the system loader."""
    copy = copy_program(program, os.path.join(session.workdir, "cut-library"), with_icon=True)
    with open(os.path.join(os.path.dirname(program), "libCameraDll.so"), "rb") as whole:
        head = whole.read(12 * 1024)
    with open(os.path.join(os.path.dirname(copy), "libCameraDll.so"), "wb") as cut:
        cut.write(head)
    app = session.launch(copy)
    chat = chat_without_ads(app)
    window = app.x_window(CAPTION)
    app.press(chat, CAPTURE_IN_PLACE)
    capture_report(app)
    app.dismiss_alert(APP_TITLE, button=BOX_BUTTON)
    app.expect_running()
    app.close_window(window)
    app.expect_exit(0)


if __name__ == "__main__":
    harness.main({"capture_triggers": capture_triggers,
                  "capture_markup": capture_markup,
                  "capture_read_text": capture_read_text,
                  "capture_pin": capture_pin,
                  "capture_without_library": capture_without_library,
                  "capture_with_truncated_library": capture_with_truncated_library}, __doc__)
