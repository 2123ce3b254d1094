#!/usr/bin/env python3
"""A media copy of a messy folder written with pydicom (names no media carry, one of each kind of
object, duplicates), read back by independent readers: dciodvfy, dcmdump and dcdirdmp, pydicom's
FileSet (every copy once, under the record type pydicom gives its class); the map lists every
source once, an in-place run on the copy gives the same records and a full disk (a small tmpfs,
when one can be mounted) leaves nothing behind.
Usage: check_media_copy.py <kestrapol> <scratch> (exit code 77: a reader is missing)."""
import csv
import os
import shutil
import sys

from pydicom import dcmread
from pydicom.fileset import FileSet, _four_level_record_type, _single_level_record_type
from pydicom.sequence import Sequence

import common
from common import check, dciodvfy_errors, dumps_clean, fresh, item, patch, run, save, update, user_configuration

ROOT = "1.2.826.0.1.3680043.9999.19."


def code_item(value, meaning, scheme="DCM"):
    return item(CodeValue=value, CodingSchemeDesignator=scheme, CodeMeaning=meaning)


def dataset(sop_class, number, modality, patient="DOE^JANE", study=1, series=1, **values):
    keys = dict(SpecificCharacterSet="ISO_IR 192", PatientName=patient, PatientID=patient.split("^")[0],
                StudyInstanceUID=f"{ROOT}{study}.0", StudyDate="20240105", StudyTime="101500", StudyID=f"S{study}",
                AccessionNumber="", StudyDescription="MESSY", SeriesInstanceUID=f"{ROOT}{study}.{series}",
                Modality=modality, SeriesNumber=str(series), InstanceNumber=str(number))
    keys.update(values)
    return common.dataset(sop_class, f"{ROOT}{number}", **keys)


def image(ds, frames=1):
    return update(ds, Rows=4, Columns=4, SamplesPerPixel=1, PhotometricInterpretation="MONOCHROME2", BitsAllocated=8,
                  BitsStored=8, HighBit=7, PixelRepresentation=0, NumberOfFrames=frames if frames > 1 else None,
                  PixelData=bytes(range(16)) * frames)


def content(**values):
    return dict(ContentDate="20240105", ContentTime="101600", **values)


def palette(number):
    """A Color Palette: no patient, study or series; a record of the root directory entity."""
    ds = common.dataset("1.2.840.10008.5.1.4.39.1", f"{ROOT}{number}", SpecificCharacterSet="ISO_IR 192",
                        ContentLabel="HOT_IRON", ContentDescription="Hot iron")
    ds.RedPaletteColorLookupTableDescriptor = [256, 0, 8]
    return ds


