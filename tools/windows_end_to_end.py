#!/usr/bin/python3
"""The Windows build against the Linux build, end to end: each runs on its own copy of the same
folders, named the same way (relative to the folder above), and must end with the same exit code
and write a DICOMDIR byte for byte the same, apart from the time number and the unique number at the
end of the Media Storage SOP Instance UID (0002,0003). The Windows DICOMDIRs must pass dciodvfy and list every file
through pydicom's FileSet.

    windows_end_to_end.py LINUX_EXE WINDOWS_EXE HOLD_FILE_EXE SAMPLES GENERATED SCRATCH

The Windows programs are started through the Wine loader named in $KESTRAPOL_WINE (its prefix in
$WINEPREFIX). Besides: names with umlauts and Japanese characters, a folder deeper than 260
characters, and a DICOMDIR that cannot be replaced (read-only, or held open by another program)
must give the failure report and exit code 6 and leave the earlier file as it was. Last, the copy
mode on the messy fixture (written once by pydicom) in a Unicode folder, more than 260 characters
deep: both sides must make the same media."""
import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "interop"))
from check_media_copy import write_messy  # noqa: E402
from pydicom import dcmread
from pydicom.fileset import FileSet


EARLIER = b"earlier DICOMDIR"


def copy(folder, samples):
    shutil.copytree(samples, folder)


def samples_renamed(old, new):
    def build(folder, samples):
        copy(folder, samples)
        os.rename(os.path.join(folder, old), os.path.join(folder, new))
    return build


def samples_with(extra_folder):
    def build(folder, samples):
        copy(folder, samples)
        os.mkdir(os.path.join(folder, extra_folder))
    return build


def samples_with_earlier(mode):
    """The samples with an earlier DICOMDIR, its permission bits set to mode (Wine shows a
    file without write permission as read-only)."""
    def build(folder, samples):
        copy(folder, samples)
        with open(os.path.join(folder, "DICOMDIR"), "wb") as earlier:
            earlier.write(EARLIER)
        os.chmod(os.path.join(folder, "DICOMDIR"), mode)
    return build


# More than 260 characters below the scratch folder.
DEEP = "/".join("SUBFOLDER_%02d_ABCDEFGHIJ" % level for level in range(12)) + "/CD"

# name, folder name, how the folder is made (None: the generated folder), arguments before the
# folder, exit code per side (a side left out does not run), whether the DICOMDIRs must agree.
# hold: another program holds the DICOMDIR open, sharing reading only (Windows only).
CASES = [
    ("samples", "CD", copy, [], {"linux": 0, "windows": 0}),
    ("generated", "CD", None, [], {"linux": 0, "windows": 0}),
    ("maerz", "Scans M\u00e4rz 2024", copy, [], {"linux": 0, "windows": 0}),
    ("japanese", "\u691c\u67fb\u30d5\u30a9\u30eb\u30c0", copy, [], {"linux": 0, "windows": 0}),
    ("deep", DEEP, copy, [], {"linux": 0, "windows": 0}),
    ("too_long", "CD", samples_renamed("PAT1", "PATIENT01"), [], {"linux": 1, "windows": 1}),
    ("bad_chars", "CD", samples_renamed("PAT2", "pat2"), [], {"linux": 2, "windows": 2}),
    ("both", "CD", samples_renamed("PAT1", "patient01"), [], {"linux": 3, "windows": 3}),
    ("no_dicom", "CD", lambda folder, samples: os.mkdir(folder), [], {"linux": 4, "windows": 4}),
    # A folder where the DICOMDIR goes: the finished file cannot take its name.
    ("dicomdir_folder", "CD", samples_with("DICOMDIR"), [], {"linux": 6, "windows": 6}),
    # Read-only: Windows keeps it; on Linux the folder's permissions decide, and it is replaced.
    ("read_only", "CD", samples_with_earlier(0o444), [], {"windows": 6}),
    ("held_open", "CD", samples_with_earlier(0o644), [], {"windows": 6}, "hold"),
    ("missing", "CD", lambda folder, samples: None, [], {"linux": 7, "windows": 7}),
    ("unknown_option", "CD", copy, ["-x"], {"linux": 2, "windows": 2}),
]


