"""The Windows program as users get it, unpacked from its zip, under Wine on a
private desktop (harness.py: Xvfb and openbox) in a Wine prefix of its own.

Wine shows every window of the program as an ordinary X window, so the
scenario finds windows by their titles and drives them with xdotool, at the
places that layouts/window_layouts.h gives the controls (at Wine's 96 dots
per inch). It reads a message box the way Windows lets any user: Ctrl+C in
the box copies its title, text and buttons, and Wine hands the clipboard on
to X. Links go through Wine's winebrowser to the harness's stand-in xdg-open.
The update check reaches a loopback server set as the system's HTTP proxy in
the prefix's Internet settings, which Qt reads on Windows. The capture is the
capture library's GDI backend reading what Wine shows on the X screen.

What Wine cannot show, and the scenario therefore does not check:
- Windows' own fonts and theme: the prefix has one Chinese font (WenQuanYi
  Micro Hei) and Wine's classic look, so pictures differ from Windows.
- Monitors at different scales: Wine has one DPI for every monitor.
- Windows' zip folders: Python's zipfile unpacks the zip here; the UTF-8 flag
  on its names is checked by zip_contents.py.
- The order of two links opened one right after the other: each goes through
  a winebrowser process of its own (the order is checked on Linux).
Where Wine differs and the scenario works round it:
- Asked for an image while it still holds text, Wine's clipboard bridge does
  not answer; the scenario waits until the image is offered.
- Wine refuses SetProcessDpiAwarenessContext with "invalid parameter" where
  Windows says "access denied" once the manifest has set the awareness, so Qt
  warns in the program's output; and Wine has no EnableNonClientDpiScaling.

    e2e_wine.py --program QuobelV3.2.5跟进版-windows-x64.zip --scenario program \\
        --link IconToolLink=... [--output-dir docs]
"""

import http.server
import os
import shutil
import struct
import subprocess
import sys
import threading
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import harness  # noqa: E402
from e2e_capture import OVERLAY, clipboard_png, drag, png_pixels  # noqa: E402
from harness import Failure, check, log, run_tool, wait_until  # noqa: E402
from program_steps import (APP_TITLE, BOX_BUTTON, CAPTION, NOTICE_TEXT,  # noqa: E402
                           NOTICE_TITLE, WELCOME)

FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
# Wine's default; 15 twips to a pixel.
TWIPS_PER_PIXEL = 1440 // 96

# (left, top, width, height) in twips, and the client height, from
# layouts/window_layouts.h.
START_WINDOW = {"height": 5730, "Command1": (960, 240, 3015, 975),
                "Command3": (960, 3240, 3015, 975)}
CHAT_WINDOW = {"height": 9270, "Text1": (1560, 1680, 2535, 615),
               "Command4": (2160, 2400, 1215, 495), "Command7": (1920, 5280, 1335, 375),
               "Command3": (480, 5040, 1335, 375), "Command11": (1920, 7320, 1335, 375)}

BOX_SEPARATOR = "---------------------------"
UPDATE_TITLE = "提示"
UPDATE_FOUND = "啊哈，发现更新了哦，请马上更新！！！"
NO_UPDATE = "啊，还没更新哦，小q更新的速度比蜗牛还慢。。。"


class ProbeProxy:
    """A loopback HTTP proxy that answers every request itself with the page
    set last, and records the addresses asked for."""

    def __init__(self):
        self.requests = []
        self.page = b""
        proxy = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):  # noqa: N802 (the name http.server calls)
                proxy.requests.append(self.path)
                self.send_response(200)
                self.send_header("Content-Type", "text/html")
                self.send_header("Content-Length", str(len(proxy.page)))
                self.end_headers()
                self.wfile.write(proxy.page)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


