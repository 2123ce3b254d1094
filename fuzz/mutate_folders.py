#!/usr/bin/python3
"""Mutation campaign: folders of damaged DICOM files, each converted by the whole program.

Seeds are the bundled samples and files pydicom writes (four transfer syntaxes, nested sequences),
damaged by bit flips, truncation, changed length fields, swapped VRs, deep nesting or a swapped
transfer syntax. A crash, a hang, a sanitizer report or an exit code the program does not give,
in the conversion or in the check mode run on each DICOMDIR written, fails the campaign.
DICOMDIRs that pydicom's FileSet refuses are counted by cause; --fileset-fatal (or
KESTRAPOL_CAMPAIGN_FILESET_FATAL=1) fails on them too.

usage: mutate_folders.py PROGRAM WORK [--folders N] [--seed S] [--fileset-fatal]
"""
import argparse
import collections
import io
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import warnings

from pydicom import dcmread
from pydicom.fileset import FileSet
from pydicom.uid import (DeflatedExplicitVRLittleEndian, ExplicitVRBigEndian, ExplicitVRLittleEndian,
                         ImplicitVRLittleEndian)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "interop"))
from common import SECONDARY_CAPTURE, dataset, fresh, item  # noqa: E402 (the interoperability checks' pydicom files)

VRS = [vr.encode() for vr in "AE AS AT CS DA DS DT FD FL IS LO LT OB OD OF OL OW PN SH SL SQ SS ST TM UC UI UL "
                              "UN UR US UT".split()]
LONG_VRS = {b"OB", b"OD", b"OF", b"OL", b"OW", b"SQ", b"UC", b"UN", b"UR", b"UT"}
SYNTAXES = [b"1.2.840.10008.1.2", b"1.2.840.10008.1.2.1", b"1.2.840.10008.1.2.2", b"1.2.840.10008.1.2.1.99",
            b"1.2.840.10008.1.2.4.50", b"1.2.3.4.5"]
EXIT_CODES = set(range(0, 9))
CHECK_EXIT_CODES = {0, 9}
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:", "SUMMARY: UndefinedBehavior")


def make_seeds():
    """The bundled samples and pydicom's files, as byte strings."""
    seeds = []
    for top, _, names in os.walk(os.path.join(ROOT, "samples")):
        for name in sorted(names):
            with open(os.path.join(top, name), "rb") as f:
                seeds.append(f.read())
    for index, syntax in enumerate([ImplicitVRLittleEndian, ExplicitVRLittleEndian, ExplicitVRBigEndian,
                                    DeflatedExplicitVRLittleEndian]):
        reference = item(ReferencedSOPClassUID=SECONDARY_CAPTURE, ReferencedSOPInstanceUID="1.2.3.4.5.7",
                         PurposeOfReferenceCodeSequence=[item(CodeValue="T-A0100")])
        ds = dataset(SECONDARY_CAPTURE, f"2.25.4711{index}", syntax, PatientName="DOE^JANE", PatientID=f"P{index % 3}",
                     StudyInstanceUID="2.25.47117", SeriesInstanceUID=f"2.25.47117.{index % 2}", StudyDate="20240102",
                     Modality="OT", InstanceNumber=str(index), Rows=16, Columns=16, BitsAllocated=8,
                     PixelData=bytes(range(256)) * 8, ReferencedImageSequence=[reference, reference])
        ds.add_new(0x00090010, "LO", "ACME LAB")
        ds.add_new(0x00091010, "SH", "PRIV")
        written = io.BytesIO()
        ds.save_as(written, write_like_original=False)
        seeds.append(written.getvalue())
    return seeds


def headers(data):
    """Offsets that look like explicit element headers (a known VR after the tag)."""
    return [i for i in range(132, len(data) - 8, 2) if data[i + 4:i + 6] in VRS]


def flip_bits(data, rnd):
    for _ in range(rnd.randint(1, 8)):
        at = rnd.randrange(128, len(data))
        data[at] ^= 1 << rnd.randrange(8)


def truncate(data, rnd):
    del data[rnd.randrange(132, len(data)):]


def change_length(data, rnd):
    found = headers(data)
    if not found:
        return flip_bits(data, rnd)
    at = rnd.choice(found)
    if bytes(data[at + 4:at + 6]) in LONG_VRS:
        value = rnd.choice([0, 1, 3, 0xFFFFFFFF, 0xFFFFFFFE, 0x7FFFFFFF, len(data), rnd.randrange(1 << 32)])
        data[at + 8:at + 12] = struct.pack("<I", value)
    else:
        value = rnd.choice([0, 1, 3, 0xFFFF, 0xFFFE, rnd.randrange(1 << 16)])
        data[at + 6:at + 8] = struct.pack("<H", value)


def swap_vr(data, rnd):
    found = headers(data)
    if not found:
        return flip_bits(data, rnd)
    for at in rnd.sample(found, min(len(found), rnd.randint(1, 3))):
        data[at + 4:at + 6] = rnd.choice(VRS)


def nest_items(data, rnd):
    """A sequence of items nested deeply, with or without their delimiters, at an element."""
    found = headers(data)
    at = rnd.choice(found) if found else len(data)
    depth = rnd.choice([2, 10, 60, 200, 1000])
    opening = b"\x08\x00\x40\x11SQ\0\0\xff\xff\xff\xff" + b"\xfe\xff\x00\xe0\xff\xff\xff\xff"
    closing = b"\xfe\xff\x0d\xe0\0\0\0\0" + b"\xfe\xff\xdd\xe0\0\0\0\0"
    data[at:at] = opening * depth + b"\x10\x00\x20\x00LO\x04\0NEST" + (closing * depth if rnd.random() < 0.5 else b"")


