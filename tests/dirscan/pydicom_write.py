#!/usr/bin/python3
"""Writes Part-10 files with pydicom into the folder given as first argument, one per transfer
syntax, and prints the values the reader must find: one line per file and element,
"file group element hex-of-value-bytes" (values as stored in the file, numbers in the file's
byte order), or "- length" for values over 1024 bytes."""
import struct
import sys

from pydicom import dcmread
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.sequence import Sequence
from pydicom.uid import ExplicitVRBigEndian, ExplicitVRLittleEndian, ImplicitVRLittleEndian


def make(syntax, little, implicit):
    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID = "1.2.840.10008.5.1.4.1.1.7"
    meta.MediaStorageSOPInstanceUID = "1.2.3.4.5.6"
    meta.TransferSyntaxUID = syntax
    ds = Dataset()
    ds.file_meta = meta
    ds.preamble = b"\0" * 128
    ds.is_little_endian = little
    ds.is_implicit_VR = implicit
    ds.SOPClassUID = "1.2.840.10008.5.1.4.1.1.7"
    ds.SOPInstanceUID = "1.2.3.4.5.6"
    ds.PatientName = "DOE^JANE"
    ds.PatientID = "P-77"
    ds.Rows = 300
    ds.SliceThickness = "1.25"
    item = Dataset()
    item.ReferencedSOPClassUID = "1.2.840.10008.5.1.4.1.1.7"
    item.ReferencedSOPInstanceUID = "1.2.3.4.5.7"
    inner = Dataset()
    inner.CodeValue = "T-A0100"
    item.PurposeOfReferenceCodeSequence = Sequence([inner])
    ds.ReferencedImageSequence = Sequence([item])
    ds.add_new(0x00090010, "LO", "ACME LAB")
    ds.add_new(0x00091010, "SH", "PRIV")
    ds.add_new(0x00660016, "OF", struct.pack("<f" if little else ">f", 1.5) * 2)
    ds.add_new(0x00080119, "UC", "LONG CODE")
    ds.add_new(0x00080120, "UR", "http://example.com/x")
    ds.add_new(0x00189219, "OD", struct.pack("<d" if little else ">d", 2.5))
    ds.PixelData = bytes(range(256)) * 8  # 2048 bytes: left on disk
    ds.BitsAllocated = 8
    return ds


def main(folder):
    cases = [("implicit_le", ImplicitVRLittleEndian, True, True),
             ("explicit_le", ExplicitVRLittleEndian, True, False),
             ("explicit_be", ExplicitVRBigEndian, False, False)]
    checks = [(0x0010, 0x0010), (0x0010, 0x0020), (0x0028, 0x0010), (0x0018, 0x0050), (0x0066, 0x0016),
              (0x0008, 0x0119), (0x0008, 0x0120), (0x0018, 0x9219), (0x0009, 0x0010), (0x0009, 0x1010), (0x7FE0, 0x0010)]
    for name, syntax, little, implicit in cases:
        ds = make(syntax, little, implicit)
        path = f"{folder}/{name}.dcm"
        ds.save_as(path, write_like_original=False)
        written = dcmread(path)
        for group, element in checks:
            data = written.get_item((group, element)).value  # the bytes as stored
            if len(data) > 1024:
                print(f"{name} {group:04x} {element:04x} - {len(data)}")
            else:
                print(f"{name} {group:04x} {element:04x} {data.hex()}")
        print(f"{name} 0008 1155 nested {b'1.2.3.4.5.7'.hex()}00")
        print(f"{name} 0008 0100 nested {b'T-A0100'.hex()}20")


if __name__ == "__main__":
    main(sys.argv[1])
