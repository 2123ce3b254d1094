#!/usr/bin/env python3
"""Writes the built-in data dictionary table (dicom/generated/dictionary_text.cpp).

The facts (tag, VR, VM, name, retired mark) come from the data dictionary shipped as a
Python data file by the Debian package python3-pydicom; the file is read as data with
the ast module, never imported. The output is text in the PS 3.6 line layout, one table
per group in ascending group order, each line in ascending element order.

    gen_dictionary.py [--source FILE] [--output FILE]   write the table
    gen_dictionary.py [--source FILE] --check FILE      exit 1 when FILE differs
"""
import argparse
import ast
import sys

DEFAULT_SOURCE = "/usr/lib/python3/dist-packages/pydicom/_dicom_dict.py"

# Groups left out: the command group, Pixel Data, and the retired variable pixel data
# groups 7Fxx, whose repeating group would also answer for 7FE0.
EXCLUDED_GROUPS = {"0000", "7FE0", "7Fxx"}

# Rows kept as they have always read in this library, whatever the current data say.
# Key: (group text, element text); value: (name, VR-and-VM text, retired, padded).
# "padded" lines keep the usual blanks before RET; the others are kept to the letter.
FIXED_ROWS = {
    ("0002", "0000"): ("Group Length", "UL 1", False, False),
    ("0002", "0010"): ("Transfer Syntax UID", "UI 1", False, False),
    ("0018", "1011"): ("Hardcopy Creation Device ID", "LO 1", True, True),
    ("0018", "1240"): ("Upper/Lower Pixel Values", "", True, False),
    ("0028", "08x0"): ("Code Label", "CS 1-n", True, True),
    ("0028", "1200"): ("Gray Lookup Table Data", "(US 1-n) or (SS 1-n) or (OW 1)", True, True),
    ("300A", "022B"): ("Source Strength", "DS 1", False, False),
    ("300A", "022C"): ("Source Strength Reference Date", "DA 1", False, False),
    ("300C", "00F0"): ("Referenced Control Point Index", "IS 1", False, False),
    ("300C", "00F2"): ("Referenced Control Point Sequence", "SQ 1", False, False),
    ("50xx", "3000"): ("Curve Data", "(OW 1) or (OB 1)", True, True),
    ("60xx", "4000"): ("Overlay Comments", "LT 1", True, True),
    ("FFFC", "FFFC"): ("Terminatior", "OB 1", False, False),
    ("FFFE", "E000"): ("Item", "I- 1", False, False),
    ("FFFE", "E00D"): ("Item Delimitation Item", "Ia 1", False, False),
    ("FFFE", "E0DD"): ("Sequence Delimitation Item", "Ia 1", False, False),
}

RET_COLUMN_WIDTH = 10  # VR-and-VM text padded to this width before " RET"


def load_source(path):
    """Returns {(group text, element text): (VR, VM, name, retired)} from the data file."""
    with open(path, encoding="utf-8") as source:
        tree = ast.parse(source.read(), filename=path)
    rows = {}
    for node in tree.body:
        if not isinstance(node, ast.AnnAssign) or not isinstance(node.target, ast.Name):
            continue
        if node.target.id not in ("DicomDictionary", "RepeatersDictionary"):
            continue
        for key, value in ast.literal_eval(node.value).items():
            text = "%08X" % key if isinstance(key, int) else key.upper().replace("X", "x")
            vr, vm, name, retired = value[:4]
            rows[(text[:4], text[4:])] = (vr, vm, name, retired == "Retired")
    if not rows:
        sys.exit("no dictionary found in %s" % path)
    return rows


def vr_vm_text(vr, vm):
    """One pair "VR VM", or the alternatives "(VR VM) or (VR VM)" for "US or SS"."""
    vrs = vr.split(" or ")
    if len(vrs) == 1:
        return "%s %s" % (vr, vm)
    vms = vm.split(" or ")
    if len(vms) == 1:
        vms = vms * len(vrs)
    if len(vms) != len(vrs) or len(vrs) > 3:
        sys.exit("cannot write VR %r with VM %r" % (vr, vm))
    return " or ".join("(%s %s)" % pair for pair in zip(vrs, vms))


def as_number(text):
    return int(text.replace("x", "0"), 16)


def make_line(group, element, name, vr_vm, retired, padded):
    line = "(%s,%s) %s" % (group, element, name)
    if vr_vm:
        line += " " + (vr_vm.ljust(RET_COLUMN_WIDTH) if retired and padded else vr_vm)
    return line + " RET" if retired else line


def build_tables(rows):
    """Returns [(group text, [line, ...])] in ascending group and element order."""
    entries = {}
    for (group, element), (vr, vm, name, retired) in rows.items():
        if group in EXCLUDED_GROUPS or as_number(group) % 2:
            continue
        if vr == "NONE":
            continue  # only the item tags, written below as fixed rows
        fixed = FIXED_ROWS.get((group, element))
        if fixed is None:
            fixed = (name, vr_vm_text(vr, vm), retired, True)
        entries[(group, element)] = fixed
    entries.update(FIXED_ROWS)

    # A repeating element whose x = 0 member is an element of its own (0028,04x0 against
    # 0028,0400) cannot share its number: the element of its own keeps it.
    numbers = {(as_number(group), as_number(element)) for group, element in entries
               if "x" not in group + element}
    for group, element in list(entries):
        if "x" in element and (as_number(group), as_number(element)) in numbers:
            del entries[(group, element)]

    tables = {}
    for (group, element), fixed in entries.items():
        tables.setdefault(group, []).append((as_number(element), element, fixed))
    result = []
    for group in sorted(tables, key=as_number):
        lines = sorted(tables[group], key=lambda entry: entry[0])
        numbers = [entry[0] for entry in lines]
        if len(set(numbers)) != len(numbers):
            sys.exit("two elements of group %s read as the same number" % group)
        result.append((group, [make_line(group, element, *fixed) for _, element, fixed in lines]))
    return result


def c_identifier(group):
    return "NEMA_db_" + group


def render(tables, source):
    out = []
    out.append("// Generated by tools/gen_dictionary.py from %s. Do not edit: regenerate." % source.rsplit("/", 2)[-1])
    out.append("// One table per group in ascending group order, lines in ascending element order.")
    out.append('#include "dicom/dictionary_text.h"')
    out.append("")
    out.append("namespace {")
    for group, lines in tables:
        out.append("")
        out.append("const char* const %s[] = {" % c_identifier(group))
        for line in lines:
            out.append('    "%s",' % line.replace("\\", "\\\\").replace('"', '\\"'))
        out.append("};")
    out.append("")
    out.append("}  // namespace")
    out.append("")
    out.append("const NEMA_db_Table NEMA_db_Tables[] = {")
    for group, _ in tables:
        out.append("    {%s, sizeof(%s)}," % (c_identifier(group), c_identifier(group)))
    out.append("};")
    out.append("")
    out.append("const int NEMA_db_Table_Count = %d;" % len(tables))
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", default=DEFAULT_SOURCE)
    parser.add_argument("--output")
    parser.add_argument("--check")
    args = parser.parse_args()
    text = render(build_tables(load_source(args.source)), "pydicom/_dicom_dict.py")
    if args.check:
        with open(args.check, encoding="utf-8") as committed:
            if committed.read() != text:
                sys.exit("%s is not what %s generates: run the regenerate_dictionary target"
                         % (args.check, sys.argv[0]))
        return
    if args.output:
        with open(args.output, "w", encoding="utf-8") as output:
            output.write(text)
    else:
        sys.stdout.write(text)


if __name__ == "__main__":
    main()
