#!/usr/bin/env python3
"""Converts a folder of imperfect files (messy_folder.py) and checks its DICOMDIR with independent
readers. Usage: check_messy_folder.py <kestrapol> <scratch folder>

The messy folder is named with an empty argument, a missing folder and a folder of names DICOM
media cannot carry: the messages and exit code are checked; then dciodvfy finds no error but
Type 1 keys the files lack, each matched by a warning line; dcmdump -dc and dcdirdmp find none;
pydicom's FileSet lists every DICOM file once, and no record carries the damaged Specific
Character Set (VR UL, 10 bytes) of one file.

Exit code 77 when a reader is missing (the test is then skipped)."""
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import messy_folder  # noqa: E402

from pydicom import dcmread  # noqa: E402
from pydicom.datadict import dictionary_description, tag_for_keyword  # noqa: E402
from pydicom.fileset import FileSet  # noqa: E402

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(command):
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    return done.returncode, done.stdout, done.stderr


def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder


def listed(dicomdir):
    """Paths of the files pydicom's FileSet finds through the DICOMDIR, relative to its folder."""
    root = os.path.dirname(dicomdir)
    return sorted(os.path.relpath(instance.path, root) for instance in FileSet(dcmread(dicomdir)))


def type1_errors_are_warned(report, dicomdir):
    """Every dciodvfy error is a Type 1 key the files lack, with the warning line that names it."""
    code, out, err = run(["dciodvfy", dicomdir])
    for line in (out + err).splitlines():
        if not line.startswith("Error"):
            continue
        found = re.match(r"Error - (Missing attribute|Empty attribute \(no value\)) Type 1 Required "
                         r"Element=<(\w+)> Module=<(\w+)DirectoryRecord>", line)
        if not found:
            failures.append(f"dciodvfy: {line}")
            continue
        tag = tag_for_keyword(found.group(2))
        key = f"{dictionary_description(tag)} ({tag >> 16:04X},{tag & 0xFFFF:04X})"
        record = found.group(3).lower()
        warned = [w for w in report.splitlines() if w.startswith("WARNING: ") and key in w and
                  (f"the {record} record needs a value" in w or f"left out of the {record} record" in w)]
        check(warned, f"dciodvfy: {line}: no warning names {key} for a {record} record")


def check_messy(program, scratch):
    messy, names = fresh(os.path.join(scratch, "messy")), fresh(os.path.join(scratch, "names"))
    files = messy_folder.write_messy(messy)
    messy_folder.write_bad_names(names)
    missing = os.path.join(scratch, "missing")
    code, out, err = run([program, "", missing, messy, names])
    check(code == 7, f"exit code {code}, expected 7 (a folder cannot be opened)")
    check("WARNING: An empty folder name was skipped" in out, "no word on the empty argument")
    check(f"ERROR: Cannot open folder {missing}\n" in err, f"standard error: {err!r}")
    check("Too many levels in \"A\\B\\C\\D\\E\\F\\G\\H\\IMG1\": 9" in out, "the nine levels are not reported")
    check("Invalid file name \"SER\\IMG1\" !" in out, "the backslash name is not reported")
    check(not os.path.exists(os.path.join(names, "DICOMDIR")), "a DICOMDIR for the folder of bad names")
    check(f"Read: {len(files)} files with: " in out, "not every DICOM file read")
    check(not os.path.exists("DICOMDIR"), "a DICOMDIR in the working folder")

    dicomdir = os.path.join(messy, "DICOMDIR")
    type1_errors_are_warned(out, dicomdir)
    code, dump, dump_err = run(["dcmdump", "-dc", dicomdir])
    check(code == 0 and not re.search(r"^[EW]: ", dump + dump_err, re.M), f"dcmdump -dc: {dump_err}")
    code, dump, dump_err = run(["dcdirdmp", dicomdir])
    check(not re.search(r"error", dump + dump_err, re.I), f"dcdirdmp: {dump_err}")
    check(listed(dicomdir) == [f.replace("/", os.sep) for f in files], f"FileSet lists {listed(dicomdir)}")
    records = dcmread(dicomdir).DirectoryRecordSequence
    names_in_records = [str(r.PatientName) for r in records if r.DirectoryRecordType == "PATIENT"]
    check("DOE^UN" in names_in_records, f"the name sent as UN is not read: {names_in_records}")
    check("CHARSET\\IMG1: Specific Character Set (0008,0005) (VR UL, 10 bytes)" in out,
          "the damaged character set is not reported")
    check(all(r["SpecificCharacterSet"].VR == "CS" for r in records if "SpecificCharacterSet" in r),
          "the damaged character set reached a record")


def main():
    program, scratch = sys.argv[1], sys.argv[2]
    if not all(shutil.which(tool) for tool in ("dciodvfy", "dcmdump", "dcdirdmp")):
        print("SKIP: dciodvfy, dcmdump or dcdirdmp not installed")
        return 77
    check_messy(program, os.path.abspath(scratch))
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