def run(command, folder):
    # Output goes to a file, not a pipe: a Windows program under Wine may leave Wine's desktop
    # process running with the pipe inherited, and the pipe's end would come only when it quits.
    with tempfile.TemporaryFile() as output:
        code = subprocess.run(command, cwd=folder, stdout=output, stderr=subprocess.STDOUT).returncode
        output.seek(0)
        return code, output.read().decode("utf-8", "replace")


def masked(path):
    """The DICOMDIR's bytes with the time and unique numbers of (0002,0003) blanked, and the UID
    up to them."""
    data = open(path, "rb").read()
    uid = dcmread(path, stop_before_pixels=True).file_meta.MediaStorageSOPInstanceUID
    cut = uid.rfind(".", 0, uid.rfind(".")) + 1
    at = data.index(uid.encode())
    return data[:at + cut] + b"#" * (len(uid) - cut) + data[at + len(uid):], uid[:cut]


def check_fileset(path, allowed_errors=()):
    problems = []
    listed = 0
    for instance in FileSet(dcmread(path)):
        listed += 1
        if not os.path.isfile(instance.path):
            problems.append("listed but missing: " + instance.path)
            continue
        loaded = instance.load()
        # The record names the file's meta header UID, which a file may hold unlike its data set's.
        if loaded.file_meta.MediaStorageSOPInstanceUID != instance.SOPInstanceUID:
            problems.append("instance UID differs: " + instance.path)
    if listed == 0:
        problems.append("FileSet lists no instance")
    checked = subprocess.run(["dciodvfy", path], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    report = checked.stdout.decode("utf-8", "replace")
    errors = [line for line in report.splitlines() if line.startswith("Error") and line not in allowed_errors]
    if "BasicDirectory" not in report or errors:
        problems.append("dciodvfy: " + report)
    return problems


def check_media(program, parent, folder_name, damage=False):
    """The check mode on a folder the program converted: clean, and with one referenced file
    deleted, that one finding and exit code 9; the results file agrees."""
    problems = []
    folder = os.path.join(parent, folder_name)
    if damage:
        # A file the DICOMDIR references: its first record's.
        record = next(r for r in dcmread(os.path.join(folder, "DICOMDIR")).DirectoryRecordSequence
                      if "ReferencedFileID" in r)
        os.remove(os.path.join(folder, *record.ReferencedFileID))
    results = os.path.join(parent, "check.json")
    code, output = run(program + ["-c", "-r", "check.json", folder_name], parent)
    findings = json.load(open(results))["folders"][0]["findings"] if os.path.isfile(results) else None
    expected = (9, 1) if damage else (0, 0)
    if (code, len(findings or [])) != expected or findings is None:
        problems.append("check mode: exit code %d, findings %s, expected %s:\n%s" % (code, findings, expected, output))
    elif damage and "does not exist" not in findings[0]["text"]:
        problems.append("check mode: the deleted file gives %s" % findings[0])
    return problems


# The one Type 1 gap the fixture's structure set has itself.
FIXTURE_GAP = ("Error - Missing attribute Type 1 Required Element=<StructureSetLabel> "
               "Module=<RTStructureSetDirectoryRecord>")


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def media_files(folder):
    """Relative path -> checksum of every file of a copy but its DICOMDIR and map."""
    return {os.path.relpath(os.path.join(top, name), folder): digest(os.path.join(top, name))
            for top, _, names in os.walk(folder) for name in names if name not in ("DICOMDIR", "DICOMDIR.CSV")}


def check_copy_mode(programs, scratch):
    """`-o DEST SOURCE` on both sides from the same fixture: the same files under the same names,
    the same DICOMDIR apart from time and UID, and a clean check of the Windows copy."""
    fixture = os.path.join(scratch, "messy fixture")
    write_messy(fixture)
    # The files lie more than 260 characters deep, not the source folder itself: Wine cannot
    # name a folder's final path past MAX_PATH, which the copy asks for each source.
    source = "Aufnahmen M\u00e4rz \u691c\u67fb"
    made = {}
    for side, program in programs.items():
        parent = os.path.join(scratch, side, "copy_mode")
        shutil.copytree(fixture, os.path.join(parent, source, DEEP))
        code, output = run(program + ["-o", "DEST", source], parent)
        if code != 0:
            return ["copy mode on %s: exit code %d:\n%s" % (side, code, output)]
        made[side] = os.path.join(parent, "DEST")
    problems = []
    if media_files(made["linux"]) != media_files(made["windows"]):
        problems.append("copy mode: the copied files differ between the sides")
    linux_bytes, _ = masked(os.path.join(made["linux"], "DICOMDIR"))
    windows_bytes, _ = masked(os.path.join(made["windows"], "DICOMDIR"))
    if linux_bytes != windows_bytes:
        problems.append("copy mode: the DICOMDIRs differ")
    problems += check_fileset(os.path.join(made["windows"], "DICOMDIR"), (FIXTURE_GAP,))
    problems += check_media(programs["windows"], os.path.dirname(made["windows"]), "DEST")
    return ["copy mode: " + problem for problem in problems]


def held(wine, holder, path):
    """Starts holder on path; returns the process once it holds the file."""
    process = subprocess.Popen([wine, holder, path], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    if process.stdout.readline().strip() != b"held":
        raise RuntimeError("hold_file could not open " + path)
    return process


def main():
    linux_exe, windows_exe, holder, samples, generated, scratch = map(os.path.abspath, sys.argv[1:7])
    wine = os.environ.get("KESTRAPOL_WINE", "wine")
    programs = {"linux": [linux_exe], "windows": [wine, windows_exe]}
    failures = []
    for name, folder_name, build, options, expected, *hold in CASES:
        started = time.monotonic()
        outcome = {}
        for side in expected:
            parent = os.path.join(scratch, side, name)
            os.makedirs(parent)
            folder = os.path.join(parent, folder_name)
            os.makedirs(os.path.dirname(folder), exist_ok=True)
            if build is None:
                shutil.copytree(generated, folder)
            else:
                build(folder, samples)
            dicomdir = os.path.join(folder, "DICOMDIR")
            holding = held(wine, holder, "Z:" + dicomdir) if hold else None
            code, output = run(programs[side] + options + [folder_name], parent)
            if holding:
                holding.communicate()
            if expected[side] == 6:
                if "Unable to write" not in output:
                    failures.append("%s on %s: no failure report:\n%s" % (name, side, output))
                if os.path.isfile(dicomdir) and open(dicomdir, "rb").read() != EARLIER:
                    failures.append("%s on %s: the earlier DICOMDIR changed" % (name, side))
                dicomdir = None
            outcome[side] = (code, output, dicomdir if dicomdir and os.path.isfile(dicomdir) else None)
        line = "%-15s exit codes: %s" % (name, ", ".join(
            "%s %d (expected %d)" % (side, outcome[side][0], expected[side]) for side in expected))
        for side in expected:
            if outcome[side][0] != expected[side]:
                failures.append(line + "\n--- %s:\n%s" % (side, outcome[side][1]))
        files = {side: outcome[side][2] for side in expected}
        if len(files) == 2 and (files["linux"] is None) != (files["windows"] is None):
            failures.append("%s: a DICOMDIR on one side only (%s)" % (name, files))
        elif files.get("windows"):
            windows_bytes, windows_uid = masked(files["windows"])
            line += ", DICOMDIR %d bytes" % len(windows_bytes)
            if files.get("linux"):
                linux_bytes, linux_uid = masked(files["linux"])
                same = linux_bytes == windows_bytes
                line += ", %s" % ("identical" if same else "DIFFERENT")
                if not same:
                    failures.append("%s: DICOMDIRs differ (UID roots %s and %s)" % (name, linux_uid, windows_uid))
            if expected["windows"] == 0:
                failures += ["%s: %s" % (name, problem) for problem in check_fileset(files["windows"])]
                parent = os.path.join(scratch, "windows", name)
                # Not on the folder deeper than 260 characters: Wine's GetFinalPathNameByHandleW
                # fails past MAX_PATH (Windows itself does not), so every file there seems missing.
                for damage in (False, True) if name != "deep" else ():
                    failures += ["%s: %s" % (name, problem)
                                 for problem in check_media(programs["windows"], parent, folder_name, damage)]
        print(line + " (%.0f s)" % (time.monotonic() - started), flush=True)
    started = time.monotonic()
    copy_failures = check_copy_mode(programs, scratch)
    failures += copy_failures
    print("%-15s %s (%.0f s)" % ("copy_mode", "FAILED" if copy_failures else "identical media",
                                 time.monotonic() - started), flush=True)
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
