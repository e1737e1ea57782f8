"""Takes the pictures of the program's windows for the documentation."""

import os
import time

import harness
from e2e_capture import OVERLAY, PIN, READ_TEXT, capture_over_chat_window, drag, toolbar_button
from harness import wait_until
from program_steps import (APP_TITLE, BOX_BUTTON, CAPTION, NOTICE_TEXT,
                           NOTICE_TITLE, OK, WELCOME, WITH_ADS, chat_without_ads,
                           check_chat_window, shown_alone, start_window)


def picture(app, name, output_dir, title=CAPTION):
    window = app.x_window(title)
    app.activate(window)
    time.sleep(1.0)  # let the window finish painting
    app.screenshot(window, os.path.join(output_dir, name))


def tour(session, program, links):
    output_dir = session.output_dir or os.getcwd()
    app = session.launch(program, "with-ads")
    app.wait_alert(NOTICE_TITLE, NOTICE_TEXT)
    picture(app, "start-notice.png", output_dir, title=NOTICE_TITLE)
    start = start_window(app)
    picture(app, "start-window.png", output_dir)
    app.press(start, WITH_ADS)
    app.dismiss_alert(APP_TITLE, WELCOME, button=BOX_BUTTON)
    chat = shown_alone(app, (OK,))
    check_chat_window(app, chat, with_ads=True)
    picture(app, "chat-with-ads.png", output_dir)
    app.close_window(app.x_window(CAPTION))
    app.expect_exit(0)

    app = session.launch(program, "without-ads")
    chat_without_ads(app)
    picture(app, "chat-without-ads.png", output_dir)
    app.close_window(app.x_window(CAPTION))
    app.expect_exit(0)


def capture_markup(session, program, links):
    """The capture over the chat window, marked up, with its toolbar."""
    output_dir = session.output_dir or os.getcwd()
    app, _, x, y = capture_over_chat_window(session, program)
    time.sleep(0.5)
    drag(app, (x - 30, y - 50), (x + 430, y + 330))
    toolbar_button(app, "矩形")
    drag(app, (x + 10, y + 20), (x + 250, y + 110))
    toolbar_button(app, "箭头")
    drag(app, (x + 380, y + 250), (x + 260, y + 120))
    toolbar_button(app, "马赛克")
    drag(app, (x + 20, y + 200), (x + 160, y + 250))
    toolbar_button(app, "蓝色")
    toolbar_button(app, "文字")
    time.sleep(0.5)  # the toolbar's actions arrive over the accessibility bus
    harness.run_tool(["xdotool", "mousemove", str(x + 270), str(y + 260), "click", "1"],
                     session.env)
    harness.run_tool(["xdotool", "type", "--delay", "150", "看这里"], session.env, timeout=30)
    harness.run_tool(["xdotool", "key", "Return"], session.env)
    harness.run_tool(["xdotool", "mousemove", str(x + 200), str(y + 300)], session.env)
    time.sleep(0.8)
    path = os.path.join(output_dir, "capture-markup.png")
    harness.run_tool(["import", "-window", "root", path], session.env, timeout=30)
    harness.log(f"screenshot {path}")
    app.key(None, "Escape")
    wait_until("the overlay to close", lambda: OVERLAY not in app.visible_window_names())
    app.close_window(app.x_window(CAPTION))
    app.expect_exit(0)


def frame_of(app, window):
    """Left, top, right, bottom of a window with its window-manager frame."""
    out = harness.run_tool(["xwininfo", "-id", str(window), "-frame"], app.session.env)
    values = {}
    for line in out.splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    left = int(values["Absolute upper-left X"])
    top = int(values["Absolute upper-left Y"])
    return left, top, left + int(values["Width"]), top + int(values["Height"])


def picture_of_area(app, windows, path, margin=24):
    """The part of the screen that holds these windows, frames and all."""
    boxes = [frame_of(app, w) for w in windows]
    left = max(0, min(b[0] for b in boxes) - margin)
    top = max(0, min(b[1] for b in boxes) - margin)
    right = min(1280, max(b[2] for b in boxes) + margin)
    bottom = min(1024, max(b[3] for b in boxes) + margin)
    harness.run_tool(["import", "-window", "root", "-crop",
                      f"{right - left}x{bottom - top}+{left}+{top}", "+repage", path],
                     app.session.env, timeout=30)
    harness.log(f"screenshot {path}")


