"""The way through the windows, from the start notice to the end of the
program, on both editions."""

import harness
from harness import check
from program_steps import (AD_BUTTONS, APP_TITLE, BACK, BOX_BUTTON, CAPTION, CONFIRM,
                           CONFIRM_LABEL, EXIT, NOTICE_TEXT, NOTICE_TITLE, OK, REFUSE_EXIT,
                           START_BUTTONS, WELCOME, WITHOUT_ADS, WITH_ADS, chat_with_ads,
                           chat_without_ads, check_chat_window, check_start_window, enter_text,
                           no_alert_follows, one_window_loaded, shown_alone, start_window)


def labels(program, window):
    return [node.name for node in harness.walk(window) if node.getRoleName() == "label"]


def without_ads(session, program, links):
    app = session.launch(program)
    window = start_window(app)
    check_start_window(app, window)

    app.press(window, WITHOUT_ADS)
    confirmation = shown_alone(app, (CONFIRM, BACK))
    check(CONFIRM_LABEL in labels(app, confirmation),
          f"confirmation window labels: {labels(app, confirmation)}")

    # Back: the notice comes again on top of the still visible confirmation.
    app.press(confirmation, BACK)
    app.wait_alert(NOTICE_TITLE, NOTICE_TEXT)
    app.expect_on_screen([CAPTION, NOTICE_TITLE], "with the second notice")
    app.window(CAPTION, (CONFIRM, BACK))
    app.dismiss_alert(NOTICE_TITLE, NOTICE_TEXT, button=BOX_BUTTON)
    window = shown_alone(app, START_BUTTONS)
    check_start_window(app, window)
    one_window_loaded(app)

    # And in again: a fresh confirmation window, then the welcome on top of it.
    app.press(window, WITHOUT_ADS)
    confirmation = shown_alone(app, (CONFIRM, BACK))
    app.press(confirmation, CONFIRM)
    app.wait_alert(APP_TITLE, WELCOME)
    app.expect_on_screen([CAPTION, APP_TITLE], "with the welcome")
    app.window(CAPTION, (CONFIRM, BACK))
    app.dismiss_alert(APP_TITLE, WELCOME, button=BOX_BUTTON)
    chat = shown_alone(app, (OK,))
    check_chat_window(app, chat, with_ads=False)
    one_window_loaded(app)
    check(app.text_of(chat) == "Text1", f"Text1 starts as {app.text_of(chat)!r}")

    enter_text(app, chat, "你好")
    for _ in range(2):  # the same answer each time, and the text stays
        app.press(chat, OK)
        app.dismiss_alert("对话", "你也好啊！！！", button=BOX_BUTTON)
        no_alert_follows(app)
        check(app.text_of(chat) == "你好", f"Text1 now {app.text_of(chat)!r}")

    # Several answers, one box after the other, in the table's order.
    enter_text(app, chat, "你是谁啊，你好")
    app.press(chat, OK)
    app.dismiss_alert("对话", "你也好啊！！！", button=BOX_BUTTON)
    app.dismiss_alert("对话", "我是qor写的人见人爱的机器人啊！！！", button=BOX_BUTTON)
    no_alert_follows(app)

    check(session.links.links() == [], f"links opened: {session.links.links()}")
    app.press(chat, EXIT)
    app.expect_exit(0)
    session.links.wait_for([])


def with_ads(session, program, links):
    blogs = [links["BlogLinkA"], links["BlogLinkB"]]
    app = session.launch(program)
    window = start_window(app)
    app.press(window, WITH_ADS)
    # The start window is gone and the chat window not yet shown.
    app.wait_alert(APP_TITLE, WELCOME)
    app.expect_on_screen([APP_TITLE], "with the welcome")
    check(app.frames() == [], f"windows behind the welcome: {app.frames()}")
    check(session.links.links() == [], "links opened before the welcome was dismissed")
    app.dismiss_alert(APP_TITLE, WELCOME, button=BOX_BUTTON)
    session.links.wait_for(blogs)
    chat = shown_alone(app, (OK,))
    check_chat_window(app, chat, with_ads=True)

    # An empty box answers with the error, and the box stays empty.
    check(app.text_of(chat) == "Text1", f"Text1 starts as {app.text_of(chat)!r}")
    app.press(chat, OK)
    app.dismiss_alert("错误", "请输入对话内容！！！", button=BOX_BUTTON)
    no_alert_follows(app)

    # The about box first, the blogs only once it is dismissed.
    app.press(chat, "关于")
    app.wait_alert(APP_TITLE, "qor第9981次无聊出品！！！")
    check(session.links.links() == blogs, "links opened before the about box was dismissed")
    app.dismiss_alert(APP_TITLE, "qor第9981次无聊出品！！！", button=BOX_BUTTON)
    opened = blogs * 2
    session.links.wait_for(opened)
    for button, link in zip(AD_BUTTONS, blogs):
        app.press(chat, button)
        opened.append(link)
        session.links.wait_for(opened)

    app.press(chat, EXIT)
    app.expect_exit(0)
    session.links.wait_for(opened + blogs)


def close_ends_program(session, program, links):
    # The start window.
    app = session.launch(program, "start")
    start_window(app)
    app.close_window(app.x_window(CAPTION))
    app.expect_exit(0)

    # The confirmation window, the only one loaded once it is shown.
    app = session.launch(program, "confirmation")
    window = start_window(app)
    app.press(window, WITHOUT_ADS)
    shown_alone(app, (CONFIRM, BACK))
    app.close_window(app.x_window(CAPTION))
    app.expect_exit(0)

    # The chat window: "退出" only answers, closing it really ends.
    app = session.launch(program, "chat")
    chat = chat_without_ads(app)
    for _ in range(2):
        app.press(chat, REFUSE_EXIT)
        app.dismiss_alert(APP_TITLE, "别想退出！！！", button=BOX_BUTTON)
        no_alert_follows(app, settle=0.5)
        app.expect_running()
        shown_alone(app, (OK,))
    app.close_window(app.x_window(CAPTION))
    app.expect_exit(0)

    # The chat window with advertisements opens its blogs at load only.
    blogs = [links["BlogLinkA"], links["BlogLinkB"]]
    app = session.launch(program, "chat-ads")
    chat_with_ads(app)
    session.links.wait_for(blogs)
    app.close_window(app.x_window(CAPTION))
    app.expect_exit(0)
    session.links.wait_for(blogs)


if __name__ == "__main__":
    harness.main({"without_ads": without_ads, "with_ads": with_ads,
                  "close_ends_program": close_ends_program}, __doc__)
