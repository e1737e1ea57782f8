"""A program folder without the icon file."""

import os

import harness
from harness import check
from program_steps import (APP_TITLE, BOX_BUTTON, CAPTION, NOTICE_TEXT, NOTICE_TITLE, WITHOUT_ADS,
                           copy_program, start_window)


def error_report(app, behind):
    """Waits for the run-time error report, with these windows behind it."""
    title, text = app.wait_alert()
    check(title == APP_TITLE, f"error report titled {title!r}")
    check("qor.ico" in text, f"the report does not name the icon file: {text!r}")
    app.expect_on_screen([APP_TITLE, *behind], "with the report")
    app.dismiss_alert(APP_TITLE, button=BOX_BUTTON)
    return text


def missing_icon(session, program, links):
    copy = copy_program(program, os.path.join(session.workdir, "no-icon"), with_icon=False)
    app = session.launch(copy, "no-icon")
    app.wait_alert(NOTICE_TITLE, NOTICE_TEXT)
    app.expect_on_screen([NOTICE_TITLE], "with the notice")
    app.dismiss_alert(NOTICE_TITLE, NOTICE_TEXT, button=BOX_BUTTON)
    error_report(app, behind=[])
    app.expect_exit(1)

    # The icon vanishes while the start window is up: loading the next
    # window fails the same way, and that window never shows.
    folder = os.path.join(session.workdir, "icon-vanishes")
    copy = copy_program(program, folder, with_icon=True)
    app = session.launch(copy, "icon-vanishes")
    window = start_window(app)
    os.remove(os.path.join(folder, "qor.ico"))
    app.press(window, WITHOUT_ADS)
    # The failed load stops before it would unload the start window.
    error_report(app, behind=[CAPTION])
    app.expect_exit(1)
    check(session.links.links() == [], f"links opened: {session.links.links()}")


if __name__ == "__main__":
    harness.main({"missing_icon": missing_icon}, __doc__)