class Wine:
    """A Wine prefix of the scenario's own, on the scenario's display."""

    def __init__(self, session):
        self.session = session
        self.prefix = os.path.join(session.workdir, "prefix")
        self.env = dict(session.env, WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEARCH="win64",
                        # no Mono or Gecko installer prompts
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        # winebrowser hands links to the first xdg-open on PATH: the stand-in.
        self.env["PATH"] = session.links.bindir + os.pathsep + self.env.get("PATH", "/usr/bin")
        self.log = open(os.path.join(session.workdir, "wine.log"), "ab")

    def run(self, argv, timeout=120):
        subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=self.log,
                       stderr=subprocess.STDOUT, timeout=timeout, check=True)

    def start(self):
        began = time.monotonic()
        # A server that stays up for the whole scenario; stop() ends it.
        os.makedirs(self.prefix)
        self.run(["wineserver", "-p"])
        self.run(["wineboot", "-i"])
        # A new prefix has no font with Chinese glyphs; Windows has its own.
        shutil.copy(FONT, os.path.join(self.prefix, "drive_c", "windows", "Fonts"))
        log(f"Wine prefix ready in {time.monotonic() - began:.1f} s")

    def use_proxy(self, port):
        """Sets the proxy of Windows' Internet settings, as a user does in the
        control panel: the DefaultConnectionSettings record (version 0x46, a
        counter, flags 2 = "use a proxy server", then the server, the
        exceptions and the setup script, each with its length)."""
        server = f"127.0.0.1:{port}".encode()
        record = struct.pack("<III", 0x46, 1, 2) + struct.pack("<I", len(server)) + server \
            + struct.pack("<II", 0, 0)
        self.run(["wine", "reg", "add",
                  r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections",
                  "/v", "DefaultConnectionSettings", "/t", "REG_BINARY", "/d", record.hex(), "/f"])

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=self.log, stderr=subprocess.STDOUT, timeout=60, check=False)
        self.log.close()


