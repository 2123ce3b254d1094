#!/usr/bin/env python3
"""Writes the sample files with the given program, reads each with pydicom and compares every
value with what the program was asked to build. Usage: check_pydicom_values.py <writer> <folder>"""
import os
import subprocess
import sys

import pydicom

import common
from common import check

SAMPLES = {"implicit_le.dcm": "1.2.840.10008.1.2", "explicit_le.dcm": "1.2.840.10008.1.2.1",
           "explicit_be.dcm": "1.2.840.10008.1.2.2"}
UID = "1.2.826.0.1.3680043.9999.1.42"

# keyword -> expected value (pydicom's number and multi-value types compare equal to plain ones)
EXPECTED = {
    "ImageType": ["ORIGINAL", "PRIMARY"], "SOPClassUID": "1.2.840.10008.5.1.4.1.1.7", "SOPInstanceUID": UID,
    "StudyDate": "20261206", "AcquisitionDateTime": "20261206100507.250",
    "StudyTime": "100560.000",  # 59.9995 s rounds to 60, the minute not carried
    "Modality": "OT", "InstitutionName": ["Clinic A", "Site 7"], "PatientName": "Doe^Jane", "PatientID": "ID123",
    "PatientAge": "045Y",
    "SliceThickness": 1.0,  # the float nearest 0.9999999 is written as "1"
    "AcquisitionMatrix": [0, 256, 512, 0x0102], "ReferencePixelX0": -70000, "DiffusionBValue": 1000.5,
    "TagAngleSecondAxis": -2, "InstanceNumber": -12, "ImageComments": "a comment",
    "DimensionIndexPointer": 0x00209056, "PixelSpacing": [0.5, 1.25], "TextValue": "free text value",
}


def check_file(path, transfer_syntax):
    ds = pydicom.dcmread(path)
    meta = ds.file_meta
    for name, got, want in [("transfer syntax", str(meta.TransferSyntaxUID), transfer_syntax),
                            ("meta version", meta.FileMetaInformationVersion, b"\x00\x01"),
                            ("media storage SOP instance", str(meta.MediaStorageSOPInstanceUID), UID),
                            ("implementation version", meta.ImplementationVersionName, "KESTRAPOL_1")]:
        check(got == want, f"{path}: {name} {got!r}")
    # The group length counts the meta elements after it.
    with open(path, "rb") as f:
        f.seek(144 + meta.FileMetaInformationGroupLength)
        first_tag = f.read(2)
    check(first_tag == (b"\x00\x08" if transfer_syntax == "1.2.840.10008.1.2.2" else b"\x08\x00"),
          f"{path}: group length {meta.FileMetaInformationGroupLength} does not end at the data set")

    for keyword, expected in EXPECTED.items():
        got = ds.get(keyword, "(missing)")
        check(got == expected, f"{path}: {keyword} = {got!r}, expected {expected!r}")

    palette = ds.RedPaletteColorLookupTableData
    words = [int.from_bytes(palette[i:i + 2], "big" if ds.is_little_endian is False else "little")
             for i in range(0, len(palette), 2)]
    check(words == [1, 0x0203, 0xFFFF], f"{path}: OW words {words}")
    items = ds.ContentSequence
    check([str(item.TextValue) for item in items] == ["FIRST", "SECOND"] and
          all(i.ValueType == "TEXT" for i in items), f"{path}: content sequence {items}")


def check_samples(writer, folder):
    subprocess.run([writer, folder], check=True)
    for name, transfer_syntax in SAMPLES.items():
        check_file(os.path.join(folder, name), transfer_syntax)


if __name__ == "__main__":
    sys.exit(common.main(check_samples, readers=False))
