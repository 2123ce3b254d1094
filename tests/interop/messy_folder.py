"""A folder of imperfect DICOM files as real-world media bring them, written with pydicom.

write_messy(folder) writes the files a DICOMDIR can be made of; write_bad_names(folder) writes
files whose names DICOM media cannot carry. Both return the relative paths of the DICOM files
they wrote ("/" between components)."""
import os
import warnings

from pydicom.dataset import Dataset, FileMetaDataset
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
    """Nine levels, and a backslash inside a name."""
    names = ["A/B/C/D/E/F/G/H/IMG1", "SER\\IMG1"]
    for number, relative in enumerate(names, 20):
        save(folder, relative, dataset(number))
    return names
