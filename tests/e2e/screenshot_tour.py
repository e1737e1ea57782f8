"""Takes the pictures of the program's windows for the documentation."""

import os
import time

import harness
from program_steps import (APP_TITLE, BOX_BUTTON, CAPTION, NOTICE_TEXT, NOTICE_TITLE, OK, WELCOME,
                           WITH_ADS, chat_without_ads, check_chat_window, shown_alone,
                           start_window)


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


if __name__ == "__main__":
    harness.main({"tour": tour}, __doc__)
