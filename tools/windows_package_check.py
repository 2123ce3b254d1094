#!/usr/bin/env python3
"""Checks of the Windows packages that a look at their bytes can make (run by run-windows-tests):

  texts ZIP                     README.txt and Kestrapol.ini are Windows texts: CRLF line ends
                                only, no Debian set-up, no POSIX folders
  version EXE                   EXE carries version information with the product's name
  shortcut LNK DRIVE_C PROGRAM  the shortcut's target is PROGRAM and exists below DRIVE_C
  subsystem EXE windows|console EXE is built for that subsystem (a window program gets no console)
"""
import struct
import sys
import zipfile


def fail(message):
    print(message)
    sys.exit(1)


def check_texts(zip_path):
    with zipfile.ZipFile(zip_path) as package:
        for name in ("README.txt", "Kestrapol.ini"):
            text = package.read(name)
            if text.count(b"\n") == 0 or text.count(b"\n") != text.count(b"\r\n"):
                fail(f"{name} does not end every line with CRLF")
            for word in (b"apt-get", b"Debian", b"XDG_CONFIG_HOME", b"/tmp", b"/opt", b"](docs/"):
                if word in text:
                    fail(f"{name} names {word.decode()}, which a Windows user has no use for")


def check_version(exe_path):
    data = open(exe_path, "rb").read()
    for key, value in (("ProductName", "Kestrapol"), ("ProductVersion", "1.0 Rev-5")):
        wide = lambda text: text.encode("utf-16-le")
        at = data.find(wide(key))
        if at < 0 or data.find(wide(value), at) < 0:
            fail(f"{exe_path} has no version information {key} = {value}")


def shortcut_target(lnk_path):
    """The local base path of a shell link's LinkInfo (as the shell writes it for a file)."""
    data = open(lnk_path, "rb").read()
    if len(data) < 0x4C or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        fail(f"{lnk_path} is no shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    if flags & 0x01:  # an item ID list comes first
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if not flags & 0x02:
        fail(f"{lnk_path} has no link information")
    base = at + struct.unpack_from("<I", data, at + 16)[0]
    return data[base:data.index(b"\0", base)].decode("latin-1")


def check_shortcut(lnk_path, drive_c, program):
    try:
        target = shortcut_target(lnk_path)
    except OSError as error:
        fail(f"no Start-menu entry: {error}")
    if not target.lower().endswith("\\" + program.lower()) or not target.upper().startswith("C:\\"):
        fail(f"the Start-menu entry starts {target}, not {program}")
    parts = [part for part in target[3:].split("\\") if part not in ("", ".")]
    path = drive_c + "/" + "/".join(parts)
    try:
        open(path, "rb").close()
    except OSError:
        fail(f"the Start-menu entry's target {target} does not exist")


def check_subsystem(exe_path, expected):
    data = open(exe_path, "rb").read()
    header = struct.unpack_from("<I", data, 0x3C)[0]
    subsystem = struct.unpack_from("<H", data, header + 24 + 68)[0]  # in the optional header
    if subsystem != {"windows": 2, "console": 3}[expected]:
        fail(f"{exe_path} is built for subsystem {subsystem}, not the {expected} subsystem")


def main():
    command, *arguments = sys.argv[1:]
    checks = {"texts": check_texts, "version": check_version, "shortcut": check_shortcut, "subsystem": check_subsystem}
    checks[command](*arguments)


if __name__ == "__main__":
    main()
