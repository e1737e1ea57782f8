"""Checks the Windows zip as a user receives it, reading its raw headers
rather than trusting the zip module that wrote it:

- one folder, named as the program, holding the program, the capture library
  and the icon side by side, Qt, its windows platform, the MinGW runtime and
  Qt's Chinese texts;
- every name that is not ASCII is UTF-8 with general purpose bit 11 set, in
  the local header and in the central directory, so that Windows' own zip
  folders show it;
- the DLLs and the program carry no symbol table (stripped);
- the capture library exports CameraSubArea and nothing else.

    zip_contents.py ZIP FOLDER OBJDUMP
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

path, folder, objdump = sys.argv[1:]
failures = []

with open(path, "rb") as handle:
    data = handle.read()

# The central directory, found through its end record.
end = data.rfind(b"PK\x05\x06")
count, size, start = struct.unpack_from("<HII", data, end + 10)
names = []
at = start
for _ in range(count):
    (signature, _, _, flags, _, _, _, _, _, _, name_length, extra_length, comment_length,
     _, _, _, local) = struct.unpack_from("<IHHHHHHIIIHHHHHII", data, at)
    assert signature == 0x02014B50, "central directory entry"
    raw = data[at + 46:at + 46 + name_length]
    at += 46 + name_length + extra_length + comment_length
    local_flags = struct.unpack_from("<H", data, local + 6)[0]
    if not raw.isascii():
        for where, bits in (("central directory", flags), ("local header", local_flags)):
            if not bits & 0x800:
                failures.append(f"{raw!r}: no UTF-8 flag (bit 11) in the {where}")
    try:
        names.append(raw.decode("utf-8"))
    except UnicodeDecodeError:
        failures.append(f"{raw!r} is not UTF-8")

tops = {name.split("/")[0] for name in names}
if tops != {folder}:
    failures.append(f"top-level entries {sorted(tops)}, expected the one folder {folder!r}")
files = {name[len(folder) + 1:] for name in names if not name.endswith("/")}
required = {
    f"{folder}.exe", "CameraDll.dll", "qor.ico",
    "Qt6Core.dll", "Qt6Gui.dll", "Qt6Widgets.dll", "Qt6Network.dll",
    "platforms/qwindows.dll", "imageformats/qico.dll",
    "libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll",
    "translations/qtbase_zh_CN.qm",
}
missing = required - files
if missing:
    failures.append(f"missing {sorted(missing)}")
# Nothing of the build or of the tests.
strays = [f for f in files if f.startswith("tst_") or f.endswith((".a", ".conf", ".pdb"))]
if strays:
    failures.append(f"files that do not belong: {strays}")

with tempfile.TemporaryDirectory() as scratch:
    with zipfile.ZipFile(path) as archive:
        archive.extractall(scratch)
    top = os.path.join(scratch, folder)
    for name in sorted(files):
        if not name.endswith((".dll", ".exe")):
            continue
        with open(os.path.join(top, name), "rb") as handle:
            head = handle.read(4096)
        pe = struct.unpack_from("<I", head, 0x3C)[0]
        # NumberOfSymbols in the COFF header; a stripped image may keep the
        # string table of long section names that PointerToSymbolTable finds.
        symbol_count = struct.unpack_from("<I", head, pe + 4 + 12)[0]
        if symbol_count:
            failures.append(f"{name} is not stripped ({symbol_count} symbols)")
    table = subprocess.run([objdump, "-p", os.path.join(top, "CameraDll.dll")], check=True,
                           capture_output=True, text=True).stdout
    section = table.split("[Ordinal/Name Pointer] Table", 1)
    exported = re.findall(r"^\s*\[\s*\d+\]\s+(\S+)$", section[1], re.MULTILINE) \
        if len(section) == 2 else []
    if exported != ["CameraSubArea"]:
        failures.append(f"CameraDll.dll exports {exported}, expected only CameraSubArea")

if failures:
    sys.exit(f"{os.path.basename(path)}:\n  " + "\n  ".join(failures))
print(f"{os.path.basename(path)}: {len(files)} files in {folder}/, UTF-8 names flagged, "
      f"stripped, CameraDll.dll exports CameraSubArea only; {os.path.getsize(path) / 1e6:.1f} MB")
