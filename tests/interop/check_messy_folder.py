#!/usr/bin/env python3
"""A folder of imperfect DICOM files as real-world media bring them (written with pydicom),
converted with an empty argument, a missing folder and a folder of names media cannot carry, and
read back by independent readers: dciodvfy finds no error but Type 1 keys the files lack (each
warned about), dcmdump and dcdirdmp none, pydicom's FileSet every file that can be indexed once.
Usage: check_messy_folder.py <kestrapol> <scratch> (exit code 77: a reader is missing)."""
import json
import os
import re
import sys
import warnings

from pydicom import dcmread
from pydicom.datadict import dictionary_description, tag_for_keyword
from pydicom.uid import (DeflatedExplicitVRLittleEndian, ExplicitVRBigEndian, ExplicitVRLittleEndian,
                         ImplicitVRLittleEndian)

import common
from common import SECONDARY_CAPTURE, check, dciodvfy_errors, dumps_clean, failures, fresh, item, listed, patch, run, \
    save, user_configuration

warnings.filterwarnings("ignore", message="The value length")  # the 70,000-byte Patient ID, on purpose
warnings.filterwarnings("ignore", message="Invalid value for VR UI")  # the malformed UID, on purpose

ROOT = "1.2.826.0.1.3680043.9999.7"


def dataset(number, syntax=ExplicitVRLittleEndian, **values):
    """A Secondary Capture image with every key a DICOMDIR takes, changed by values (None: left out)."""
    keys = dict(SpecificCharacterSet="ISO_IR 100", StudyDate="20240105", StudyTime="101500",
                AccessionNumber=f"ACC{number}", Modality="OT", StudyDescription="MESSY", PatientName=f"DOE^{number}",
                PatientID=f"ID{number}", StudyInstanceUID=f"{ROOT}.{number}", SeriesInstanceUID=f"{ROOT}.{number}.0",
                StudyID=f"S{number}", SeriesNumber="1", InstanceNumber="1")
    keys.update(values)
    return common.dataset(SECONDARY_CAPTURE, keys.pop("SOPInstanceUID", f"{ROOT}.{number}.1"), syntax, **keys)


# Files that must not be indexed, with the warning that names each.
REFUSED = {
    "NOSERIES/IMG1": "Missing Series UID tag (0020,000E) in NOSERIES\\IMG1",
    "BADMETA/IMG1": "BADMETA\\IMG1: Media Storage SOP Instance UID (0002,0003) (VR UI, 32 bytes) holds a malformed "
                    "UID; the file is left out of the DICOMDIR",
    "REPEAT/IMG1": "Duplicate Image (GOOD\\IMG1 /vs/ REPEAT\\IMG1)",
}


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
    # A Patient ID no 16-bit length can hold: implicit VR carries it.
    files["BIGID/IMG1"] = dataset(7, ImplicitVRLittleEndian, PatientID="7" * 70000)
    files["CHARSET/IMG1"] = dataset(8)
    # Records take the dictionary's VR: a date sent as OB goes in as DA, a character set sent as
    # OB that is no code string stays out.
    files["WRONGVR/IMG1"] = dataset(9, StudyDate=None)
    files["WRONGVR/IMG1"].add_new(0x00080020, "OB", b"20240105")
    # A name of six components and a malformed Series Instance UID stay out of their records.
    files["BADVALUE/IMG1"] = dataset(10, PatientName="A^B^C^D^E^F", SeriesInstanceUID=f"{ROOT}.10.0.")
    files["NOSERIES/IMG1"] = dataset(11, SeriesInstanceUID=None)  # a worklist file: no record at all
    files["BADMETA/IMG1"] = dataset(13)
    files["MISMATCH/IMG1"] = dataset(14)
    files["REPEAT/IMG1"] = dataset(15)
    files["EMPTYPN/IMG1"] = dataset(16, PatientName="")
    # A Patient ID inside an item of undefined length, out of order there: not the file's own.
    nested = item(PatientID="X1", IssuerOfPatientID="NESTED")
    nested.is_undefined_length_sequence_item = True
    files["NESTED/IMG1"] = dataset(17, ReferencedStudySequence=[nested])
    files["NESTED/IMG1"]["ReferencedStudySequence"].is_undefined_length = True
    files["TRUNC/IMG1"] = dataset(18)
    paths = {relative: save(folder, relative, ds) for relative, ds in files.items()}
    # The meta information's SOP Instance UID (the first) patched: one differs from the data
    # set's, one names the instance GOOD/IMG1 names.
    patch(paths["BADMETA/IMG1"], b"9999.7.13.1", b"9999.7..3.1")
    patch(paths["MISMATCH/IMG1"], b"9999.7.14.1", b"9999.7.14.9")
    patch(paths["REPEAT/IMG1"], b"9999.7.15.1\0", b"9999.7.1.1\0\0")
    patch(paths["WRONGVR/IMG1"], b"\x08\x00\x05\x00CS\x0a\x00ISO_IR 100", b"\x08\x00\x05\x00SS\x0a\x00" + bytes(range(1, 11)))
    # (0010,0020) and (0010,0021) swapped: out of order.
    patch(paths["NESTED/IMG1"], b"\x10\x00\x20\x00LO\x02\x00X1\x10\x00\x21\x00LO\x06\x00NESTED",
          b"\x10\x00\x21\x00LO\x06\x00NESTED\x10\x00\x20\x00LO\x02\x00X1")
    with open(paths["TRUNC/IMG1"], "r+b") as f:  # cut inside the value of the last element
        f.truncate(os.path.getsize(paths["TRUNC/IMG1"]) - 1)
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


