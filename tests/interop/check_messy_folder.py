#!/usr/bin/env python3
"""Writes a folder of imperfect DICOM files as real-world media bring them (with pydicom), converts
it and checks its DICOMDIR with independent readers. Usage: check_messy_folder.py <kestrapol> <scratch>

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
import warnings

from pydicom import dcmread
from pydicom.datadict import dictionary_description, tag_for_keyword
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.fileset import FileSet
from pydicom.uid import (DeflatedExplicitVRLittleEndian, ExplicitVRBigEndian, ExplicitVRLittleEndian,
                         ImplicitVRLittleEndian)

warnings.filterwarnings("ignore", message="The value length")  # the 70,000-byte Patient ID, on purpose

SECONDARY_CAPTURE = "1.2.840.10008.5.1.4.1.1.7"
ROOT = "1.2.826.0.1.3680043.9999.7"


def dataset(number, syntax=ExplicitVRLittleEndian, **values):
    """A Secondary Capture image with every key a DICOMDIR takes, changed by values (None: left out)."""
    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID = SECONDARY_CAPTURE
    meta.MediaStorageSOPInstanceUID = f"{ROOT}.{number}.1"
    meta.TransferSyntaxUID = syntax
    ds = Dataset()
    ds.file_meta = meta
    ds.preamble = b"\0" * 128
    ds.is_little_endian = syntax != ExplicitVRBigEndian
    ds.is_implicit_VR = syntax == ImplicitVRLittleEndian
    keys = {
        "SpecificCharacterSet": "ISO_IR 100",
        "SOPClassUID": SECONDARY_CAPTURE,
        "SOPInstanceUID": f"{ROOT}.{number}.1",
        "StudyDate": "20240105",
        "StudyTime": "101500",
        "AccessionNumber": f"ACC{number}",
        "Modality": "OT",
        "StudyDescription": "MESSY",
        "PatientName": f"DOE^{number}",
        "PatientID": f"ID{number}",
        "StudyInstanceUID": f"{ROOT}.{number}",
        "SeriesInstanceUID": f"{ROOT}.{number}.0",
        "StudyID": f"S{number}",
        "SeriesNumber": "1",
        "InstanceNumber": "1",
    }
    keys.update(values)
    for keyword, value in keys.items():
        if value is not None:
            setattr(ds, keyword, value)
    return ds


def save(folder, relative, ds):
    path = os.path.join(folder, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    ds.save_as(path, write_like_original=False)
    return path


def patch(path, old, new):
    """Replaces bytes of a written file in place (same length)."""
    with open(path, "rb") as f:
        data = f.read()
    assert len(old) == len(new) and old in data, (path, old)
    with open(path, "wb") as f:
        f.write(data.replace(old, new, 1))


def write_messy(folder):
    """The files a DICOMDIR can be made of; returns their relative paths ("/" between components)."""
    files = {}
    files["GOOD/IMG1"] = dataset(1)
    files["DEFLATE/IMG1"] = dataset(2, DeflatedExplicitVRLittleEndian)
    files["BIGEND/IMG1"] = dataset(3, ExplicitVRBigEndian)
    files["UNNAME/IMG1"] = dataset(4, PatientName=None)
    files["UNNAME/IMG1"].add_new(0x00100010, "UN", b"DOE^UN")
    # Type 2 keys missing; Type 1 keys missing or empty.
    files["NOTYPE2/IMG1"] = dataset(5, StudyDescription=None, AccessionNumber=None)
    files["EMPTY1/IMG1"] = dataset(6, StudyDate="", StudyTime="", StudyID="", SeriesNumber=None, InstanceNumber="")
    files["EMPTY1/IMG2"] = dataset(6, SOPInstanceUID=f"{ROOT}.6.2", StudyDate="", StudyTime="", StudyID="",
                                   SeriesNumber=None, InstanceNumber=None)
    files["EMPTY1/IMG2"].file_meta.MediaStorageSOPInstanceUID = f"{ROOT}.6.2"
    # A Patient ID no 16-bit length can hold: implicit VR carries it.
    files["BIGID/IMG1"] = dataset(7, ImplicitVRLittleEndian, PatientID="7" * 70000)
    files["CHARSET/IMG1"] = dataset(8)
    paths = {relative: save(folder, relative, ds) for relative, ds in files.items()}
    # A Transfer Syntax UID padded with a blank, as some writers do.
    patch(paths["BIGEND/IMG1"], b"1.2.840.10008.1.2.2\0", b"1.2.840.10008.1.2.2 ")
    # A damaged Specific Character Set: VR UL with 10 bytes.
    patch(paths["CHARSET/IMG1"], b"\x08\x00\x05\x00CS\x0a\x00ISO_IR 100", b"\x08\x00\x05\x00UL\x0a\x00ISO_IR 100")
    with open(os.path.join(folder, "NOTES.TXT"), "w") as f:
        f.write("not a DICOM file\n")
    return sorted(files)


def write_bad_names(folder):
    """Names DICOM media cannot carry: nine levels, and a backslash inside a name."""
    for number, relative in enumerate(["A/B/C/D/E/F/G/H/IMG1", "SER\\IMG1"], 20):
        save(folder, relative, dataset(number))


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
    files = write_messy(messy)
    write_bad_names(names)
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
    # The program's own check finds nothing: keys left empty are empty in the files too.
    code, out, err = run([program, "-c", messy])
    check(code == 0 and "0 problems" in out, f"check mode on the messy folder: {code}\n{out}{err}")


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
