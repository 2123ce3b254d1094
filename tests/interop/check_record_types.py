#!/usr/bin/env python3
"""Compares our SOP-class-to-record-type table with pydicom's own, made independently: every class
pydicom files under a record type must be filed under the same one here, and every record type
pydicom can write must be known here.

    check_record_types.py LOOKUP_PROGRAM
"""
import subprocess
import sys

import pydicom.fileset as fileset


def main():
    expected = {**fileset._FOUR_LEVEL_SOP_CLASSES, **fileset._SINGLE_LEVEL_SOP_CLASSES}
    names = sorted(fileset.DIRECTORY_RECORDERS)
    uids = sorted(expected)
    queries = uids + ["?" + name for name in names]
    answer = subprocess.run([sys.argv[1]], input="\n".join(queries) + "\n", capture_output=True,
                            text=True, check=True).stdout.splitlines()
    if len(answer) != len(queries):
        sys.exit("expected %d answers, got %d" % (len(queries), len(answer)))
    faults = ["%s: pydicom %r, ours %r" % (uid, expected[uid], got)
              for uid, got in zip(uids, answer) if got != expected[uid]]
    faults += ["record type %r unknown" % name
               for name, got in zip(names, answer[len(uids):]) if got != "known"]
    for fault in faults:
        print(fault)
    print("%d SOP classes and %d record types compared, %d differ" % (len(uids), len(names), len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