def swap_syntax(data, rnd):
    at = data.find(b"\x02\x00\x10\x00UI", 132, 1024)
    if at < 0:
        return flip_bits(data, rnd)
    length = struct.unpack("<H", data[at + 6:at + 8])[0]
    value = rnd.choice(SYNTAXES)
    if len(value) % 2:
        value += b"\0"
    data[at + 6:at + 8 + length] = struct.pack("<H", len(value)) + value


MUTATIONS = [flip_bits, truncate, change_length, swap_vr, nest_items, swap_syntax]


def make_folder(folder, seeds, rnd):
    os.makedirs(folder)
    for n in range(rnd.randint(1, 4)):
        data = bytearray(rnd.choice(seeds))
        if n == 0 or rnd.random() < 0.8:
            for mutation in rnd.sample(MUTATIONS, rnd.randint(1, 3)):
                if len(data) > 140:
                    mutation(data, rnd)
        sub = os.path.join(folder, f"S{n % 2}")
        os.makedirs(sub, exist_ok=True)
        with open(os.path.join(sub, f"IMG{n}"), "wb") as f:
            f.write(data)


def fileset_problem(path):
    """None when pydicom's FileSet loads the DICOMDIR and finds each file it names."""
    try:
        missing = [i for i in FileSet(dcmread(path)) if not os.path.exists(i.path)]
        return "names a file that is not there" if missing else None
    except Exception as error:  # every refusal counts, whatever its kind
        text = str(error).splitlines()[0] if str(error) else ""
        return f"{type(error).__name__}: {re.sub(r'[0-9]+', 'N', text)[:100]}"  # offsets differ


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("work")
    parser.add_argument("--folders", type=int, default=int(os.environ.get("KESTRAPOL_CAMPAIGN_FOLDERS", "800")))
    parser.add_argument("--seed", type=int, default=int(os.environ.get("KESTRAPOL_CAMPAIGN_SEED", "1")))
    parser.add_argument("--timeout", type=int, default=60)
    parser.add_argument("--fileset-fatal", action="store_true",
                        default=os.environ.get("KESTRAPOL_CAMPAIGN_FILESET_FATAL") == "1")
    options = parser.parse_args()
    warnings.filterwarnings("ignore")  # pydicom's remarks on damaged values

    shutil.rmtree(options.work, ignore_errors=True)
    config, tmp = (fresh(os.path.join(options.work, "home", name)) for name in ("config", "tmp"))
    env = dict(os.environ, XDG_CONFIG_HOME=config, TMPDIR=tmp)
    env.pop("APPDATA", None)
    env.setdefault("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1")
    seeds = make_seeds()
    rnd = random.Random(options.seed)

    faults = []  # (folder, what) that fail the campaign
    refused, codes = collections.Counter(), collections.Counter()
    written = checked_with_findings = 0

    def run_program(arguments, folder, allowed):
        """The program's run, or None after noting a fault."""
        try:
            done = subprocess.run([options.program] + arguments, env=env, capture_output=True,
                                  timeout=options.timeout)
        except subprocess.TimeoutExpired:
            faults.append((folder, "hang: " + " ".join(arguments[:-1] or ["convert"])))
            return None
        output = done.stdout.decode("latin-1") + done.stderr.decode("latin-1")
        marks = [mark for mark in SANITIZER_MARKS if mark in output]
        if marks:
            faults.append((folder, "sanitizer: " + marks[0]))
        elif done.returncode not in allowed:
            faults.append((folder, f"exit code {done.returncode} of {' '.join(arguments[:-1]) or 'the conversion'}"))
        return done

    for n in range(options.folders):
        folder = os.path.join(options.work, f"F{n:05d}")
        make_folder(folder, seeds, rnd)
        run = run_program([folder], folder, EXIT_CODES)
        if run is None:
            continue
        codes[run.returncode] += 1
        dicomdir = os.path.join(folder, "DICOMDIR")
        if os.path.exists(dicomdir):
            written += 1
            checked = run_program(["-c", folder], folder, CHECK_EXIT_CODES)
            if checked is not None and checked.returncode == 9:
                checked_with_findings += 1
            problem = fileset_problem(dicomdir)
            if problem:
                refused[problem] += 1
                print(f"FileSet refuses {dicomdir}: {problem}")
                continue
        if not any(f == folder for f, _ in faults):
            shutil.rmtree(folder)  # kept only to look into

    print(f"campaign: {options.folders} folders, {written} DICOMDIRs written, {len(faults)} crashes, hangs or "
          f"sanitizer reports, {sum(refused.values())} DICOMDIRs refused by FileSet, {checked_with_findings} "
          f"with findings of the check")
    print("  exit codes: " + ", ".join(f"{code}: {count}" for code, count in sorted(codes.items())))
    for cause, count in refused.most_common():
        print(f"  FileSet: {count} x {cause}")
    for folder, what in faults:
        print(f"  FAULT: {what}: {folder}")
    failed = bool(faults) or (options.fileset_fatal and refused)
    print("campaign: " + ("FAILED" if failed else "passed"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
