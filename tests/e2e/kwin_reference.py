"""Reads one of KWin's outputs through org.kde.KWin.ScreenShot2 into a PNG:
the reference the end-to-end runs compare the capture with, made
independently of the program's own client.

Usage: kwin_reference.py OUTPUT FILE.png (run by an interpreter whose desktop
entry lists the interface; kwin_session.py sees to that).
"""

import os
import subprocess
import sys
import tempfile

from gi.repository import Gio, GLib


def main(output, path):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    read_end, write_end = os.pipe()
    fds = Gio.UnixFDList.new()
    index = fds.append(write_end)
    os.close(write_end)
    options = {"include-cursor": GLib.Variant("b", False),
               "native-resolution": GLib.Variant("b", True)}
    result, _ = bus.call_with_unix_fd_list_sync(
        "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureScreen",
        GLib.Variant("(sa{sv}h)", (output, options, index)), GLib.VariantType("(a{sv})"),
        Gio.DBusCallFlags.NONE, 30000, fds, None)
    del fds  # our copy of the writing end, or the pipe never ends
    answer = result.unpack()[0]
    width, height, stride = answer["width"], answer["height"], answer["stride"]
    data = bytearray()
    with os.fdopen(read_end, "rb") as pipe:
        while len(data) < stride * height:
            chunk = pipe.read(stride * height - len(data))
            if not chunk:
                break
            data += chunk
    if len(data) < stride * height:
        sys.exit(f"{len(data)} of {stride * height} bytes")
    rows = b"".join(bytes(data[y * stride:y * stride + width * 4]) for y in range(height))
    # QImage's formats by number: xRGB and ARGB words lie in memory as B, G,
    # R, A on this machine; the 8888 formats as R, G, B, A.
    order = {4: "bgra", 5: "bgra", 6: "bgra", 16: "rgba", 17: "rgba", 18: "rgba"}.get(
        answer["format"])
    if order is None:
        sys.exit(f"unknown format {answer['format']}")
    with tempfile.NamedTemporaryFile(suffix=".raw") as raw:
        raw.write(rows)
        raw.flush()
        subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", f"{order}:{raw.name}",
                        "-alpha", "off", path], check=True)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
