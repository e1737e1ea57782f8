"""The single-instance guard, with real processes on a real desktop."""

import harness
from harness import check, log
from program_steps import (ALREADY_RUNNING, APP_TITLE, BOX_BUTTON, BUG_REPORT, CAPTION, ICON_TOOL,
                           NOTICE_TITLE, check_start_window, start_window)


def refuse_second(session, program):
    """Starts another copy, which must show only the guard's box and end."""
    second = session.launch(program, "second")
    second.wait_alert(APP_TITLE, ALREADY_RUNNING)
    second.expect_on_screen([APP_TITLE], "from the refused copy")
    second.dismiss_alert(APP_TITLE, ALREADY_RUNNING, button=BOX_BUTTON)
    second.expect_exit(0)
    return second


def second_instance_refused(session, program, links):
    first = session.launch(program, "first")
    # The guard already holds while the first copy still shows its notice.
    first.wait_alert(NOTICE_TITLE)
    refuse_second(session, program)
    check(first.running(), "the first copy ended when the second was refused")
    check(first.alerts()[0][0] == NOTICE_TITLE, f"first copy shows {first.alerts()}")

    window = start_window(first)
    check_start_window(first, window)
    refuse_second(session, program)

    # The first copy is untouched and still answers.
    first.expect_on_screen([CAPTION], "from the first copy")
    check(first.alerts() == [], f"first copy got a box: {first.alerts()}")
    first.press(window, ICON_TOOL)
    first.press(window, BUG_REPORT)
    session.links.wait_for([links["IconToolLink"], links["BugForumLink"]])
    first.expect_running()
    first.window(CAPTION, (ICON_TOOL,))


def killed_instance_does_not_block(session, program, links):
    first = session.launch(program, "first")
    start_window(first)
    first.kill()
    log("first copy killed with SIGKILL")

    second = session.launch(program, "second")
    window = start_window(second)
    check_start_window(second, window)

    # Killed while its notice was up, before any window existed.
    second.kill()
    third = session.launch(program, "third")
    third.wait_alert(NOTICE_TITLE)
    third.kill()
    fourth = session.launch(program, "fourth")
    start_window(fourth)
    check(session.links.links() == [], f"links opened: {session.links.links()}")


if __name__ == "__main__":
    harness.main({"second_instance_refused": second_instance_refused,
                  "killed_instance_does_not_block": killed_instance_does_not_block},
                 __doc__)
