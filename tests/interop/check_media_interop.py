#!/usr/bin/env python3
"""Checks DICOMDIRs written by independent makers with the program's check mode: pydicom's FileSet
(written here) and the Debian toolkit's dcmmkdir (when installed). Both pass, apart from the
warnings that really apply, and the results file agrees with the exit code.
Usage: check_media_interop.py <kestrapol> <scratch>"""
import json
import os
import shutil
import sys

from pydicom.fileset import FileSet

from check_messy_folder import dataset
import common
from common import check, fresh, run, save


def check_media(program, folder, maker, expected_warnings=()):
    results = folder + ".json"
    code, out, err = run([program, "-c", "-r", results, folder])
    out += err
    with open(results) as f:
        row = json.load(f)["folders"][0]
    findings = row["findings"]
    unexpected = [f for f in findings if f["severity"] != "warning" or
                  not any(w in f["text"] for w in expected_warnings)]
    check(not unexpected, f"{maker}: findings {unexpected}\n{out}")
    check(code == (9 if findings else 0), f"{maker}: exit code {code}\n{out}")
    check(f"{len(findings)} problems" in out, f"{maker}: the summary does not count {len(findings)} problems")
    check(row["counts"]["files"] > 0 and row["outcome"] == ("problems" if findings else "clean"),
          f"{maker}: results {row}")


def check_makers(program, scratch):
    made = fresh(os.path.join(scratch, "pydicom"))
    file_set = FileSet()
    for number in range(1, 4):
        file_set.add(dataset(number))
    file_set.add(dataset(4, PatientID="ID1", PatientName="DOE^1", StudyInstanceUID=dataset(1).StudyInstanceUID,
                         SeriesInstanceUID=dataset(1).SeriesInstanceUID))
    file_set.write(made)
    check_media(program, made, "pydicom")

    if shutil.which("dcmmkdir"):
        made = fresh(os.path.join(scratch, "dcmmkdir"))
        for number in range(1, 4):
            save(made, f"IMAGES/IMG{number}", dataset(number))
        code, out, err = run(["dcmmkdir", "--recurse", "--input-directory", made, "--output-file",
                              os.path.join(made, "DICOMDIR")])
        check(code == 0, f"dcmmkdir: {out}{err}")
        if code == 0:
            check_media(program, made, "dcmmkdir")


if __name__ == "__main__":
    sys.exit(common.main(check_makers, readers=False))
