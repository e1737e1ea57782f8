"""The screen capture from the chat window, with the capture library beside
the program and without it."""

import os
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
                  "capture_without_library": capture_without_library,
                  "capture_with_truncated_library": capture_with_truncated_library}, __doc__)
