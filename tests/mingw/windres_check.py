"""Compiles the program's resource script with windres and checks what the
Windows build would carry: the version 3.25 in the fixed version block, the
program's file name intact in UTF-16, and the icon.

    windres_check.py WINDRES SCRIPT OUTPUT FILE_NAME
"""
import struct
import subprocess
import sys

windres, script, output, file_name = sys.argv[1:]
subprocess.run([windres, "-i", script, "-o", output, "-O", "res"], check=True)
with open(output, "rb") as f:
    data = f.read()

# A .res file is a run of resources, each a header and its data.
types = set()
fixed = None
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
if failures:
    sys.exit("windres: " + "; ".join(failures))
print(f"{script}: version 3.25, {file_name}, icon")
