"""Makes the Windows zip: one folder holding the given files, the Qt plugins
named, every DLL that any of them needs from the search folders (followed
from DLL to DLL), and the translations. Windows' own DLLs are found on every
Windows and are left out. Everything is stripped, and the zip is the same
from the same input: fixed dates, a fixed order.

Names that are not ASCII are stored as UTF-8 with the zip format's flag for it
(general purpose bit 11), which Windows' own zip folders read; without it they
would take the bytes for the local code page.
"""

import argparse
import datetime
import os
import re
import shutil
import subprocess
import sys
import zipfile

# DLLs of Windows itself (and its API sets), found on every system.
SYSTEM_DLL = re.compile(
    r"^(api-ms-win-.*|ext-ms-.*|advapi32|authz|bcrypt|comctl32|comdlg32|crypt32|d3d9|d3d11|d3d12|"
    r"dwmapi|dwrite|dxgi|gdi32|imm32|iphlpapi|kernel32|mpr|msvcrt|ncrypt|netapi32|ntdll|ole32|"
    r"oleaut32|secur32|setupapi|shcore|shell32|shlwapi|user32|userenv|uxtheme|version|winhttp|"
    r"winmm|wintrust|ws2_32|wtsapi32|dnsapi|cfgmgr32|d2d1|d3dcompiler_47|opengl32|"
    r"usp10|msimg32|rpcrt4|sspicli|normaliz)\.dll$", re.IGNORECASE)


def imports(objdump, path):
    out = subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout
    return re.findall(r"^\s*DLL Name: (\S+)$", out, re.MULTILINE)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--zip", required=True)
    parser.add_argument("--folder", required=True, help="the one folder in the zip")
    parser.add_argument("--stage", required=True, help="where the folder is laid out first")
    parser.add_argument("--file", action="append", default=[], help="goes into the folder")
    parser.add_argument("--qt", required=True, help="the Windows Qt")
    parser.add_argument("--plugin", action="append", default=[], help="relative to Qt's plugins")
    parser.add_argument("--search", action="append", default=[], help="where DLLs are found")
    parser.add_argument("--translation", action="append", default=[])
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--strip", required=True)
    parser.add_argument("--date", required=True, help="YYYY-MM-DD, the date of every entry")
    args = parser.parse_args()

    top = os.path.join(args.stage, args.folder)
    shutil.rmtree(args.stage, ignore_errors=True)
    os.makedirs(top)

    placed = []  # paths inside top
    for path in args.file:
        shutil.copy2(path, top)
        placed.append(os.path.basename(path))
    for plugin in args.plugin:
        target = os.path.join(top, plugin)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(os.path.join(args.qt, "plugins", plugin), target)
        placed.append(plugin)

    # Every DLL the program, the library and the plugins need, and what
    # those need in turn, beside the program.
    wanted = [p for p in placed if p.lower().endswith((".exe", ".dll"))]
    known = {os.path.basename(p).lower() for p in wanted}
    system = set()
    while wanted:
        for name in imports(args.objdump, os.path.join(top, wanted.pop())):
            if name.lower() in known or name.lower() in system:
                continue
            found = next((os.path.join(d, name) for d in args.search
                          if os.path.isfile(os.path.join(d, name))), None)
            if found:
                shutil.copy2(found, top)
                known.add(name.lower())
                placed.append(name)
                wanted.append(name)
            elif SYSTEM_DLL.match(name):
                system.add(name.lower())
            else:
                sys.exit(f"make_zip: {name} is needed but is neither in {args.search} "
                         "nor a DLL of Windows")

    for path in args.translation:
        target = os.path.join(top, "translations", os.path.basename(path))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(path, target)
        placed.append(os.path.relpath(target, top))

    for name in placed:
        if name.lower().endswith((".exe", ".dll")):
            subprocess.run([args.strip, "--strip-all", os.path.join(top, name)], check=True)

    date = datetime.date.fromisoformat(args.date)
    stamp = (date.year, date.month, date.day, 0, 0, 0)
    partial = args.zip + ".part"
    entries = {os.path.dirname(p) for p in placed if os.path.dirname(p)}
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        folders = sorted({""} | {d for d in entries})
        for folder in folders:
            name = "/".join(filter(None, [args.folder, folder.replace(os.sep, "/")])) + "/"
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 0  # MS-DOS attributes, as Windows writes them
            info.external_attr = 0x10  # a folder
            archive.writestr(info, b"")
        for path in sorted(placed):
            info = zipfile.ZipInfo(f"{args.folder}/{path.replace(os.sep, '/')}", stamp)
            info.create_system = 0
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(top, path), "rb") as handle:
                archive.writestr(info, handle.read())
    os.replace(partial, args.zip)
    size = os.path.getsize(args.zip)
    print(f"{os.path.basename(args.zip)}: {len(placed)} files, {size / 1e6:.1f} MB; "
          f"from Windows: {', '.join(sorted(system))}")


if __name__ == "__main__":
    main()