def messy_files():
    """Relative path -> data set: names no media carry, one of each kind of object."""
    sr = content(CompletionFlag="COMPLETE", VerificationFlag="UNVERIFIED", ValueType="CONTAINER",
                 ConceptNameCodeSequence=Sequence([code_item("11528-7", "Radiology Report", "LN")]))
    deep = "level 1/level-2/lëvel.3/l4/l5/l6/l7/l8/l9"
    return {
        "ct scans/axial image 0001.dcm": image(dataset("1.2.840.10008.5.1.4.1.1.2", 11, "CT", series=2)),
        "ct scans/axial image 0002.dcm": image(dataset("1.2.840.10008.5.1.4.1.1.2", 12, "CT", series=2)),
        "mr/T1-weighted.image.dcm": image(dataset("1.2.840.10008.5.1.4.1.1.4", 13, "MR", series=3)),
        f"{deep}/secondary capture.dcm": image(dataset("1.2.840.10008.5.1.4.1.1.7", 14, "OT", series=4)),
        "Ünïcode – münchen/multiframe": image(dataset("1.2.840.10008.5.1.4.1.1.7.2", 15, "OT", series=4), 3),
        "reports/basic text sr.dcm": dataset("1.2.840.10008.5.1.4.1.1.88.11", 16, "SR", series=5, **sr),
        "reports/comprehensive sr.dcm": dataset("1.2.840.10008.5.1.4.1.1.88.33", 17, "SR", series=5, **sr),
        "reports/key objects.kos": dataset(
            "1.2.840.10008.5.1.4.1.1.88.59", 18, "KO", series=6,
            **content(ValueType="CONTAINER", ConceptNameCodeSequence=Sequence([code_item("113000", "Of Interest")]))),
        "pr/gsps.pre": dataset("1.2.840.10008.5.1.4.1.1.11.1", 19, "PR", series=7, ContentLabel="GSPS",
                               ContentDescription="", PresentationCreationDate="20240105",
                               PresentationCreationTime="101700", ContentCreatorName="",
                               ReferencedSeriesSequence=Sequence([item(
                                   SeriesInstanceUID=f"{ROOT}1.2", ReferencedImageSequence=Sequence([item(
                                       ReferencedSOPClassUID="1.2.840.10008.5.1.4.1.1.2",
                                       ReferencedSOPInstanceUID=f"{ROOT}{n}") for n in (11, 12)]))])),
        "rt/dose.dcm": dataset("1.2.840.10008.5.1.4.1.1.481.2", 20, "RTDOSE", patient="ROE^RICHARD", study=2,
                               series=1, DoseSummationType="PLAN"),
        "rt/structures.dcm": dataset("1.2.840.10008.5.1.4.1.1.481.3", 21, "RTSTRUCT", patient="ROE^RICHARD",
                                     study=2, series=2, StructureSetTime="101800"),  # no label, no date
        "rt/plan.dcm": dataset("1.2.840.10008.5.1.4.1.1.481.5", 22, "RTPLAN", patient="ROE^RICHARD", study=2,
                               series=3, RTPlanLabel="PLAN A", RTPlanDate="20240105", RTPlanTime="101900"),
        "documents/report.pdf.dcm": dataset(
            "1.2.840.10008.5.1.4.1.1.104.1", 23, "DOC", series=8, DocumentTitle="REPORT",
            MIMETypeOfEncapsulatedDocument="application/pdf", EncapsulatedDocument=b"%PDF-1.4\n%%EOF\n",
            ConceptNameCodeSequence=Sequence(), **content()),
        "ecg/12 lead.ecg": dataset("1.2.840.10008.5.1.4.1.1.9.1.1", 24, "ECG", series=9, **content()),
        "palettes/hot iron.pal": palette(25),
        "odd/no study uid.dcm": image(dataset("1.2.840.10008.5.1.4.1.1.7", 26, "OT", StudyInstanceUID=None)),
        "odd/conflict.dcm": image(dataset("1.2.840.10008.5.1.4.1.1.4", 13, "MR", series=3,
                                          StudyDescription="OTHER CONTENT")),
    }


def write_messy(folder):
    for relative, ds in messy_files().items():
        save(folder, relative, ds)
    shutil.copyfile(os.path.join(folder, "ct scans/axial image 0001.dcm"), os.path.join(folder, "odd/copy of ct.dcm"))
    # A meta SOP Instance UID that is not the data set's (the meta group comes first).
    patch(os.path.join(folder, "mr/T1-weighted.image.dcm"), f"{ROOT}13".encode(), f"{ROOT}99".encode())
    with open(os.path.join(folder, "read me.txt"), "w") as f:
        f.write("not a DICOM file\n")


def sources(folder):
    return sorted(os.path.join(top, name) for top, _, names in os.walk(folder) for name in names)


def records(dicomdir):
    """The records of a DICOMDIR without their offsets, in order."""
    offsets = {0x00041400, 0x00041420}
    return [[(e.tag, e.value if e.VR != "SQ" else len(e.value)) for e in r if e.tag not in offsets]
            for r in dcmread(dicomdir).DirectoryRecordSequence]


