"""What the interoperability checks share: files written with pydicom, runs of the program, the
independent readers (dciodvfy, dcmdump, dcdirdmp, pydicom's FileSet) and the failures found."""
import os
import re
import shutil
import subprocess
import sys

from pydicom import dcmread
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.fileset import FileSet
from pydicom.uid import ExplicitVRBigEndian, ExplicitVRLittleEndian, ImplicitVRLittleEndian

SECONDARY_CAPTURE = "1.2.840.10008.5.1.4.1.1.7"
READERS = ("dciodvfy", "dcmdump", "dcdirdmp")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def main(*checks, readers=True):
    """Runs each check(program, scratch) with the command line's two arguments and prints the
    failures; exit code 77 (skipped) when the independent readers are needed and missing."""
    if readers and not all(shutil.which(tool) for tool in READERS):
        print("SKIP: dciodvfy, dcmdump or dcdirdmp not installed")
        return 77
    program, scratch = sys.argv[1], os.path.abspath(sys.argv[2])
    os.makedirs(scratch, exist_ok=True)
    for each in checks:
        each(program, scratch)
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


def run(command, env=None):
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    return done.returncode, done.stdout, done.stderr


def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder


def user_configuration(folder, text):
    """An environment whose per-user Kestrapol.ini (in a fresh folder) holds text."""
    os.makedirs(os.path.join(fresh(folder), "Corvanthis"))
    with open(os.path.join(folder, "Corvanthis", "Kestrapol.ini"), "w") as f:
        f.write(text)
    return dict(os.environ, APPDATA=folder, XDG_CONFIG_HOME=folder)


def update(ds, **values):
    """ds with the given attributes set (None: left out)."""
    for keyword, value in values.items():
        if value is not None:
            setattr(ds, keyword, value)
    return ds


def item(**values):
    """A data set (a sequence item) of the given attributes (None: left out)."""
    return update(Dataset(), **values)


def dataset(sop_class, instance_uid, syntax=ExplicitVRLittleEndian, **keys):
    """A file's data set and meta information for class and instance, with the attributes given (None: left out)."""
    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID = sop_class
    meta.MediaStorageSOPInstanceUID = instance_uid
    meta.TransferSyntaxUID = syntax
    ds = item(SOPClassUID=sop_class, SOPInstanceUID=instance_uid, **keys)
    ds.file_meta = meta
    ds.preamble = b"\0" * 128
    ds.is_little_endian = syntax != ExplicitVRBigEndian
    ds.is_implicit_VR = syntax == ImplicitVRLittleEndian
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


def listed(dicomdir):
    """Paths of the files pydicom's FileSet finds through the DICOMDIR, relative to its folder."""
    root = os.path.dirname(dicomdir)
    return sorted(os.path.relpath(instance.path, root) for instance in FileSet(dcmread(dicomdir)))


def dumps_clean(dicomdir, label):
    """dcmdump -dc and dcdirdmp read the DICOMDIR without an error or warning."""
    code, dump, err = run(["dcmdump", "-dc", dicomdir])
    check(code == 0 and not re.search(r"^[EW]: ", dump + err, re.M), f"{label}: dcmdump -dc: {err}")
    code, dump, err = run(["dcdirdmp", dicomdir])
    check(code == 0 and not re.search(r"error", dump + err, re.I), f"{label}: dcdirdmp: {err}")


def dciodvfy_errors(dicomdir):
    code, out, err = run(["dciodvfy", dicomdir])
    return [line for line in (out + err).splitlines() if line.startswith("Error")]