def capture_pin(session, program, links):
    """A marked-up part of the chat window pinned and moved beside it."""
    output_dir = session.output_dir or os.getcwd()
    app, window, x, y = capture_over_chat_window(session, program)
    time.sleep(0.5)
    drag(app, (x + 20, y - 10), (x + 300, y + 260))
    toolbar_button(app, "黄色")
    toolbar_button(app, "荧光笔")
    drag(app, (x + 146, y + 59), (x + 180, y + 59), steps=10)
    toolbar_button(app, "序号")
    time.sleep(0.5)  # the toolbar's actions arrive over the accessibility bus
    for point in ((x + 95, y + 135), (x + 105, y + 190)):
        harness.run_tool(["xdotool", "mousemove", str(point[0]), str(point[1]), "click", "1"],
                         session.env)
        time.sleep(0.3)
    toolbar_button(app, PIN)
    pin = app.x_window(PIN)
    # Moved off the window it was cut from, and zoomed in a step.
    harness.run_tool(["xdotool", "mousemove", str(x + 150), str(y + 150)], session.env)
    harness.run_tool(["xdotool", "mousedown", "1"], session.env)
    for step in range(1, 9):
        harness.run_tool(["xdotool", "mousemove", str(x + 150 + step * 45), str(y + 150 + step * 8)],
                         session.env)
        time.sleep(0.05)
    harness.run_tool(["xdotool", "mouseup", "1"], session.env)
    harness.run_tool(["xdotool", "click", "4"], session.env)
    harness.run_tool(["xdotool", "mousemove", "1270", "1010"], session.env)
    time.sleep(0.8)
    picture_of_area(app, [window, pin], os.path.join(output_dir, "capture-pin.png"))
    app.close_window(pin)
    app.close_window(window)
    app.expect_exit(0)


def capture_read_text(session, program, links):
    """The chat window's upper half selected and its text read."""
    output_dir = session.output_dir or os.getcwd()
    app, window, x, y = capture_over_chat_window(session, program)
    time.sleep(0.5)
    drag(app, (x + 10, y - 28), (x + 335, y + 250))
    toolbar_button(app, READ_TEXT)
    reader = app.window(READ_TEXT, with_buttons=("复制",))
    box = app.text_edit(reader)
    wait_until("the recognised text", lambda: box.queryText().getText(0, -1).strip(), timeout=60)
    harness.run_tool(["xdotool", "mousemove", "1270", "1010"], session.env)
    time.sleep(0.8)
    reader_window = app.x_window(READ_TEXT)
    picture_of_area(app, [window, reader_window],
                    os.path.join(output_dir, "capture-read-text.png"))
    app.close_window(reader_window)
    app.close_window(window)
    app.expect_exit(0)


def chat_texts(app, chat, path):
    """Every text on the chat window, "role<TAB>text" a line, as the
    accessibility bus has them."""
    texts = {"label": [], "push button": [], "text": [], "menu": []}
    for node in harness.walk(chat):
        role = node.getRoleName()
        if role == "text":
            texts[role].append(node.queryText().getText(0, -1))
        elif role in ("menu", "menu item") and node.name and node.name not in texts["menu"]:
            texts["menu"].append(node.name)
        elif role in texts and node.name:
            texts[role].append(node.name)
    with open(path, "w", encoding="utf-8") as out:
        for role in ("menu", "label", "push button", "text"):
            for text in texts[role]:
                out.write(f"{role}\t{text}\n")
    harness.log(f"chat window texts: {texts}")


def chat_for_recognition(session, program, links):
    """The chat windows as the text recognition benchmark reads them, each
    with every text on it: the one with advertisements, which has the most
    labels, as its window shows it (chat.png), and the one without, with the
    window manager's frame, as a click in the capture picks it
    (chat-framed.png)."""
    output_dir = session.output_dir or os.getcwd()
    app = session.launch(program, "with-ads")
    start = start_window(app)
    app.press(start, WITH_ADS)
    app.dismiss_alert(APP_TITLE, WELCOME, button=BOX_BUTTON)
    chat = shown_alone(app, (OK,))
    window = app.x_window(CAPTION)
    app.activate(window)
    time.sleep(1.0)  # let the window finish painting
    harness.run_tool(["import", "-window", str(window), os.path.join(output_dir, "chat.png")],
                     session.env, timeout=30)
    chat_texts(app, chat, os.path.join(output_dir, "chat-labels.txt"))
    app.close_window(window)
    app.expect_exit(0)

    app = session.launch(program, "without-ads")
    chat = chat_without_ads(app)
    window = app.x_window(CAPTION)
    app.activate(window)
    time.sleep(1.0)
    app.screenshot(window, os.path.join(output_dir, "chat-framed.png"))
    chat_texts(app, chat, os.path.join(output_dir, "chat-framed-labels.txt"))
    app.close_window(window)
    app.expect_exit(0)


if __name__ == "__main__":
    harness.main({"tour": tour, "capture_markup": capture_markup,
                  "capture_pin": capture_pin, "capture_read_text": capture_read_text,
                  "chat_for_recognition": chat_for_recognition}, __doc__)