def type1_errors_are_warned(report, dicomdir):
    """Every dciodvfy error is a Type 1 key the files lack, with the warning line that names it."""
    for line in dciodvfy_errors(dicomdir):
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
    dumps_clean(dicomdir, "messy")
    indexed = [f.replace("/", os.sep) for f in files if f not in REFUSED]
    check(listed(dicomdir) == indexed, f"FileSet lists {listed(dicomdir)}")
    for warning in REFUSED.values():
        check(warning in out, f"no warning: {warning}")
    records = dcmread(dicomdir).DirectoryRecordSequence
    check([r.DirectoryRecordType for r in records].count("IMAGE") == len(indexed), "image records not one per file")
    references = [r.ReferencedSOPInstanceUIDInFile for r in records if r.DirectoryRecordType == "IMAGE"]
    check(len(set(references)) == len(references), f"one instance referenced twice: {references}")
    patients = {r.PatientID: r for r in records if r.DirectoryRecordType == "PATIENT"}
    check(len(patients) == len({os.path.dirname(f) for f in indexed}), f"patients: {sorted(patients)}")
    check("ID17" in patients and "X1" not in patients, "the nested Patient ID was taken as the file's own")
    check("DOE^UN" in [str(r.PatientName) for r in patients.values()], "the name sent as UN is not read")
    check("ID16" in patients and str(patients["ID16"].PatientName) == "", "the empty name is not indexed")
    check("ID10" in patients and str(patients["ID10"].PatientName) == "", "the six-part name reached a record")
    check("BADVALUE\\IMG1: Patient's Name (0010,0010) (VR PN, 12 bytes) holds more than five name components" in out,
          "the six-part name is not reported")
    check(os.path.join(messy, "TRUNC", "IMG1") + " is truncated" in out, "the truncated file is not reported")
    # The records' VRs (the dictionary's, not the file's) are pinned byte for byte by check_dicomdir_bytes.py.
    check("WRONGVR\\IMG1: Specific Character Set (0008,0005) (VR CS, 10 bytes)" in out,
          "the binary character set is not reported")
    check("ID8" in patients and patients["ID8"].SpecificCharacterSet == "ISO_IR 100",
          "the character set sent as UL is not written as CS")
    # The program's own check finds only the files the conversion refused: keys left empty are
    # empty in the files too.
    results = os.path.join(scratch, "messy.json")
    code, out, err = run([program, "-c", "-r", results, messy])
    with open(results) as f:
        findings = json.load(f)["folders"][0]["findings"]
    unindexed = sorted(f["file"] for f in findings if f["text"] == "DICOM file is not in the index")
    check(code == 9 and len(findings) == len(REFUSED) and unindexed == sorted(r.replace("/", "\\") for r in REFUSED),
          f"check mode on the messy folder: {code}\n{out}{err}")


def check_user_configuration(program, scratch):
    """A per-user Kestrapol.ini that lists an item tag and none of the keys: the line is refused
    and the records still carry their keys."""
    folder = fresh(os.path.join(scratch, "user"))
    save(folder, "IMG1", dataset(30))
    env = user_configuration(os.path.join(scratch, "user_config"), "tag_patient = (0010,1010)\ntag_image = (FFFE,E0DD)\n")
    code, out, err = run([program, folder], env)
    check(code == 0, f"per-user configuration: exit code {code}")
    check("WARNING: (FFFE,E0DD) cannot go into a directory record" in out, "the item tag line is not refused")
    dicomdir = os.path.join(folder, "DICOMDIR")
    dumps_clean(dicomdir, "per-user")
    check(listed(dicomdir) == ["IMG1"], "per-user configuration: FileSet does not list the file")
    patient = dcmread(dicomdir).DirectoryRecordSequence[0]
    check(patient.get("PatientID") == "ID30", "per-user configuration: the PATIENT record lacks its Patient ID")


if __name__ == "__main__":
    sys.exit(common.main(check_messy, check_user_configuration))