class WineProgram:
    """The program running under Wine, seen through its X windows."""

    def __init__(self, session, wine, executable, cwd):
        self.session = session
        self.output = os.path.join(session.workdir, "program.log")
        env = dict(wine.env)
        # Arrive as QT_LOGGING_RULES and QT_FORCE_STDERR_LOGGING: the capture
        # library's account of its steps goes to the program's output.
        env.update(WINEQT_LOGGING_RULES="quobel.capture.debug=true",
                   WINEQT_FORCE_STDERR_LOGGING="1")
        with open(self.output, "wb") as out:
            self.process = subprocess.Popen(["wine", executable], env=env, cwd=cwd,
                                            stdin=subprocess.DEVNULL, stdout=out,
                                            stderr=subprocess.STDOUT)
        self.clipboard = None
        log(f"started under Wine (pid {self.process.pid}): {executable}")

    def tool(self, *argv, timeout=10.0):
        return run_tool(list(argv), self.session.env, timeout=timeout)

    def windows(self):
        """{window id: title} of every window on the screen."""
        found = {}
        for line in run_tool(["xdotool", "search", "--onlyvisible", "--name", ""],
                             self.session.env, check_rc=False).split():
            found[int(line)] = run_tool(["xdotool", "getwindowname", line], self.session.env,
                                        check_rc=False).rstrip("\n")
        return found

    def window(self, title, other_than=()):
        """Waits for exactly one window with this title (and not one of
        other_than) and returns its id."""
        def probe():
            check(self.process.poll() is None,
                  f"the program ended ({self.process.returncode}) while {title!r} was awaited")
            ids = [w for w, name in self.windows().items() if name == title and w not in other_than]
            return ids[0] if len(ids) == 1 else None
        window = wait_until(lambda: f"a window {title!r} (on screen: {self.windows()})", probe)
        log(f"window {title!r}: {window}")
        return window

    def gone(self, window):
        wait_until(f"window {window} to close", lambda: window not in self.windows())

    def activate(self, window):
        self.tool("xdotool", "windowactivate", "--sync", str(window))

    def key(self, window, keys):
        self.activate(window)
        self.tool("xdotool", "key", keys)

    def geometry(self, window):
        """x, y, width, height of the window's client area on the screen."""
        out = self.tool("xwininfo", "-id", str(window))
        values = dict(line.strip().split(":", 1) for line in out.splitlines() if ":" in line)
        return tuple(int(values[k].strip()) for k in
                     ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def control_centre(self, window, layout, name):
        """The centre of a control on the screen. The controls lie below the
        menu bar, whatever is left of the client area above the form."""
        x, y, _, height = self.geometry(window)
        menu = height - round(layout["height"] / TWIPS_PER_PIXEL)
        left, top, width, tall = layout[name]
        return (x + round((left + width / 2) / TWIPS_PER_PIXEL),
                y + menu + round((top + tall / 2) / TWIPS_PER_PIXEL))

    def click(self, window, layout, name):
        self.activate(window)
        x, y = self.control_centre(window, layout, name)
        log(f"click {name} at {x},{y}")
        # No --sync: it waits for the pointer to move, and it may be there.
        self.tool("xdotool", "mousemove", str(x), str(y), "sleep", "0.1", "click", "1")

    def read_clipboard(self):
        done = subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=self.session.env,
                              capture_output=True, timeout=10, stdin=subprocess.DEVNULL)
        return done.stdout.decode("utf-8", "replace") if done.returncode == 0 else None

    def box(self, window):
        """(title, text, buttons) of a message box, from what Ctrl+C copies."""
        before = self.read_clipboard()
        self.key(window, "ctrl+c")

        def copied():
            text = self.read_clipboard()
            if not text or text == before or BOX_SEPARATOR not in text:
                return None
            parts = [p.strip() for p in text.replace("\r\n", "\n").split(BOX_SEPARATOR)]
            return parts[1], parts[2], parts[3].split()
        return wait_until(f"box {window} to copy its text", copied)

    def dismiss_box(self, title, text):
        """Waits for a message box, checks it, and presses its one button."""
        window = self.window(title)
        got = self.box(window)
        log(f"message box {got}")
        check(got == (title, text, [BOX_BUTTON]), f"box {got}, expected {(title, text)}")
        self.key(window, "Return")
        self.gone(window)

    def paste(self, window, layout, name, text):
        """Replaces a text box's text by pasting from the X clipboard, which
        Wine bridges: xdotool cannot type what the keyboard map lacks into
        Wine."""
        owner = subprocess.Popen(["xclip", "-selection", "clipboard", "-i", "-quiet"],
                                 env=self.session.env, stdin=subprocess.PIPE,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        owner.stdin.write(text.encode())
        owner.stdin.close()
        try:
            wait_until("xclip to own the clipboard", lambda: self.read_clipboard() == text)
            self.click(window, layout, name)
            self.tool("xdotool", "key", "ctrl+a", "ctrl+v")
            time.sleep(0.5)
        finally:
            harness.stop_process(owner, "xclip")

    def screenshot(self, window, path):
        self.tool("import", "-frame", "-window", str(window), path, timeout=30)
        log(f"screenshot {path}")

    def root_png(self, x, y, width, height, path):
        self.tool("import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", path,
                  timeout=30)
        return path

    def expect_exit(self, code):
        try:
            rc = self.process.wait(timeout=harness.STEP_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end; on screen: {self.windows()}")
        check(rc == code, f"the program exited with {rc}, expected {code}")
        log(f"the program exited with {rc}")

    def stop(self):
        harness.stop_process(self.process, "wine")


def wait_for_links(session, expected, settle=0.5):
    """Waits until exactly these links have reached xdg-open. Each goes
    through a winebrowser process of its own, so two links opened one right
    after the other may arrive in either order; the order is checked on Linux."""
    links = session.links
    wait_until(lambda: f"links {expected} to open (opened: {links.links()})",
               lambda: len(links.links()) >= len(expected))
    time.sleep(settle)  # nothing more may follow
    check(sorted(links.links()) == sorted(expected),
          f"opened links {links.links()}, expected {expected}")


def unpack(archive, into):
    with zipfile.ZipFile(archive) as zipped:
        zipped.extractall(into)
    folder = os.path.join(into, CAPTION)
    check(os.path.isdir(folder), f"the zip holds no folder {CAPTION}: {os.listdir(into)}")
    return folder


def program(session, archive, links):
    folder = unpack(archive, os.path.join(session.workdir, "unpacked"))
    shots = session.output_dir or session.workdir
    wine = Wine(session)
    proxy = ProbeProxy()
    app = None
    try:
        wine.start()
        wine.use_proxy(proxy.port)
        # Started from another folder, as from a shortcut: the program finds
        # its icon and library beside itself.
        app = WineProgram(session, wine, os.path.join(folder, CAPTION + ".exe"), session.workdir)

        # The start notice, in Chinese with Qt's "确定".
        notice = app.window(NOTICE_TITLE)
        app.screenshot(notice, os.path.join(shots, "wine-start-notice.png"))
        app.dismiss_box(NOTICE_TITLE, NOTICE_TEXT)

        # The start window; "制作图标" reaches xdg-open through winebrowser.
        start = app.window(CAPTION)
        app.screenshot(start, os.path.join(shots, "wine-start-window.png"))
        app.click(start, START_WINDOW, "Command3")
        wait_for_links(session, [links["IconToolLink"]])

        # The chat window with advertisements: the greeting, then two blogs.
        app.click(start, START_WINDOW, "Command1")
        app.dismiss_box(APP_TITLE, WELCOME)
        chat = app.window(CAPTION, other_than=[start])
        wait_for_links(session, [links["IconToolLink"], links["BlogLinkA"], links["BlogLinkB"]])

        # A chat turn.
        app.paste(chat, CHAT_WINDOW, "Text1", "你好")
        app.click(chat, CHAT_WINDOW, "Command4")
        app.dismiss_box("对话", "你也好啊！！！")
        time.sleep(0.5)  # the pressed button back to rest
        app.screenshot(chat, os.path.join(shots, "wine-chat-window.png"))

        # The update check, twice: no news, then the probe page gone (a 404).
        proxy.page = b"<html>quobel 3.25</html>"
        app.click(chat, CHAT_WINDOW, "Command7")
        app.dismiss_box(UPDATE_TITLE, NO_UPDATE)
        proxy.page = b"<html><title>404 Not Found</title></html>"
        app.click(chat, CHAT_WINDOW, "Command7")
        app.dismiss_box(UPDATE_TITLE, UPDATE_FOUND)
        check(proxy.requests == [links["UpdateProbeLink"]] * 2,
              f"the proxy was asked for {proxy.requests}")
        wait_for_links(session, [links["IconToolLink"], links["BlogLinkA"], links["BlogLinkB"],
                                links["BlogLinkA"], links["UpdateForumLink"]])

        # The capture through the GDI backend: a drag over the window's text
        # and Enter put exactly those pixels on the clipboard.
        x, y, _, _ = app.geometry(chat)
        area = (x + 30, y + 20, 160, 90)
        before = app.root_png(*area, os.path.join(session.workdir, "before.png"))
        app.click(chat, CHAT_WINDOW, "Command11")
        overlay = app.window(OVERLAY)
        time.sleep(0.5)
        drag(app, (area[0], area[1]), (area[0] + area[2] - 1, area[1] + area[3] - 1))
        app.key(overlay, "Return")
        app.gone(overlay)
        # Asked for an image while it still holds the text of a box, Wine's
        # clipboard bridge does not answer: wait until it offers one.
        wait_until("an image offered on the clipboard", lambda: "image/png" in run_tool(
            ["xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"], session.env,
            check_rc=False).split())
        picture = clipboard_png(app, os.path.join(session.workdir, "clipboard.png"))
        got, expected = png_pixels(app, picture), png_pixels(app, before)
        size = (max(x for x, _ in got) + 1, max(y for _, y in got) + 1)
        check(size == area[2:], f"the clipboard holds {size[0]}x{size[1]}, expected "
                                f"{area[2]}x{area[3]}")
        differ = [p for p in expected if got.get(p) != expected[p]]
        check(not differ, f"{len(differ)} pixels differ from the screen, e.g. "
                          f"{[(p, got.get(p), expected[p]) for p in differ[:3]]}")
        log(f"clipboard image {size[0]}x{size[1]}, as on the screen")

        app.click(chat, CHAT_WINDOW, "Command3")  # 不是退出
        app.expect_exit(0)
    except Failure:
        if app:
            harness.dump_file(app.output, "program output")
            # What was on the screen, for the kept work folder.
            run_tool(["import", "-window", "root", os.path.join(session.workdir, "failed.png")],
                     session.env, timeout=30, check_rc=False)
            targets = run_tool(["xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"],
                               session.env, check_rc=False)
            log(f"the clipboard offers: {targets.split()}")
        raise
    finally:
        if app:
            app.stop()
        wine.stop()
        proxy.stop()


if __name__ == "__main__":
    harness.main({"program": program}, __doc__)
