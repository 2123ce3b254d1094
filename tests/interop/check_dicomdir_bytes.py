#!/usr/bin/env python3
"""Converts a folder written with pydicom (the messy folder, and files holding a value of many VRs
in each transfer syntax) and compares the DICOMDIR byte for byte with the committed one, apart from
the digits of the Media Storage SOP Instance UID that come from the folder's path, the time and chance.
Usage: check_dicomdir_bytes.py <kestrapol> <scratch> <golden> [--update]

--update writes the golden file instead (after a deliberate change of output)."""
import os
import struct
import sys

from pydicom import dcmread
from pydicom.uid import ExplicitVRBigEndian, ExplicitVRLittleEndian, ImplicitVRLittleEndian

from check_messy_folder import dataset, write_messy
from common import fresh, run, save, user_configuration

# Per record level, tags in ascending order: the keys, and at image level one attribute per VR.
TAGS = {"patient": "0008,0005 0010,0010 0010,0020 0010,1010 0010,1020",
        "study": "0008,0020 0008,0030 0008,0050 0008,1030 0020,000D 0020,0010",
        "series": "0008,0060 0020,000E 0020,0011",
        "image": "0008,0013 0008,002A 0008,0054 0008,0081 0008,0108 0008,0119 0008,0120 0008,030E 0008,1161 "
                 "0008,2134 0008,9459 0018,1638 0018,6020 0018,9219 0020,0013 0020,9165 0028,0010 0028,1201 0028,2000"}
CONFIGURATION = "record_types = image\n" + "".join(
    f"tag_{level} = ({tag})\n" for level, tags in TAGS.items() for tag in tags.split())


def write_types(folder):
    """One file per transfer syntax holding values of the VRs the configuration lists."""
    for number, (name, syntax) in enumerate([("TYPESLE", ExplicitVRLittleEndian), ("TYPESBE", ExplicitVRBigEndian),
                                             ("TYPESIM", ImplicitVRLittleEndian)], 40):
        order = ">" if syntax == ExplicitVRBigEndian else "<"
        ds = dataset(number, syntax, PatientAge="042Y", PatientSize="1.75", InstanceCreationTime="101500.25",
                     AcquisitionDateTime="20240105101500", RetrieveAETitle=["NODE_A", "NODE B"],
                     InstitutionAddress="Main Street 1", ExtendedCodeMeaning="line one\r\nline two",
                     LongCodeValue="LONG CODE", URNCodeValue="urn:x:1", PrivateDataElementDescription="odd",
                     InstanceNumber="7", Rows=512)
        ds.add_new(0x00081161, "UL", [1, 70000])
        ds.add_new(0x00082134, "FD", 2.5)
        ds.add_new(0x00089459, "FL", 29.97)
        ds.add_new(0x00181638, "OF", struct.pack(order + "2f", 1.5, -2.0))
        ds.add_new(0x00186020, "SL", -70000)
        ds.add_new(0x00189219, "SS", -3)
        ds.add_new(0x00209165, "AT", [0x00200032, 0x00280010])  # two values where one is allowed
        ds.add_new(0x00281201, "OW", struct.pack(order + "3H", 1, 0x0203, 0xFFFE))
        ds.add_new(0x00282000, "OB", b"\x01\x02\x03")  # odd length: padded
        save(folder, f"{name}/IMG1", ds)


def masked(path):
    """The DICOMDIR's bytes with the path, time and unique numbers of (0002,0003) blanked."""
    data = open(path, "rb").read()
    uid = dcmread(path, stop_before_pixels=True).file_meta.MediaStorageSOPInstanceUID
    cut = uid.rfind(".", 0, uid.rfind(".", 0, uid.rfind("."))) + 1
    at = data.index(uid.encode())
    return data[:at + cut] + b"#" * (len(uid) - cut) + data[at + len(uid):]


def main():
    program, scratch, golden = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
    folder = fresh(os.path.join(scratch, "FOLDER"))
    write_messy(folder)
    write_types(folder)
    code, out, err = run([program, folder], user_configuration(os.path.join(scratch, "config"), CONFIGURATION))
    if code not in (0, 1) or not os.path.exists(os.path.join(folder, "DICOMDIR")):
        print(f"FAIL: exit code {code}\n{out}{err}")
        return 1
    written = masked(os.path.join(folder, "DICOMDIR"))
    if "--update" in sys.argv[4:]:
        with open(golden, "wb") as f:
            f.write(written)
        return 0
    expected = open(golden, "rb").read()
    if written == expected:
        return 0
    first = next((i for i, (a, b) in enumerate(zip(written, expected)) if a != b), min(len(written), len(expected)))
    print(f"FAIL: the DICOMDIR differs from {golden} first at byte {first} (sizes {len(written)} and {len(expected)})")
    print(f"  written:  {written[max(first - 16, 0):first + 32].hex(' ')}")
    print(f"  expected: {expected[max(first - 16, 0):first + 32].hex(' ')}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
