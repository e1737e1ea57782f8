"""The Debian package, installed into a scratch root with dpkg: its launcher
starts the installed program from another working folder, and removing the
package takes every file of it away again."""

import os
import subprocess

import harness
from harness import check, log, wait_until
from program_steps import CAPTION, start_window

# dpkg's own records in the scratch root, and the folders that hold them: the
# only things meant to outlive the package.
DPKG_DATABASE = os.path.join("var", "lib", "dpkg")
KEPT = {"var", os.path.join("var", "lib"), DPKG_DATABASE}


def dpkg(root, *arguments):
    # Not as root, dpkg needs to be told that a root of its own is enough; as
    # root the option changes nothing. The scratch root holds no other
    # package, so the dependencies cannot be met there.
    argv = ["dpkg", f"--root={root}", "--force-not-root", "--force-depends", "--log=/dev/null",
            *arguments]
    done = subprocess.run(argv, capture_output=True, text=True, stdin=subprocess.DEVNULL,
                          timeout=60)
    check(done.returncode == 0, f"{argv} failed ({done.returncode}): {done.stderr.strip()}")


def files_outside_dpkg(root):
    found = []
    for folder, folders, files in os.walk(root):
        relative = os.path.relpath(folder, root)
        if relative == DPKG_DATABASE:
            folders.clear()
            continue
        for name in folders + files:
            path = os.path.normpath(os.path.join(relative, name))
            if path not in KEPT:
                found.append(path)
    return sorted(found)


def program_of(app):
    try:
        return os.readlink(f"/proc/{app.pid}/exe")
    except OSError:
        return ""


def installed_program(session, package, links):
    root = os.path.join(session.workdir, "root")
    for folder in ("info", "updates"):
        os.makedirs(os.path.join(root, DPKG_DATABASE, folder))
    open(os.path.join(root, DPKG_DATABASE, "status"), "w").close()
    dpkg(root, "--install", package)
    log(f"installed {len(files_outside_dpkg(root))} files and folders")

    app = session.launch(os.path.join(root, "usr", "bin", "quobel"), "installed")
    # The launcher replaces itself with the program it finds beside it.
    program_folder = os.path.join(root, "usr", "lib") + os.sep

    def installed_program_running():
        program = program_of(app)
        return program.startswith(program_folder) and program.endswith(os.sep + CAPTION)

    wait_until(lambda: f"the launcher to start the installed program (runs {program_of(app)!r})",
               installed_program_running)
    log(f"the launcher started {program_of(app)}")
    # The notice, then the start window: the program found its icon.
    start_window(app)
    app.close_window(app.x_window(CAPTION))
    app.expect_exit(0)

    dpkg(root, "--purge", "quobel")
    left = files_outside_dpkg(root)
    check(left == [], f"left behind after removal: {left}")


if __name__ == "__main__":
    harness.main({"installed_program": installed_program}, __doc__)
