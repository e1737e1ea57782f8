"""Reads the resources of the built program with windres and checks what
Windows shows of it and how it starts it: the version 3.25 in the fixed
version block, the program's file name intact in UTF-16, the icon, and the
manifest with per-monitor DPI awareness v2 and UTF-8 as the code page.

    exe_resources.py WINDRES PROGRAM.exe OUTPUT.res FILE_NAME
"""
import struct
import subprocess
import sys

windres, program, output, file_name = sys.argv[1:]
subprocess.run([windres, "-J", "coff", "-i", program, "-O", "res", "-o", output], check=True)
with open(output, "rb") as f:
    data = f.read()

# A .res file is a run of resources, each a header and its data.
types = set()
fixed = None
manifest = b""
offset = 0
while offset + 8 <= len(data):
    size, header_size = struct.unpack_from("<II", data, offset)
    # The type is a number after 0xFFFF when it is not a name.
    marker, type_id = struct.unpack_from("<HH", data, offset + 8)
    body = data[offset + header_size:offset + header_size + size]
    if marker == 0xFFFF:
        types.add(type_id)
        if type_id == 16:  # RT_VERSION
            at = body.find(struct.pack("<I", 0xFEEF04BD))
            fixed = struct.unpack_from("<IIIII", body, at) if at >= 0 else None
        if type_id == 24:  # RT_MANIFEST
            manifest = body
    offset = (offset + header_size + size + 3) & ~3

failures = []
if fixed is None:
    failures.append("no fixed version block")
else:
    _, _, file_ms, file_ls, product_ms = fixed
    if (file_ms, file_ls) != (3 << 16 | 25, 0) or product_ms != 3 << 16 | 25:
        failures.append(f"version {file_ms >> 16}.{file_ms & 0xFFFF}, expected 3.25")
if file_name.encode("utf-16-le") not in data:
    failures.append(f"the file name {file_name!r} did not come through")
if not {3, 14} <= types:  # RT_ICON, RT_GROUP_ICON
    failures.append("no icon")
for wanted in (b">PerMonitorV2, PerMonitor</dpiAwareness>", b">true/pm</dpiAware>",
               b">UTF-8</activeCodePage>", b'level="asInvoker"'):
    if wanted not in manifest:
        failures.append(f"the manifest lacks {wanted.decode()}")
if failures:
    sys.exit(f"{program}: " + "; ".join(failures))
print(f"{program}: version 3.25, {file_name}, icon, manifest")