def check_copy(program, scratch):
    source, copy = os.path.join(scratch, "messy source"), os.path.join(scratch, "copy")
    for folder in (source, copy):
        shutil.rmtree(folder, ignore_errors=True)
    write_messy(source)
    code, out, err = run([program, "-o", copy, source])
    check(code == 0, f"copy: exit code {code}: {err}")
    dicomdir = os.path.join(copy, "DICOMDIR")

    # The one error: the Type 1 key the structure set itself lacks, warned about once.
    errors = dciodvfy_errors(dicomdir)
    check(errors == ["Error - Missing attribute Type 1 Required Element=<StructureSetLabel> "
                     "Module=<RTStructureSetDirectoryRecord>"], f"dciodvfy: {errors}")
    check(out.count("Structure Set Label (3006,0002) is missing; the RT STRUCTURE SET record needs a value") == 1,
          f"the missing label is not warned about once: {out}")
    dumps_clean(dicomdir, "copy")
    # The program's own check finds nothing: the label the file lacks is no fault of the copy.
    code, checked, checked_err = run([program, "-c", copy])
    check(code == 0 and ", 0 problems" in checked, f"check mode on the copy: exit code {code}: {checked[-800:]}")

    with open(os.path.join(copy, "DICOMDIR.CSV"), encoding="utf-8-sig", newline="") as f:
        rows = list(csv.DictReader(f))
    check(sorted(r["Source file"] for r in rows) == sources(source), "the map does not list every source once")
    copied = {r["Source file"]: r for r in rows if r["Outcome"] == "copied"}
    mismatch = [r for r in rows if r["Source file"].endswith("T1-weighted.image.dcm")]
    check(mismatch and mismatch[0]["Outcome"] == "copied" and "differs" in mismatch[0]["Remark"],
          f"the file with two SOP Instance UIDs: {mismatch}")
    check(out.count("(0002,0003) differs from SOP Instance UID (0008,0018)") == 1, "no single warning of two UIDs")

    # pydicom's FileSet: every copy once, each under the record type pydicom gives it.
    listed = {}
    for instance in FileSet(dcmread(dicomdir)):
        listed.setdefault(os.path.relpath(instance.path, copy), []).append(instance.node.record_type)
    check(sorted(listed) == sorted(os.path.join(*r["File ID"].split("\\")) for r in copied.values()),
          f"FileSet lists {sorted(listed)}")
    for path, row in copied.items():
        source_ds = dcmread(path)
        expected = _single_level_record_type(source_ds)
        if expected == "PATIENT":
            expected = _four_level_record_type(source_ds)
        found = listed.get(os.path.join(*row["File ID"].split("\\")), [])
        check(found == [expected] and row["Record type"] == expected, f"{path}: records {found}, map "
              f"{row['Record type']}, pydicom {expected}")

    by_type = {r.DirectoryRecordType: r for r in dcmread(dicomdir).DirectoryRecordSequence}
    check(by_type["RT STRUCTURE SET"].StructureSetDate == "", "the Type 2 Structure Set Date is not written empty")
    check(by_type["SR DOCUMENT"].ConceptNameCodeSequence[0].CodeValue == "11528-7",
          "the Concept Name Code Sequence is not copied whole")

    # The copy as it stands: an in-place run, filing by class too, gives the same records.
    before = records(dicomdir)
    code, out, err = run([program, copy], user_configuration(os.path.join(scratch, "config"), "record_types = sop_class\n"))
    check(code == 0 and "Invalid file name" not in out, f"in-place run on the copy: exit code {code}")
    check(records(dicomdir) == before, "the in-place run gives other records")


def check_nothing_to_copy(program, scratch):
    """Sources without DICOM files: exit code 4 and no destination."""
    source, copy = fresh(os.path.join(scratch, "no dicom")), os.path.join(scratch, "no copy")
    shutil.rmtree(copy, ignore_errors=True)
    with open(os.path.join(source, "notes.txt"), "w") as f:
        f.write("not DICOM\n")
    code, out, err = run([program, "-o", copy, source])
    check(code == 4 and not os.path.exists(copy), f"nothing to copy: exit code {code}, left {os.path.exists(copy)}")


def check_full_disk(program, scratch):
    """A tmpfs smaller than the copy: the run fails and leaves the disk as it was."""
    disk = os.path.join(scratch, "small disk")
    os.makedirs(disk, exist_ok=True)
    if run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", disk])[0] != 0:
        print("SKIP: full disk: no tmpfs can be mounted here")
        return
    try:
        source = fresh(os.path.join(scratch, "large"))
        for number in range(8):
            ds = image(dataset("1.2.840.10008.5.1.4.1.1.7", 100 + number, "OT"))
            ds.Rows = ds.Columns = 128
            ds.PixelData = bytes(128 * 128)
            save(source, f"image {number}.dcm", ds)
        os.makedirs(os.path.join(disk, "empty"))
        for target in ("new", "empty"):
            code, out, err = run([program, "-o", os.path.join(disk, target), source])
            check(code == 11, f"full disk ({target}): exit code {code}, expected 11")
            check("No space left on device" in err, f"full disk ({target}): {err!r}")
        check(sorted(os.listdir(disk)) == ["empty"] and not os.listdir(os.path.join(disk, "empty")),
              f"full disk: left {os.listdir(disk)}")
    finally:
        run(["umount", disk])


if __name__ == "__main__":
    sys.exit(common.main(check_copy, check_nothing_to_copy, check_full_disk))
